// The About box: shown modally from the system menu and modelessly from the tray menu.
#pragma once
#include "AfxDialog.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
