#include "SimSync.h"

#include <process.h>

#include <memory>

namespace simnb {
namespace {

unsigned __stdcall RunBody(void* parameter) {
    // The new thread takes over the body from Start.
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

bool Thread::Start(std::function<void()> body) {
    if (Joinable() || !body) return false;
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    // _beginthreadex rather than CreateThread: the body uses the C runtime.
    uintptr_t handle = _beginthreadex(nullptr, 0, &RunBody, owned.get(), 0, nullptr);
    if (handle == 0) return false;
    owned.release();  // now the thread's
    m_handle.Reset(reinterpret_cast<HANDLE>(handle));
    return true;
}

void Thread::Join() {
    if (!Joinable()) return;
    WaitForSingleObject(m_handle.Get(), INFINITE);
    m_handle.Reset();
}

}  // namespace simnb
