// The two switching operations of the main dialog.
#include "BackendDispatch.h"
#include "NvidiaBackend.h"
#include "TarvelDlg.h"

void CTarvelDlg::ApplyOverclock() {
    DispatchToBackend(m_bNvidia, m_bAti, [] { NvApplyOverclock(); }, [this] { AtiApplyOverclock(); });
}

void CTarvelDlg::RevertOverclock() {
    DispatchToBackend(m_bNvidia, m_bAti, [] { NvRevertOverclock(); }, [this] { AtiRevertOverclock(); });
}
