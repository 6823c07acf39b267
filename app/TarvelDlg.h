// The main dialog: never shown, it owns the program's state and receives every message
// (tray callbacks, menu commands, firmware events, power broadcasts).
#pragma once
#include "AfxButton.h"
#include "AfxDialog.h"
#include "AfxHandle.h"
#include "AtiBackend.h"
#include "InstanceMutex.h"
#include "ORVWmiAcpi.h"
#include "resource.h"
#include <shellapi.h>

class CAboutDlg;

// How the owner below gives back what it holds.
void DeleteAboutDlg(CAboutDlg* pAboutDlg);

class CTarvelDlg : public CDialog {
public:
    explicit CTarvelDlg(CWnd* pParent = nullptr);
    ~CTarvelDlg() override;

    enum { IDD = IDD_TARVEL_DIALOG };

    // Switching (NVIDIA back-end first, else ATI, else nothing).
    void ApplyOverclock();
    void RevertOverclock();
    // The user no longer wants the overclock, or the program is on its way out.
    void WithdrawOverclock();

    // The ATI back-end.
    BOOL InitAdl();
    bool AtiApplyOverclock();
    void AtiRevertOverclock();

    // The tray icon and the About box it shows.
    void AddTrayIcon();
    void CenterAboutDialog();

    // A message box of the program's: owned by the dialog, under the program's caption.
    int ShowMessage(LPCWSTR text, UINT type);

    static CUniqueHandle<CAboutDlg*, &DeleteAboutDlg> m_pAboutDlg;

    HICON m_hIcon;
    CORVWmiAcpi m_wmiAcpi;
    NOTIFYICONDATAW m_nid;
    bool m_bOCAvailable;
    bool m_bOCEnabled;
    bool m_bNvidia;
    bool m_bAti;
    // Never freed, as the NVIDIA library is not: the crash guard's withdrawal may call into
    // it (through g_pfnAdl) up to the process's last moment, after this dialog is gone.
    HMODULE m_hAdlModule;
    CUniqueHandle<HPOWERNOTIFY, &::UnregisterPowerSettingNotification> m_hPowerNotify;
    CButton m_btnOverclock;
    CButton m_btnDownclock;
    CButton m_btnOK;
    ADLAdapterODClockInfo m_adlClockInfo;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnFirmwareEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnDestroy();
    void OnEndSession(BOOL bEnding);
    void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    void OnBnClickedOk();
    void OnBnClickedCancel();

    DECLARE_MESSAGE_MAP()

private:
    // The steps of OnInitDialog, in its order.
    void AddSystemMenuAbout();
    void SetWindowIcons();
    bool ClaimInstance();
    void PublishMainDialog();
    void SubscribeFirmwareEvents();
    void ProbeBackends();
    void FollowOverclockOption();
    void SetUpButtons();
    void CreateAboutBox();
    void RegisterPowerNotification();

    // What the dialog registered outside the process, given back on every way out.
    void ReleaseRegistrations();
};

// The main dialog while it exists; null before it is initialised and after it is gone.
extern CTarvelDlg* g_pMainDlg;
// The single-instance mutex "ORV Tarvel", owned by the GUI thread from its creation on. No
// owner closes it: the way out releases it, and only the end of the process closes it
// (InstanceMutex.h); the exit without a back-end leaves even the release to the system.
extern HANDLE g_hInstanceMutex;
