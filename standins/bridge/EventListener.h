// The bridge's own thread that holds a firmware event subscription at the service and turns
// each event into WM_FIRMWARE_EVENT for the registered window. It resubscribes on its own
// whenever the service goes away and comes back.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "../common/PipeChannel.h"
#include "../common/UniqueHandle.h"

namespace simnb {

class EventListener {
public:
    EventListener();
    ~EventListener();
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    void SetWindow(HWND window) { m_window.store(window); }

    // Starts the thread (once) and waits for its first subscription attempt; true when the
    // subscription stands.
    bool Start(std::string subscribeMessage);

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    enum class Subscription { Made, Rejected, Unreachable };
    Subscription Subscribe(const PipeChannel& channel);
    void ReceiveEvents(const PipeChannel& channel);
    void ReportFirstAttempt(bool subscribed);

    std::atomic<HWND> m_window{nullptr};
    std::string m_subscribeMessage;
    UniqueHandle m_stop;
    UniqueHandle m_firstAttemptDone;
    std::atomic<bool> m_firstAttemptSubscribed{false};
    UniqueHandle m_thread;
};

}  // namespace simnb
