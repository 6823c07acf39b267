#include "SwitchLock.h"

namespace {

// Statically initialised: the crash guard may need it at any moment of the process's life.
CSwitchLock g_switchLock;

}  // namespace

CSwitchLock& SwitchLock() { return g_switchLock; }

void CSwitchLock::Enter() {
    const DWORD self = ::GetCurrentThreadId();
    ::AcquireSRWLockExclusive(&m_state);
    while (m_owner != 0 && m_owner != self)
        ::SleepConditionVariableSRW(&m_released, &m_state, INFINITE, 0);
    m_owner = self;
    ++m_depth;
    ::ReleaseSRWLockExclusive(&m_state);
}

void CSwitchLock::Leave() {
    ::AcquireSRWLockExclusive(&m_state);
    if (m_depth > 0 && --m_depth == 0) {
        m_owner = 0;
        ::WakeAllConditionVariable(&m_released);
    }
    ::ReleaseSRWLockExclusive(&m_state);
}

void CSwitchLock::TakeOverForWithdrawal(DWORD faultingThreadId) {
    const DWORD self = ::GetCurrentThreadId();
    ::AcquireSRWLockExclusive(&m_state);
    while (m_owner != 0 && m_owner != self && m_owner != faultingThreadId)
        ::SleepConditionVariableSRW(&m_released, &m_state, INFINITE, 0);
    // Never left: a switch that started after the withdrawal would undo it.
    m_owner = self;
    m_depth = 1;
    ::ReleaseSRWLockExclusive(&m_state);
}
