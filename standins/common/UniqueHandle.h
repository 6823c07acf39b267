// Owns one kernel handle (event, pipe, thread, process, mutex) and closes it once.
#pragma once
#include <windows.h>

namespace simnb {

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    // Both conventions for "no handle" occur: CreateFile gives INVALID_HANDLE_VALUE, the rest null.
    bool Valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

    HANDLE Release() {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) {
        if (Valid()) CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};

// A manual-reset event, unsignalled.
inline UniqueHandle MakeManualEvent() { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace simnb
