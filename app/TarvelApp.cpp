#include "TarvelApp.h"
#include "TarvelDlg.h"
#include <commctrl.h>

BEGIN_MESSAGE_MAP(CTarvelApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CTarvelApp theApp;

BOOL CTarvelApp::InitInstance() {
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
