#pragma once
// A lock for data shared by the threads of one process. It is the system's slim
// reader/writer lock, always taken exclusively, rather than std::mutex: the same protection
// without bringing a thread library into the program (std::mutex needs one with mingw's
// runtimes). Statically initialised, so a lock at namespace scope is ready before any
// constructor runs.
#include <windows.h>

class CSlimLock {
public:
    CSlimLock() = default;
    CSlimLock(const CSlimLock&) = delete;
    CSlimLock& operator=(const CSlimLock&) = delete;

    void Lock() { ::AcquireSRWLockExclusive(&m_lock); }
    void Unlock() { ::ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

// Holds a CSlimLock for the length of a scope.
class CSlimLockGuard {
public:
    explicit CSlimLockGuard(CSlimLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CSlimLockGuard() { m_lock.Unlock(); }
    CSlimLockGuard(const CSlimLockGuard&) = delete;
    CSlimLockGuard& operator=(const CSlimLockGuard&) = delete;

private:
    CSlimLock& m_lock;
};
