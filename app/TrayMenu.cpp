// The tray icon's command menu: built afresh from the current state at every right
// click, shown at the cursor, and deleted with all its items when it closes.
#include "AfxApp.h"
#include "AppMessages.h"
#include "MenuXP.h"
#include "TarvelDlg.h"
#include <memory>

namespace {

const COLORREF kSelectedBack = RGB(120, 160, 220);

HICON LoadMenuIcon(UINT nID) {
    return ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(nID), RT_GROUP_ICON), MAKEINTRESOURCEW(nID));
}

// The icon that marks the current choice: red while the firmware offers the overclock,
// black while it does not.
HICON ChoiceIcon(bool bCurrent, bool bAvailable) {
    if (!bCurrent)
        return nullptr;
    return LoadMenuIcon(bAvailable ? IDI_MENU_SELECTED : IDI_MENU_SELECTED_GRAY);
}

}  // namespace

LRESULT CTarvelDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
    if (lParam != WM_RBUTTONUP)
        return 1;

    POINT pt;
    ::GetCursorPos(&pt);
    // The menu must be owned by the foreground window, or it would not close when the
    // user clicks elsewhere.
    SetForegroundWindow();

    auto menu = std::make_unique<CMenuXP>();
    menu->Attach(::CreatePopupMenu());
    menu->m_clrSelBack = kSelectedBack;
    menu->m_nStyle = CMenuXP::STYLE_FLAT;

    menu->AppendSideBar(new CMenuXPSideBar());
    menu->AppendItem(new CMenuXPText(ID_TRAY_ENABLE, L"Enable", ChoiceIcon(m_bOCEnabled, m_bOCAvailable)));
    menu->AppendItem(new CMenuXPText(ID_TRAY_DISABLE, L"Disable", ChoiceIcon(!m_bOCEnabled, m_bOCAvailable)));
    if (!m_bOCAvailable) {
        menu->EnableMenuItem(ID_TRAY_ENABLE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
        menu->EnableMenuItem(ID_TRAY_DISABLE, MF_BYCOMMAND | MF_DISABLED | MF_GRAYED);
    }
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(ID_TRAY_ABOUT, L"About", LoadMenuIcon(IDI_MENU_ABOUT)));
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(ID_TRAY_EXIT, L"Exit", LoadMenuIcon(IDI_MENU_EXIT)));

    menu->TrackPopupMenu(0, pt.x, pt.y, this);
    // Lets the menu close properly when the user clicks outside it.
    PostMessage(WM_NULL, 0, 0);
    return 1;
}
