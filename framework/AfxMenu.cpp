#include "AfxMenu.h"
#include "AfxWnd.h"
#include <memory>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CMenu, CObject)

namespace {

thread_local std::unordered_map<HMENU, CMenu*> t_permanentMenus;
thread_local std::unordered_map<HMENU, std::unique_ptr<CMenu>> t_temporaryMenus;
// The menu that TrackPopupMenu is showing on this thread, if any.
thread_local HMENU t_hTrackingMenu = nullptr;

// A temporary object only names a handle it does not own.
class CTempMenu : public CMenu {
public:
    ~CTempMenu() override { m_hMenu = nullptr; }
};

}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) {
    auto it = t_permanentMenus.find(hMenu);
    return it == t_permanentMenus.end() ? nullptr : it->second;
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
    if (hMenu == nullptr)
        return nullptr;
    if (CMenu* p = FromHandlePermanent(hMenu))
        return p;
    auto& slot = t_temporaryMenus[hMenu];
    if (!slot) {
        slot = std::make_unique<CTempMenu>();
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

BOOL CMenu::Attach(HMENU hMenu) {
    if (hMenu == nullptr || m_hMenu != nullptr)
        return FALSE;
    m_hMenu = hMenu;
    t_permanentMenus[hMenu] = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (h != nullptr) {
        auto it = t_permanentMenus.find(h);
        if (it != t_permanentMenus.end() && it->second == this)
            t_permanentMenus.erase(it);
    }
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu() {
    if (m_hMenu == nullptr)
        return FALSE;
    return ::DestroyMenu(Detach());
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
    HMENU hPrevious = t_hTrackingMenu;
    t_hTrackingMenu = m_hMenu;
    BOOL result = ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
    t_hTrackingMenu = hPrevious;
    return result;
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}

void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL AfxRouteOwnerDrawMenu(UINT message, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (dis == nullptr || dis->CtlType != ODT_MENU)
            return FALSE;
        CMenu* pMenu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem));
        if (pMenu == nullptr)
            pMenu = CMenu::FromHandlePermanent(t_hTrackingMenu);
        if (pMenu == nullptr)
            return FALSE;
        pMenu->DrawItem(dis);
        return TRUE;
    }
    if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
        if (mis == nullptr || mis->CtlType != ODT_MENU)
            return FALSE;
        // The message does not name the menu: it belongs to the one being tracked.
        CMenu* pMenu = CMenu::FromHandlePermanent(t_hTrackingMenu);
        if (pMenu == nullptr)
            return FALSE;
        pMenu->MeasureItem(mis);
        return TRUE;
    }
    return FALSE;
}

void AfxDeleteTempMenus() { t_temporaryMenus.clear(); }
