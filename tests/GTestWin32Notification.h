// Force-included into GoogleTest and every test where the compiler's C++ library has no
// std::mutex (mingw's win32 thread model, with which the 32-bit flavour is built, so that
// its tests exercise the very runtime Tarvel.exe ships with). GoogleTest needs std::mutex
// only for its Notification, which it lets a port supply: here a Win32 event.
#pragma once
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(m_event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(m_event); }
    void WaitForNotification() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

}  // namespace internal
}  // namespace testing
