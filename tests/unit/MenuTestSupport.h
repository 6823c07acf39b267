// Helpers for the menu tests: a 32-bit canvas whose pixels can be read back, test icons made
// in memory, and item/menu classes that count their destruction.
#pragma once
#include "AfxDC.h"
#include "MenuXP.h"
#include <climits>
#include <cstdio>
#include <vector>

namespace menutest {

// A top-down 32-bit DIB section selected into a memory device context.
class Canvas {
public:
    Canvas(int nWidth, int nHeight, COLORREF clrFill) : m_nWidth(nWidth), m_nHeight(nHeight) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = nWidth;
        bmi.bmiHeader.biHeight = -nHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        m_hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_pBits = static_cast<DWORD*>(pBits);
        m_dc.Attach(::CreateCompatibleDC(nullptr));
        m_hPrevious = ::SelectObject(m_dc, m_hBitmap);
        Fill(CRect(0, 0, nWidth, nHeight), clrFill);
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_hPrevious);
        ::DeleteDC(m_dc.Detach());
        ::DeleteObject(m_hBitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC* dc() { return &m_dc; }
    HDC hdc() const { return m_dc.m_hDC; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }

    void Fill(const RECT& rc, COLORREF clr) {
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                m_pBits[y * m_nWidth + x] = ToPixel(clr);
    }
    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        DWORD p = m_pBits[y * m_nWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& rc, COLORREF clr) const {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += Pixel(x, y) == clr ? 1 : 0;
        return n;
    }
    int CountNot(const RECT& rc, COLORREF clr) const {
        return (rc.right - rc.left) * (rc.bottom - rc.top) - Count(rc, clr);
    }
    // Pixels of the canvas outside rc that are not clr.
    int CountOutsideNot(const RECT& rc, COLORREF clr) const {
        int n = 0;
        for (int y = 0; y < m_nHeight; ++y)
            for (int x = 0; x < m_nWidth; ++x) {
                POINT pt = {x, y};
                if (!::PtInRect(&rc, pt) && Pixel(x, y) != clr)
                    ++n;
            }
        return n;
    }
    // Smallest rectangle holding every pixel of colour clr inside rc (empty when none).
    CRect Bounds(const RECT& rc, COLORREF clr) const {
        CRect b(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                if (Pixel(x, y) == clr) {
                    b.left = x < b.left ? x : b.left;
                    b.top = y < b.top ? y : b.top;
                    b.right = x + 1 > b.right ? x + 1 : b.right;
                    b.bottom = y + 1 > b.bottom ? y + 1 : b.bottom;
                }
        return b.left == INT_MAX ? CRect() : b;
    }
    std::vector<DWORD> Snapshot() const {
        ::GdiFlush();
        return std::vector<DWORD>(m_pBits, m_pBits + m_nWidth * m_nHeight);
    }
    // Writes the canvas as a bottom-up 32-bit .bmp file.
    bool SaveBmp(const char* pszPath) const {
        ::GdiFlush();
        BITMAPINFOHEADER bih = {};
        bih.biSize = sizeof(bih);
        bih.biWidth = m_nWidth;
        bih.biHeight = m_nHeight;
        bih.biPlanes = 1;
        bih.biBitCount = 32;
        bih.biCompression = BI_RGB;
        const DWORD nPixelBytes = static_cast<DWORD>(m_nWidth * m_nHeight * 4);
        BITMAPFILEHEADER bfh = {};
        bfh.bfType = 0x4D42;
        bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
        bfh.bfSize = bfh.bfOffBits + nPixelBytes;
        FILE* f = std::fopen(pszPath, "wb");
        if (f == nullptr)
            return false;
        std::fwrite(&bfh, sizeof(bfh), 1, f);
        std::fwrite(&bih, sizeof(bih), 1, f);
        // Opaque, so that viewers which honour the fourth byte show every pixel.
        for (int y = m_nHeight - 1; y >= 0; --y)
            for (int x = 0; x < m_nWidth; ++x) {
                DWORD p = m_pBits[y * m_nWidth + x] | 0xFF000000u;
                std::fwrite(&p, 4, 1, f);
            }
        return std::fclose(f) == 0;
    }

    static DWORD ToPixel(COLORREF clr) {
        return static_cast<DWORD>(GetRValue(clr)) << 16 | static_cast<DWORD>(GetGValue(clr)) << 8 |
               GetBValue(clr);
    }

private:
    int m_nWidth;
    int m_nHeight;
    HBITMAP m_hBitmap = nullptr;
    DWORD* m_pBits = nullptr;
    CDC m_dc;  // detached before the destructor runs: made and deleted here, uncounted
    HGDIOBJ m_hPrevious = nullptr;
};

// A 32-bit icon of nSize x nSize pixels, fully transparent except for an opaque square
// rcOpaque of colour clr.
inline HICON MakeIcon(int nSize, COLORREF clr, RECT rcOpaque) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = nSize;
    bmi.bmiHeader.biHeight = -nSize;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    HBITMAP hColor = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    auto* pPixels = static_cast<DWORD*>(pBits);
    // One bit per pixel, rows padded to 16 bits: 1 is transparent, 0 opaque.
    const int nStride = (nSize + 15) / 16 * 2;
    std::vector<BYTE> mask(static_cast<size_t>(nStride * nSize), 0xFF);
    for (int y = 0; y < nSize; ++y)
        for (int x = 0; x < nSize; ++x) {
            POINT pt = {x, y};
            bool bOpaque = ::PtInRect(&rcOpaque, pt) != FALSE;
            pPixels[y * nSize + x] = bOpaque ? (0xFF000000u | Canvas::ToPixel(clr)) : 0;
            if (bOpaque)
                mask[static_cast<size_t>(y * nStride + x / 8)] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
        }
    HBITMAP hMask = ::CreateBitmap(nSize, nSize, 1, 1, mask.data());
    ICONINFO ii = {TRUE, 0, 0, hMask, hColor};
    HICON hIcon = ::CreateIconIndirect(&ii);
    ::DeleteObject(hMask);
    ::DeleteObject(hColor);
    return hIcon;
}

// 16 x 16, opaque only in the middle 8 x 8 pixels (4..11 on both axes).
inline HICON MakeSquareIcon(COLORREF clr) { return MakeIcon(16, clr, RECT{4, 4, 12, 12}); }

inline bool IconIsAlive(HICON hIcon) {
    ICONINFO ii = {};
    if (!::GetIconInfo(hIcon, &ii))
        return false;
    ::DeleteObject(ii.hbmColor);
    ::DeleteObject(ii.hbmMask);
    return true;
}

// A text item that counts how many items of its kind have been destroyed.
class CountedItem : public CMenuXPText {
public:
    static int s_nDestroyed;
    CountedItem(UINT nID, LPCWSTR lpszText, HICON hIcon) : CMenuXPText(nID, lpszText, hIcon) {}
    ~CountedItem() override { ++s_nDestroyed; }
};
inline int CountedItem::s_nDestroyed = 0;

template <class TMenu>
class Counted : public TMenu {
public:
    static int s_nDestroyed;
    ~Counted() override { ++s_nDestroyed; }
};
template <class TMenu>
int Counted<TMenu>::s_nDestroyed = 0;

}  // namespace menutest
