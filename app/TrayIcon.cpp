// The notification-area icon, its command menu and the About box it shows.
#include "AboutDlg.h"
#include "AfxApp.h"
#include "AppMessages.h"
#include "TarvelDlg.h"

// The record with guidItem and hBalloonIcon (Vista's layout): 956 bytes in the 32-bit build.
static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 4 ? 956 : 976), "NOTIFYICONDATAW layout");

void CTarvelDlg::AddTrayIcon() {
    m_nid.cbSize = sizeof(NOTIFYICONDATAW);
    m_nid.hWnd = m_hWnd;
    m_nid.uID = 1;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = ::LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON),
                              MAKEINTRESOURCEW(IDR_MAINFRAME));
    wcscpy_s(m_nid.szTip, sizeof m_nid.szTip / sizeof m_nid.szTip[0], L"ORV Tarvel");
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ::Shell_NotifyIconW(NIM_ADD, &m_nid);
}

// A new notification area has no icons: put ours back from the same record.
LRESULT CTarvelDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    if (m_nid.hWnd != nullptr)
        ::Shell_NotifyIconW(NIM_ADD, &m_nid);
    return 0;
}

BOOL CTarvelDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
    case ID_TRAY_ENABLE:
        m_bOCEnabled = true;
        ApplyOverclock();
        break;
    case ID_TRAY_DISABLE:
        WithdrawOverclock();
        break;
    case ID_TRAY_ABOUT:
        if (m_pAboutDlg)
            m_pAboutDlg.Get()->ShowWindow(SW_SHOW);
        CenterAboutDialog();
        break;
    case ID_TRAY_EXIT:
        WithdrawOverclock();
        OnCancel();
        break;
    default:
        break;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CTarvelDlg::CenterAboutDialog() {
    CAboutDlg* pAboutDlg = m_pAboutDlg.Get();
    if (pAboutDlg == nullptr || pAboutDlg->m_hWnd == nullptr)
        return;
    RECT r;
    pAboutDlg->GetWindowRect(&r);
    CWnd* pDesktop = CWnd::GetDesktopWindow();
    RECT d;
    pDesktop->GetWindowRect(&d);
    POINT centre = {(d.right - d.left) / 2, (d.bottom - d.top) / 2};
    pDesktop->ClientToScreen(&centre);
    int w = r.right - r.left;
    int h = r.bottom - r.top;
    pAboutDlg->MoveWindow(centre.x - w / 2, centre.y - h / 2, w, h, TRUE);
}
