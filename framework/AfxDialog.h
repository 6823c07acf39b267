// Dialogs built from resource templates, modal (DoModal) or modeless (Create), with
// data exchange that binds control objects to the dialog's controls.
#pragma once
#include "AfxWnd.h"
#include <vector>

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; its result is what EndDialog was given, or -1 when the
    // template could not be loaded.
    virtual INT_PTR DoModal();
    // Makes the dialog a modeless window; with no parent the application's main window
    // owns it.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Binds a control object to control nIDC once (DDX_Control).
    void BindControl(int nIDC, CWnd& rControl);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    void PostNcDestroy() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LPCDLGTEMPLATEW LoadTemplate(UINT nIDTemplate) const;
    HWND OwnerWindow(CWnd* pParentWnd) const;

    std::vector<CWnd*> m_boundControls;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
