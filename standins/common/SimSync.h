// Locks and threads for the simulated notebook's service, made directly on the Win32
// primitives. The standard library's std::mutex and std::thread need a thread library with
// mingw's win32 thread model (the 32-bit flavour's compilers); these need nothing.
#pragma once
#include <windows.h>

#include <functional>

#include "UniqueHandle.h"

namespace simnb {

// A non-recursive mutual-exclusion lock (a slim reader/writer lock, always taken
// exclusively). It holds no kernel object, so it needs no clean-up.
class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Acquire() { AcquireSRWLockExclusive(&m_lock); }
    void Release() { ReleaseSRWLockExclusive(&m_lock); }

private:
    SRWLOCK m_lock = SRWLOCK_INIT;
};

// Holds a Lock for the rest of the scope.
class LockGuard {
public:
    explicit LockGuard(Lock& lock) : m_lock(lock) { m_lock.Acquire(); }
    ~LockGuard() { m_lock.Release(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& m_lock;
};

// One thread of execution, owned by this object: Start runs a body on a new thread, Join
// waits for it and closes its handle. The destructor joins a thread still running, so the
// body can never outlive the object that started it.
class Thread {
public:
    Thread() = default;
    ~Thread() { Join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when a thread is already running or none could be created (then body is not run).
    bool Start(std::function<void()> body);
    void Join();
    bool Joinable() const { return m_handle.Valid(); }

private:
    UniqueHandle m_handle;
};

}  // namespace simnb
