#include "AfxGdi.h"
#include "AfxDC.h"
#include "AfxLock.h"
#include <unordered_set>

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

namespace {

// The handles themselves are kept, not just a number: a handle made by a wrapper, detached
// and then never deleted stays counted, and deleting a handle that some other code made
// does not hide a leak elsewhere.
struct LiveGdiObjects {
    CSlimLock lock;
    std::unordered_set<HANDLE> handles;
};

LiveGdiObjects& liveGdiObjects() {
    static LiveGdiObjects live;
    return live;
}

}  // namespace

LONG AfxGetLiveGdiObjectCount() {
    LiveGdiObjects& live = liveGdiObjects();
    CSlimLockGuard guard(live.lock);
    return static_cast<LONG>(live.handles.size());
}

void AfxNoteGdiObjectCreated(HANDLE h) {
    if (h == nullptr)
        return;
    LiveGdiObjects& live = liveGdiObjects();
    CSlimLockGuard guard(live.lock);
    live.handles.insert(h);
}

void AfxNoteGdiObjectDeleted(HANDLE h) {
    LiveGdiObjects& live = liveGdiObjects();
    CSlimLockGuard guard(live.lock);
    live.handles.erase(h);
}

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr)
        return FALSE;
    m_hObject = hObject;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr)
        return FALSE;
    HGDIOBJ h = Detach();
    AfxNoteGdiObjectDeleted(h);
    return ::DeleteObject(h);
}

BOOL CGdiObject::AdoptCreated(HGDIOBJ hObject) {
    if (hObject == nullptr)
        return FALSE;
    AfxNoteGdiObjectCreated(hObject);
    if (!Attach(hObject)) {
        // Already holding one: the new object has no owner, so it goes at once.
        AfxNoteGdiObjectDeleted(hObject);
        ::DeleteObject(hObject);
        return FALSE;
    }
    return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONTW* lpLogFont) {
    return AdoptCreated(::CreateFontIndirectW(lpLogFont));
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                       BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    return AdoptCreated(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight,
                                      bItalic, bUnderline, cStrikeOut, nCharSet, nOutPrecision,
                                      nClipPrecision, nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return AdoptCreated(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return AdoptCreated(::CreateSolidBrush(crColor));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount,
                           const void* lpBits) {
    return AdoptCreated(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return AdoptCreated(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight));
}

BOOL CBitmap::CreateDIBitmap(HDC hDC, const BITMAPINFOHEADER* pHeader, DWORD dwInit,
                             const void* pBits, const BITMAPINFO* pInfo, UINT nUsage) {
    return AdoptCreated(::CreateDIBitmap(hDC, pHeader, dwInit, pBits, pInfo, nUsage));
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) {
    return AdoptCreated(::CreateRectRgn(x1, y1, x2, y2));
}
