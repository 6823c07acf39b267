#include "TarvelApp.h"
#include "CrashGuard.h"
#include "SwitchLock.h"
#include "TarvelDlg.h"
#include <commctrl.h>

BEGIN_MESSAGE_MAP(CTarvelApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CTarvelApp theApp;

namespace {

// A crash must not leave the GPU overclocked: the same revert as every other way out,
// on the dialog while it exists. A switch that another thread has under way ends first,
// and none starts after this one.
void WithdrawOverclockOnCrash(DWORD faultingThreadId) {
    SwitchLock().TakeOverForWithdrawal(faultingThreadId);
    if (CTarvelDlg* dialog = g_pMainDlg)
        dialog->RevertOverclock();
}

}  // namespace

BOOL CTarvelApp::InitInstance() {
    InstallCrashGuard(&WithdrawOverclockOnCrash);

    INITCOMMONCONTROLSEX initCtrls = {};
    initCtrls.dwSize = sizeof initCtrls;
    initCtrls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&initCtrls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CTarvelDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // The dialog has ended: end the program instead of running a message loop.
    return FALSE;
}
