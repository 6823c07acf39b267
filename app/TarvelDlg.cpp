// The main dialog's construction and initialisation: everything the program registers
// and probes at start-up, in a fixed order.
#include "TarvelDlg.h"
#include "AboutDlg.h"
#include "AfxApp.h"
#include "AfxMenu.h"
#include "AfxString.h"
#include "BrightnessEvents.h"
#include "BrightnessWindow.h"
#include "CrashGuard.h"
#include "FirmwareAccessors.h"
#include "NvidiaBackend.h"
#include "SwitchLock.h"
#include <cstdlib>
#include <cstring>

CTarvelDlg* g_pMainDlg = nullptr;
HANDLE g_hInstanceMutex = nullptr;
CUniqueHandle<CAboutDlg*, &DeleteAboutDlg> CTarvelDlg::m_pAboutDlg;

namespace {

const wchar_t kInstanceMutexName[] = L"ORV Tarvel";
const wchar_t kMessageCaption[] = L"ORV Tarvel";
const wchar_t kNoBackendMessage[] = L"Your system doesn't have NVIDIA or ATI graphic chipset";

// GUID_ACDC_POWER_SOURCE: notifications when the notebook switches between AC and battery.
const GUID kAcDcPowerSource = {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};

}  // namespace

CTarvelDlg::CTarvelDlg(CWnd* pParent)
    : CDialog(IDD_TARVEL_DIALOG, pParent),
      m_bOCAvailable(false),
      m_bOCEnabled(true),
      m_bNvidia(false),
      m_bAti(false),
      m_hAdlModule(nullptr) {
    std::memset(&m_nid, 0, sizeof m_nid);
    std::memset(&m_adlClockInfo, 0, sizeof m_adlClockInfo);
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
    m_pAboutDlg.Reset();
}

CTarvelDlg::~CTarvelDlg() {
    // Events that still arrive (the brightness subscription outlives the dialog) must not
    // reach a dialog that is gone. The window was taken back when it was destroyed; this
    // covers a dialog that never got that far. The crash guard's withdrawal reads the
    // pointer under the switch lock: it ends before the dialog goes, or finds none.
    if (g_pMainDlg == this) {
        WithdrawBrightnessWindow();
        CSwitchScope noSwitch(SwitchLock());
        g_pMainDlg = nullptr;
    }
    // The About window went with its owner; its object goes with the dialog.
    m_pAboutDlg.Reset();
}

void CTarvelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RADIO_OVERCLOCK, m_btnOverclock);
    DDX_Control(pDX, IDC_RADIO_DOWNCLOCK, m_btnDownclock);
    DDX_Control(pDX, IDOK, m_btnOK);
}

// The order is part of the contract: nothing is registered before the instance is claimed,
// and the dialog is published before any subscription can deliver to it.
BOOL CTarvelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddSystemMenuAbout();
    SetWindowIcons();
    if (!ClaimInstance()) {
        OnCancel();
        return FALSE;
    }
    AfxEnableControlContainer();
    AddTrayIcon();
    PublishMainDialog();
    SubscribeFirmwareEvents();
    SubscribeBrightnessEvents();
    ProbeBackends();
    // The last library is loaded now; any of them may have replaced the crash guard.
    KeepCrashGuardInForce();
    FollowOverclockOption();
    SetUpButtons();
    CreateAboutBox();
    RegisterPowerNotification();
    return TRUE;
}

void CTarvelDlg::AddSystemMenuAbout() {
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu == nullptr)
        return;
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
}

void CTarvelDlg::SetWindowIcons() {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
}

// False when another instance holds the mutex: this one leaves without a trace.
bool CTarvelDlg::ClaimInstance() { return ClaimInstanceMutex(kInstanceMutexName, &g_hInstanceMutex); }

void CTarvelDlg::PublishMainDialog() {
    g_pMainDlg = this;
    PublishBrightnessWindow(m_hWnd);
}

void CTarvelDlg::SubscribeFirmwareEvents() {
    m_wmiAcpi.AddHWND(m_hWnd);
    char eventBuffer[260];
    std::memset(eventBuffer, 0, sizeof eventBuffer);
    m_wmiAcpi.ORVWMIEvent(L"Select * from ORV_Event", eventBuffer, L"root\\wmi", L"WQL");
}

// ATI first, then NVIDIA. Without either the program has nothing to do: it says so and
// ends here, leaving the mutex to the system, which lets it go with the process.
void CTarvelDlg::ProbeBackends() {
    m_bAti = InitAdl() != FALSE;
    m_bNvidia = InitNvapi() == NVAPI_OK ? EnumNvidiaGpus() : false;
    if (!m_bNvidia && !m_bAti) {
        ShowMessage(kNoBackendMessage, MB_OK | MB_ICONEXCLAMATION);
        ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
        std::exit(1);
    }
}

void CTarvelDlg::FollowOverclockOption() {
    m_bOCAvailable = QueryOverclockOption();
    if (m_bOCAvailable && m_bOCEnabled)
        ApplyOverclock();
}

void CTarvelDlg::SetUpButtons() {
    m_btnOverclock.EnableWindow(m_bOCAvailable);
    m_btnDownclock.EnableWindow(m_bOCAvailable);
    m_btnOK.EnableWindow(m_bOCAvailable);
    m_btnOverclock.SendMessage(BM_SETCHECK, m_bOCEnabled ? BST_CHECKED : BST_UNCHECKED, 0);
    m_btnDownclock.SendMessage(BM_SETCHECK, m_bOCEnabled ? BST_UNCHECKED : BST_CHECKED, 0);
}

// Hidden until the tray's About command shows it.
void CTarvelDlg::CreateAboutBox() {
    m_pAboutDlg.Reset(new CAboutDlg);
    m_pAboutDlg.Get()->Create(IDD_ABOUTBOX, nullptr);
}

void CTarvelDlg::RegisterPowerNotification() {
    m_hPowerNotify.Reset(::RegisterPowerSettingNotification(m_hWnd, &kAcDcPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE));
}

int CTarvelDlg::ShowMessage(LPCWSTR text, UINT type) { return MessageBox(text, kMessageCaption, type); }

void DeleteAboutDlg(CAboutDlg* pAboutDlg) { delete pAboutDlg; }
