#include "DrawPrimitives.h"
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>

void FillWithColor(LPCRECT lpRect, CDC* pDC, COLORREF crColor) {
    CBrush brush(crColor);
    CSelectGuard selectBrush(*pDC, brush);
    pDC->PatBlt(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                lpRect->bottom - lpRect->top, PATCOPY);
}

namespace {

// Keeps the target where the source is white, paints the brush where it is black.
constexpr DWORD ROP_PSDPxax = 0x00B8074A;

}  // namespace

void DrawEmbossedIcon(CDC* pDC, HICON hIcon, BOOL bShadow, LPCRECT lpRect) {
    const int w = lpRect->right - lpRect->left;
    const int h = lpRect->bottom - lpRect->top;

    // A one-bit mask of the icon: black where it has colour, white where it is clear or white.
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CBitmap mask;
    mask.CreateBitmap(w, h, 1, 1, nullptr);
    CSelectGuard selectMask(memDC, mask);
    memDC.PatBlt(0, 0, w, h, WHITENESS);
    memDC.DrawIconEx(0, 0, hIcon, w, h, 1, DI_NORMAL);

    CBrush brushShadow(::GetSysColor(COLOR_BTNSHADOW));
    CBrush brushHighlight(::GetSysColor(COLOR_BTNHIGHLIGHT));
    // The mask's white becomes the background colour and its black the text colour: with
    // white and black the raster operation keeps the clear parts and paints the shape.
    // A text colour left over from an earlier entry would tint the silhouette otherwise.
    CBkColorGuard keepBkColor(*pDC);
    CTextColorGuard keepTextColor(*pDC);
    pDC->SetBkColor(RGB(255, 255, 255));
    pDC->SetTextColor(RGB(0, 0, 0));
    CSelectGuard selectBrush(*pDC, bShadow ? brushShadow : brushHighlight);
    pDC->BitBlt(lpRect->left + 1, lpRect->top + 1, w, h, &memDC, 0, 0, ROP_PSDPxax);
    pDC->SelectObject(&brushShadow);
    pDC->BitBlt(lpRect->left, lpRect->top, w, h, &memDC, 0, 0, ROP_PSDPxax);
}

namespace {

constexpr int kGradientEntries = 256;

// One 32-bit DIB pixel: blue in the lowest byte, then green, then red.
DWORD GradientEntry(COLORREF clrFirst, COLORREF clrLast, int nIndex) {
    auto channel = [nIndex](BYTE first, BYTE last) -> DWORD {
        return static_cast<DWORD>(first + ::MulDiv(last - first, nIndex, kGradientEntries - 1)) &
               0xFF;
    };
    return channel(GetBValue(clrFirst), GetBValue(clrLast)) |
           channel(GetGValue(clrFirst), GetGValue(clrLast)) << 8 |
           channel(GetRValue(clrFirst), GetRValue(clrLast)) << 16;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// Pixel buffer of nWidth x nHeight 32-bit pixels, or NULL when the size is not positive,
// its byte count does not fit a bitmap, or memory runs out.
std::unique_ptr<DWORD[], FreeDeleter> AllocatePixels(int nWidth, int nHeight) {
    if (nWidth <= 0 || nHeight <= 0)
        return nullptr;
    const uint64_t nBytes = static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nHeight) * 4;
    if (nBytes > static_cast<uint64_t>(INT_MAX) || nBytes > SIZE_MAX)
        return nullptr;
    return std::unique_ptr<DWORD[], FreeDeleter>(
        static_cast<DWORD*>(std::malloc(static_cast<size_t>(nBytes))));
}

}  // namespace

HBITMAP CreateGradientBitmap(HDC hDC, COLORREF clrFirst, COLORREF clrLast, int nWidth,
                             int nHeight) {
    DWORD table[kGradientEntries];
    for (int i = 0; i < kGradientEntries; ++i)
        table[i] = GradientEntry(clrFirst, clrLast, i);

    std::unique_ptr<DWORD[], FreeDeleter> pixels = AllocatePixels(nWidth, nHeight);
    if (!pixels)
        return nullptr;

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[1];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = nWidth;
    info.header.biHeight = nHeight;  // bottom-up: row 0 of the buffer is the bottom row
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;

    DWORD* pRow = pixels.get();
    for (int r = 0; r < nHeight; ++r, pRow += nWidth) {
        // Pictures 512 rows or taller reach 256 on their top rows: they keep the last entry.
        int nIndex = ::MulDiv(kGradientEntries, r, nHeight);
        if (nIndex > kGradientEntries - 1)
            nIndex = kGradientEntries - 1;
        std::fill(pRow, pRow + nWidth, table[nIndex]);
    }

    CBitmap bitmap;
    bitmap.CreateDIBitmap(hDC, &info.header, CBM_INIT, pixels.get(),
                          reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    return static_cast<HBITMAP>(bitmap.Detach());
}
