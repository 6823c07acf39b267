// The two switching operations of the main dialog.
#include "BackendDispatch.h"
#include "NvidiaBackend.h"
#include "SwitchLock.h"
#include "TarvelDlg.h"

// Each switch holds the switch lock from its first firmware read to its last write, so
// the driver calls and AP:6 bit 0 always change together.
void CTarvelDlg::ApplyOverclock() {
    CSwitchScope scope(SwitchLock());
    DispatchToBackend(m_bNvidia, m_bAti, [] { NvApplyOverclock(); }, [this] { AtiApplyOverclock(); });
}

void CTarvelDlg::RevertOverclock() {
    CSwitchScope scope(SwitchLock());
    DispatchToBackend(m_bNvidia, m_bAti, [] { NvRevertOverclock(); }, [this] { AtiRevertOverclock(); });
}

void CTarvelDlg::WithdrawOverclock() {
    m_bOCEnabled = false;
    RevertOverclock();
}
