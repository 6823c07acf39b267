#include "TarvelDlg.h"

// The ATI display library is not wired in yet: the probe finds no library.
BOOL CTarvelDlg::InitAdl() { return FALSE; }
bool CTarvelDlg::AtiApplyOverclock() { return false; }
void CTarvelDlg::AtiRevertOverclock() {}
