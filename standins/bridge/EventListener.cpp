#include "EventListener.h"

#include <cstring>

#include "../../firmware/ORVWmiAcpi.h"
#include "../common/FirmwareWire.h"
#include "../common/PipeNames.h"

namespace simnb {
namespace {

constexpr DWORD kRetryMs = 250;
constexpr DWORD kAckTimeoutMs = 2000;
constexpr DWORD kFirstAttemptWaitMs = 3000;

}  // namespace

EventListener::EventListener() : m_stop(MakeManualEvent()), m_firstAttemptDone(MakeManualEvent()) {}

EventListener::~EventListener() {
    if (!m_thread.Valid()) return;
    // Every wait of the thread includes m_stop, and pending reads are cancelled on it.
    SetEvent(m_stop.Get());
    WaitForSingleObject(m_thread.Get(), INFINITE);
}

bool EventListener::Start(std::string subscribeMessage) {
    if (m_thread.Valid()) return m_firstAttemptSubscribed.load();
    if (!m_stop.Valid() || !m_firstAttemptDone.Valid()) return false;
    m_subscribeMessage = std::move(subscribeMessage);
    m_thread.Reset(CreateThread(nullptr, 0, &EventListener::ThreadMain, this, 0, nullptr));
    if (!m_thread.Valid()) return false;
    HANDLE waits[2] = {m_firstAttemptDone.Get(), m_thread.Get()};
    WaitForMultipleObjects(2, waits, FALSE, kFirstAttemptWaitMs);
    return m_firstAttemptSubscribed.load();
}

DWORD WINAPI EventListener::ThreadMain(void* self) {
    static_cast<EventListener*>(self)->Run();
    return 0;
}

void EventListener::ReportFirstAttempt(bool subscribed) {
    if (WaitForSingleObject(m_firstAttemptDone.Get(), 0) == WAIT_OBJECT_0) return;
    m_firstAttemptSubscribed.store(subscribed);
    SetEvent(m_firstAttemptDone.Get());
}

void EventListener::Run() {
    do {
        // No busy wait here: a busy or missing service is simply tried again a little later.
        PipeChannel channel(ConnectToPipe(kFirmwarePipeName, 0));
        Subscription outcome = channel.Valid() ? Subscribe(channel) : Subscription::Unreachable;
        ReportFirstAttempt(outcome == Subscription::Made);
        // The firmware said no to this query: asking again would not change its mind.
        if (outcome == Subscription::Rejected) return;
        if (outcome == Subscription::Made) ReceiveEvents(channel);
    } while (WaitForSingleObject(m_stop.Get(), kRetryMs) == WAIT_TIMEOUT);
}

EventListener::Subscription EventListener::Subscribe(const PipeChannel& channel) {
    if (channel.Write(m_subscribeMessage, kAckTimeoutMs, m_stop.Get()) != PipeIo::Ok) return Subscription::Unreachable;
    std::string answer;
    if (channel.Read(answer, sizeof(WireSubscribeAck), kAckTimeoutMs, m_stop.Get()) != PipeIo::Ok) {
        return Subscription::Unreachable;
    }
    WireSubscribeAck ack;
    if (answer.size() != sizeof ack) return Subscription::Unreachable;
    std::memcpy(&ack, answer.data(), sizeof ack);
    return ack.result != 0 ? Subscription::Made : Subscription::Rejected;
}

void EventListener::ReceiveEvents(const PipeChannel& channel) {
    std::string message;
    while (channel.Read(message, sizeof(WireEvent), INFINITE, m_stop.Get()) == PipeIo::Ok) {
        WireEvent event;
        if (message.size() != sizeof event) return;  // not our protocol: start over
        std::memcpy(&event, message.data(), sizeof event);
        if (event.kind != kWireEvent) return;
        HWND window = m_window.load();
        if (window != nullptr) PostMessageW(window, WM_FIRMWARE_EVENT, static_cast<WPARAM>(event.wParam), 0);
    }
}

}  // namespace simnb
