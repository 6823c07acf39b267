// The application object: one per program, constructed statically; the framework's entry
// point runs its InitInstance and, when that returns TRUE, a message loop.
#pragma once
#include "AfxWnd.h"

// The framework's help command.
#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    // Loads an icon resource of the program (group icon nIDResource).
    HICON LoadIcon(UINT nIDResource) const;
    // Records the registry key under which settings would be kept; nothing is written.
    void SetRegistryKey(LPCWSTR lpszRegistryKey) { m_pszRegistryKey = lpszRegistryKey; }
    // The program keeps no help file: the help command opens nothing.
    void OnHelp() {}

    LPCWSTR m_pszAppName;
    LPCWSTR m_pszRegistryKey = nullptr;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();
// The module that holds resource lpszName of type lpszType (this program keeps all its
// resources in the executable).
HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
// Control containment (ActiveX hosting) is not needed by any dialog here: a no-op kept
// for the start-up sequence.
void AfxEnableControlContainer();

// The framework's part of the entry point: the program's wWinMain calls it.
int AfxWinMain(HINSTANCE hInstance, LPWSTR lpCmdLine, int nCmdShow);
