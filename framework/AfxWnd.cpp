#include "AfxWnd.h"
#include "AfxApp.h"
#include "AfxMenu.h"
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

// Objects attached to window handles, per thread as windows belong to threads.
thread_local std::unordered_map<HWND, CWnd*> t_permanentWindows;
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporaryWindows;
thread_local int t_messageDepth = 0;

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchToMap(UINT nMessage, UINT nID, UINT nCode, WPARAM wParam, LPARAM lParam,
                               LRESULT* pResult) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfnThunk != nullptr; ++e) {
            UINT entryMessage = e->pnMessage ? *e->pnMessage : e->nMessage;
            if (entryMessage == 0 || entryMessage != nMessage)
                continue;
            if (nMessage == WM_COMMAND && (e->nID != nID || e->nCode != nCode))
                continue;
            LRESULT r = e->pfnThunk(this, wParam, lParam);
            if (pResult) *pResult = r;
            return TRUE;
        }
    }
    return FALSE;
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = t_permanentWindows.find(hWnd);
    return it == t_permanentWindows.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    auto& slot = t_temporaryWindows[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert));
}

BOOL CWnd::Attach(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr)
        return FALSE;
    m_hWnd = hWnd;
    t_permanentWindows[hWnd] = this;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    if (h != nullptr) {
        auto it = t_permanentWindows.find(h);
        if (it != t_permanentWindows.end() && it->second == this)
            t_permanentWindows.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd))
        return FALSE;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return TRUE;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);

    ++t_messageDepth;
    MSG saved = pWnd->m_msgCur;
    pWnd->m_msgCur = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result;
    if (message == WM_NCDESTROY) {
        // The window is gone after this message: give the handle back first so that the
        // object never points at a dead (and later reused) handle.
        WNDPROC super = pWnd->m_pfnSuper;
        pWnd->Detach();
        pWnd->m_pfnSuper = nullptr;
        result = super ? ::CallWindowProcW(super, hWnd, message, wParam, lParam)
                       : ::DefWindowProcW(hWnd, message, wParam, lParam);
        pWnd->m_msgCur = saved;
        pWnd->PostNcDestroy();
    } else {
        result = pWnd->WindowProc(message, wParam, lParam);
        pWnd->m_msgCur = saved;
    }
    if (--t_messageDepth == 0)
        AfxDeleteTempMaps();
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam))
            return 0;
        return DefWindowProc(message, wParam, lParam);
    }
    if (DispatchToMap(message, 0, 0, wParam, lParam, &result))
        return result;
    if (OnDefaultMessage(message, wParam, lParam, &result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    if (DispatchToMap(WM_COMMAND, nID, nCode, wParam, lParam, nullptr))
        return TRUE;
    // Commands the window does not take go on to the application, as menu commands do.
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && AfxGetMainWnd() == this)
        return pApp->DispatchToMap(WM_COMMAND, nID, nCode, wParam, lParam, nullptr);
    return FALSE;
}

BOOL CWnd::OnDefaultMessage(UINT message, WPARAM, LPARAM lParam, LRESULT* pResult) {
    // Owner-drawn menu entries are measured and painted by the menu object that owns them.
    if (message == WM_MEASUREITEM || message == WM_DRAWITEM) {
        if (AfxRouteOwnerDrawMenu(message, lParam)) {
            *pResult = TRUE;
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void AfxDeleteTempMaps() {
    t_temporaryWindows.clear();
    AfxDeleteTempMenus();
}
