// The main dialog's message handling: it stays invisible, follows the firmware and the
// power system, and withdraws the overclock on every way out.
#include "AboutDlg.h"
#include "AfxDC.h"
#include "AppMessages.h"
#include "BrightnessWindow.h"
#include "FirmwareAccessors.h"
#include "TarvelDlg.h"

namespace {

const wchar_t kTurnOnOptionPrompt[] = L"Please turn on VGA overclock option for speeding up your graphic function.";

// Firmware event codes (low byte of wParam).
const UINT kEventBlockChanged = 93;
const UINT kEventOptionChanged = 96;
const UINT kEventBlockChangedToo = 121;

// The firmware needs a moment after an event before its variables tell the new state,
// and the driver a moment after a resume.
const DWORD kFirmwareSettleMs = 3000;
const DWORD kResumeSettleMs = 2000;

// The shell announces a new notification area (Explorer restarted) with this message.
const UINT WM_TASKBARCREATED = ::RegisterWindowMessageW(L"TaskbarCreated");

}  // namespace

BEGIN_MESSAGE_MAP(CTarvelDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_MESSAGE(WM_TRAYNOTIFY, OnTrayNotify)
    ON_MESSAGE(WM_FIRMWARE_EVENT, OnFirmwareEvent)
    ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_WINDOWPOSCHANGING()
    ON_BN_CLICKED(IDOK, OnBnClickedOk)
    ON_BN_CLICKED(IDCANCEL, OnBnClickedCancel)
    ON_WM_ENDSESSION()
    ON_REGISTERED_MESSAGE(WM_TASKBARCREATED, OnTaskbarCreated)
END_MESSAGE_MAP()

void CTarvelDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

void CTarvelDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
}

HCURSOR CTarvelDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CTarvelDlg::OnTimer(UINT_PTR) { Default(); }

void CTarvelDlg::OnWindowPosChanging(WINDOWPOS* lpwndpos) {
    Default();
    // Every attempt to show the window is taken out: the dialog is never seen.
    lpwndpos->flags &= ~SWP_SHOWWINDOW;
}

LRESULT CTarvelDlg::OnFirmwareEvent(WPARAM wParam, LPARAM) {
    UINT code = static_cast<UINT>(wParam & 0xFF);
    if (code == kEventOptionChanged) {
        ::Sleep(kFirmwareSettleMs);
        if (QueryOverclockOption()) {
            if (m_bOCEnabled)
                ApplyOverclock();
            else
                ShowMessage(kTurnOnOptionPrompt, MB_OK);
            m_bOCAvailable = true;
        } else {
            RevertOverclock();
            m_bOCAvailable = false;
        }
    } else if (code == kEventBlockChanged || code == kEventBlockChangedToo) {
        ::Sleep(kFirmwareSettleMs);
        if (QueryOverclockBlockB() || QueryOverclockBlockA()) {
            RevertOverclock();
            m_bOCAvailable = false;
        }
    }
    return 1;
}

LRESULT CTarvelDlg::OnPowerBroadcast(WPARAM wParam, LPARAM lParam) {
    if (wParam == PBT_APMRESUMESUSPEND) {
        ::Sleep(kResumeSettleMs);
        RevertOverclock();
        m_bOCAvailable = false;
    }
    return lParam == 0 ? 0 : 1;
}

void CTarvelDlg::OnClose() {
    WithdrawOverclock();
    Default();
}

void CTarvelDlg::OnBnClickedOk() {
    if (m_btnOverclock.SendMessage(BM_GETCHECK, 0, 0) == BST_CHECKED) {
        m_bOCEnabled = true;
        ApplyOverclock();
    } else {
        WithdrawOverclock();
    }
}

void CTarvelDlg::OnBnClickedCancel() {
    WithdrawOverclock();
    OnCancel();
}

void CTarvelDlg::OnDestroy() {
    // Brightness events come from another thread until the process ends; the last one
    // reaches the window while it still exists.
    WithdrawBrightnessWindow();
    Default();
    WithdrawOverclock();
    ReleaseRegistrations();
}

// Windows ends the program after a log-off or shut-down without closing the dialog:
// withdraw the overclock and give back the registrations here, as a close would.
void CTarvelDlg::OnEndSession(BOOL bEnding) {
    if (!bEnding)
        return;
    WithdrawOverclock();
    ReleaseRegistrations();
}

void CTarvelDlg::ReleaseRegistrations() {
    ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
    m_hPowerNotify.Reset();
    if (g_hInstanceMutex != nullptr)
        ReleaseInstanceMutex(g_hInstanceMutex);
}
