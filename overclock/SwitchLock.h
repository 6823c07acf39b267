// One switch at a time. The switching operations run on the GUI thread, but the crash
// guard withdraws the overclock from a thread of its own while the GUI thread may be in
// the middle of an apply or a revert; two switches side by side would leave the clocks and
// AP:6 bit 0 telling different stories.
#pragma once
#include <windows.h>

class CSwitchLock {
public:
    CSwitchLock() = default;
    CSwitchLock(const CSwitchLock&) = delete;
    CSwitchLock& operator=(const CSwitchLock&) = delete;

    // Waits until no other thread is switching. The thread that holds the lock may enter
    // again (the withdrawal's revert runs inside its own hold).
    void Enter();
    void Leave();

    // For the crash guard's withdrawal: waits until no other thread is switching, then keeps
    // the lock for the rest of the process's life, so that nothing switches after the
    // withdrawal. A switch held by the thread that faulted is not waited for: that thread
    // will never go on, so its hold passes to the caller.
    void TakeOverForWithdrawal(DWORD faultingThreadId);

private:
    SRWLOCK m_state = SRWLOCK_INIT;
    CONDITION_VARIABLE m_released = CONDITION_VARIABLE_INIT;
    DWORD m_owner = 0;  // no thread has the id 0
    unsigned m_depth = 0;
};

// The lock every switch of the program takes.
CSwitchLock& SwitchLock();

// Holds the switch lock for the length of a scope.
class CSwitchScope {
public:
    explicit CSwitchScope(CSwitchLock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~CSwitchScope() { m_lock.Leave(); }
    CSwitchScope(const CSwitchScope&) = delete;
    CSwitchScope& operator=(const CSwitchScope&) = delete;

private:
    CSwitchLock& m_lock;
};
