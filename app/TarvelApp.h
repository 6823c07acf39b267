// The application: runs the main dialog modally and ends when it ends.
#pragma once
#include "AfxApp.h"

class CTarvelApp : public CWinApp {
public:
    CTarvelApp() = default;
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CTarvelApp theApp;
