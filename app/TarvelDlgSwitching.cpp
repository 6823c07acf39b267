// The main dialog's switching: the two operations every trigger calls, the vendor each goes
// to, and the ATI back-end over the dialog's own ADL state.
#include "AtiBackend.h"
#include "NvidiaBackend.h"
#include "SwitchLock.h"
#include "TarvelDlg.h"

// Each switch holds the switch lock from its first firmware read to its last write, so
// the driver calls and AP:6 bit 0 always change together. NVIDIA goes first whenever it is
// ready, even when ATI is ready too; with neither, nothing is called at all.
void CTarvelDlg::ApplyOverclock() {
    CSwitchScope scope(SwitchLock());
    if (m_bNvidia)
        NvApplyOverclock();
    else if (m_bAti)
        AtiApplyOverclock();
}

void CTarvelDlg::RevertOverclock() {
    CSwitchScope scope(SwitchLock());
    if (m_bNvidia)
        NvRevertOverclock();
    else if (m_bAti)
        AtiRevertOverclock();
}

void CTarvelDlg::WithdrawOverclock() {
    m_bOCEnabled = false;
    RevertOverclock();
}

BOOL CTarvelDlg::InitAdl() {
    const AdlProbe probe = ProbeAdl(&m_hAdlModule, &m_adlClockInfo);
    if (const wchar_t* message = AdlProbeMessage(probe))
        ShowMessage(message, MB_OK | MB_ICONEXCLAMATION);
    return probe == AdlProbe::Ready;
}

bool CTarvelDlg::AtiApplyOverclock() { return AdlApplyOverclock(m_adlClockInfo); }

void CTarvelDlg::AtiRevertOverclock() { AdlRevertOverclock(m_adlClockInfo); }
