// Menus: the object behind a menu handle. Owner-drawn entries of a menu shown with
// CMenu::TrackPopupMenu are measured and painted by the menu object that owns them.
#pragma once
#include "AfxObject.h"

class CWnd;

class CMenu : public CObject {
    DECLARE_DYNAMIC(CMenu)
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    ~CMenu() override;  // destroys the menu it holds

    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    // The object attached to hMenu, or a temporary one that lives until the current
    // message has been handled.
    static CMenu* FromHandle(HMENU hMenu);
    static CMenu* FromHandlePermanent(HMENU hMenu);

    BOOL Attach(HMENU hMenu);
    HMENU Detach();

    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr) {
        return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
    }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
        return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable);
    }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    CMenu* GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

    // Shows the menu as a popup owned by pWnd; owner-drawn entries are handed to this
    // object while it is open.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
};

// WM_MEASUREITEM and WM_DRAWITEM for menu entries: hands them to the owning menu object.
// TRUE when a menu object took the message.
BOOL AfxRouteOwnerDrawMenu(UINT message, LPARAM lParam);
void AfxDeleteTempMenus();
