#include "AfxDialog.h"
#include "AfxApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

LPCDLGTEMPLATEW CDialog::LoadTemplate(UINT nIDTemplate) const {
    HINSTANCE hInst = AfxFindResourceHandle(MAKEINTRESOURCEW(nIDTemplate), RT_DIALOG);
    HRSRC hRes = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDTemplate), RT_DIALOG);
    if (hRes == nullptr)
        return nullptr;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRes);  // module-owned: nothing to free
    return hGlobal ? static_cast<LPCDLGTEMPLATEW>(::LockResource(hGlobal)) : nullptr;
}

HWND CDialog::OwnerWindow(CWnd* pParentWnd) const {
    if (pParentWnd != nullptr)
        return pParentWnd->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    return (pMain != nullptr && pMain != this) ? pMain->m_hWnd : nullptr;
}

INT_PTR CDialog::DoModal() {
    LPCDLGTEMPLATEW lpTemplate = LoadTemplate(m_nIDTemplate);
    if (lpTemplate == nullptr)
        return -1;
    return ::DialogBoxIndirectParamW(AfxGetResourceHandle(), lpTemplate, OwnerWindow(m_pParentWnd),
                                     &CDialog::AfxDlgProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    LPCDLGTEMPLATEW lpTemplate = LoadTemplate(nIDTemplate);
    if (lpTemplate == nullptr)
        return FALSE;
    HWND hWnd = ::CreateDialogIndirectParamW(AfxGetResourceHandle(), lpTemplate, OwnerWindow(pParentWnd),
                                             &CDialog::AfxDlgProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

// The dialog manager's procedure. It takes over the window on WM_INITDIALOG, so that every
// later message passes through the message maps before the dialog manager's default
// processing, and leaves everything else to that default.
INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    if (pDlg == nullptr || !pDlg->SubclassWindow(hWnd))
        return TRUE;
    return pDlg->OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

void CDialog::BindControl(int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr)
        return;
    if (rControl.Attach(::GetDlgItem(m_hWnd, nIDC)))
        m_boundControls.push_back(&rControl);
}

void CDialog::PostNcDestroy() {
    // The controls died with the dialog: their objects let go of the handles too.
    for (CWnd* pControl : m_boundControls)
        pControl->Detach();
    m_boundControls.clear();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    pDX->m_pDlgWnd->BindControl(nIDC, rControl);
}
