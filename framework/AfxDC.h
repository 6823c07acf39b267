// Device contexts and rectangles. A CDC deletes a device context it created; the guards at
// the end put back what a drawing step changed, so that a step leaves the context as it
// found it on every return path.
#pragma once
#include "AfxGdi.h"
#include "AfxString.h"

class CWnd;

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& rc) : RECT(rc) {}  // NOLINT: converts like the RECT it extends

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    POINT TopLeft() const { return POINT{left, top}; }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL PtInRect(POINT pt) const { return ::PtInRect(this, pt); }

    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
    void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
    void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    bool operator==(const RECT& rc) const { return ::EqualRect(this, &rc) != FALSE; }
};

class CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    HDC m_hDC = nullptr;        // where output goes
    HDC m_hAttribDC = nullptr;  // what attribute queries read

    CDC() = default;
    ~CDC() override;  // deletes the device context it holds

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    BOOL Attach(HDC hDC);
    HDC Detach();
    // A memory device context compatible with pDC, or with the screen for NULL.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    HFONT SelectObject(CFont* pFont);
    HPEN SelectObject(CPen* pPen);
    HBRUSH SelectObject(CBrush* pBrush);
    HBITMAP SelectObject(CBitmap* pBitmap);
    HGDIOBJ SelectObject(HGDIOBJ hObject);
    HGDIOBJ SelectStockObject(int nIndex);

    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hAttribDC); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hAttribDC); }

    BOOL TextOut(int x, int y, const CString& str);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(LPCRECT lpRect);
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) {
        return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
    }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop);
    BOOL DrawIconEx(int x, int y, HICON hIcon, int cx, int cy, UINT istepIfAniCur,
                    UINT diFlags) {
        return ::DrawIconEx(m_hDC, x, y, hIcon, cx, cy, istepIfAniCur, nullptr, diFlags);
    }
};

// A device context lent by someone else (for example the one in a DRAWITEMSTRUCT): wrapped
// for the length of a scope and handed back undeleted.
class CBorrowedDC : public CDC {
public:
    explicit CBorrowedDC(HDC hDC) { Attach(hDC); }
    ~CBorrowedDC() override { Detach(); }
};

// The whole-window device context of pWnd (of the screen for NULL), released on scope exit.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd = nullptr;
};

// BeginPaint on construction, EndPaint on scope exit.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps = {};

protected:
    HWND m_hWnd = nullptr;
};

// Selects an object into a device context and selects the previous one back on scope exit.
// Further SelectObject calls of the same kind inside the scope are undone along with it.
class CSelectGuard {
public:
    CSelectGuard(CDC& dc, CGdiObject& obj) : CSelectGuard(dc, obj.m_hObject) {}
    CSelectGuard(CDC& dc, HGDIOBJ hObject) : m_hDC(dc.m_hDC) {
        if (hObject != nullptr)
            m_hPrevious = ::SelectObject(m_hDC, hObject);
    }
    ~CSelectGuard() {
        if (m_hPrevious != nullptr && m_hPrevious != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hPrevious);
    }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious = nullptr;
};

// Puts the text colour back on scope exit.
class CTextColorGuard {
public:
    explicit CTextColorGuard(CDC& dc) : m_dc(dc), m_clrPrevious(dc.GetTextColor()) {}
    ~CTextColorGuard() { m_dc.SetTextColor(m_clrPrevious); }
    CTextColorGuard(const CTextColorGuard&) = delete;
    CTextColorGuard& operator=(const CTextColorGuard&) = delete;

private:
    CDC& m_dc;
    COLORREF m_clrPrevious;
};

// Puts the background colour back on scope exit.
class CBkColorGuard {
public:
    explicit CBkColorGuard(CDC& dc) : m_dc(dc), m_clrPrevious(dc.GetBkColor()) {}
    ~CBkColorGuard() { m_dc.SetBkColor(m_clrPrevious); }
    CBkColorGuard(const CBkColorGuard&) = delete;
    CBkColorGuard& operator=(const CBkColorGuard&) = delete;

private:
    CDC& m_dc;
    COLORREF m_clrPrevious;
};

// Narrows the clip region to a rectangle for the length of a scope and puts the previous
// clip region back on exit; nothing else of the context changes. When no region can be made
// to keep the previous one in, the context is left unclipped rather than losing it.
class CClipGuard {
public:
    CClipGuard(CDC& dc, LPCRECT lpRect);
    ~CClipGuard();
    CClipGuard(const CClipGuard&) = delete;
    CClipGuard& operator=(const CClipGuard&) = delete;

private:
    HDC m_hDC;
    CRgn m_rgnPrevious;
    bool m_bClipped = false;
    bool m_bHadRegion = false;  // the context had a clip region of its own
};
