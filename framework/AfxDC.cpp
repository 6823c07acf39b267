#include "AfxDC.h"
#include "AfxWnd.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

CDC::~CDC() { DeleteDC(); }

BOOL CDC::Attach(HDC hDC) {
    if (hDC == nullptr || m_hDC != nullptr)
        return FALSE;
    m_hDC = hDC;
    m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = nullptr;
    m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC != nullptr)
        return FALSE;
    HDC h = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    if (h == nullptr)
        return FALSE;
    AfxNoteGdiObjectCreated(h);
    return Attach(h);
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr)
        return FALSE;
    HDC h = Detach();
    AfxNoteGdiObjectDeleted(h);
    return ::DeleteDC(h);
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    if (m_hDC == nullptr || hObject == nullptr)
        return nullptr;
    return ::SelectObject(m_hDC, hObject);
}

HFONT CDC::SelectObject(CFont* pFont) {
    return static_cast<HFONT>(SelectObject(pFont ? pFont->m_hObject : nullptr));
}

HPEN CDC::SelectObject(CPen* pPen) {
    return static_cast<HPEN>(SelectObject(pPen ? pPen->m_hObject : nullptr));
}

HBRUSH CDC::SelectObject(CBrush* pBrush) {
    return static_cast<HBRUSH>(SelectObject(pBrush ? pBrush->m_hObject : nullptr));
}

HBITMAP CDC::SelectObject(CBitmap* pBitmap) {
    return static_cast<HBITMAP>(SelectObject(pBitmap ? pBitmap->m_hObject : nullptr));
}

HGDIOBJ CDC::SelectStockObject(int nIndex) { return SelectObject(::GetStockObject(nIndex)); }

BOOL CDC::TextOut(int x, int y, const CString& str) {
    return ::TextOutW(m_hDC, x, y, str, str.GetLength());
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextW(m_hDC, str, str.GetLength(), lpRect, nFormat);
}

POINT CDC::MoveTo(int x, int y) {
    POINT previous = {0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

BOOL CDC::Rectangle(LPCRECT lpRect) {
    return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                    dwRop);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    HDC h = ::GetWindowDC(m_hWnd);
    AfxNoteGdiObjectCreated(h);
    Attach(h);
}

CWindowDC::~CWindowDC() {
    HDC h = Detach();
    if (h != nullptr) {
        AfxNoteGdiObjectDeleted(h);
        ::ReleaseDC(m_hWnd, h);
    }
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }

CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClipGuard::CClipGuard(CDC& dc, LPCRECT lpRect) : m_hDC(dc.m_hDC) {
    if (m_hDC == nullptr || !m_rgnPrevious.CreateRectRgn(0, 0, 0, 0))
        return;
    const int nRegion = ::GetClipRgn(m_hDC, m_rgnPrevious);
    if (nRegion < 0)
        return;
    m_bHadRegion = nRegion == 1;
    m_bClipped = ::IntersectClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right,
                                     lpRect->bottom) != ERROR;
}

CClipGuard::~CClipGuard() {
    if (m_bClipped)
        ::SelectClipRgn(m_hDC, m_bHadRegion ? static_cast<HRGN>(m_rgnPrevious) : nullptr);
}
