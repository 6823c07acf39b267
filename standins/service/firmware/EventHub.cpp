#include "EventHub.h"

#include "../../common/FirmwareWire.h"

namespace simnb {
namespace {

constexpr DWORD kWriteTimeoutMs = 1000;

}  // namespace

bool EventHub::Subscribe(const PipeChannel& channel, HANDLE cancel, const std::string& ack) {
    LockGuard guard(m_lock);
    if (channel.Write(ack, kWriteTimeoutMs, cancel) != PipeIo::Ok) return false;
    m_subscribers.push_back(Subscriber{&channel, cancel});
    return true;
}

void EventHub::Unsubscribe(const PipeChannel& channel) {
    LockGuard guard(m_lock);
    m_subscribers.remove_if([&channel](const Subscriber& s) { return s.channel == &channel; });
}

int EventHub::Raise(uint64_t wParam) {
    WireEvent event = {kWireEvent, 0, wParam};
    LockGuard guard(m_lock);
    int reached = 0;
    for (const Subscriber& subscriber : m_subscribers) {
        if (subscriber.channel->Write(&event, sizeof event, kWriteTimeoutMs, subscriber.cancel) == PipeIo::Ok) {
            ++reached;
        } else {
            // A subscriber that cannot take an event is gone for good: its thread ends it.
            SetEvent(subscriber.cancel);
        }
    }
    return reached;
}

size_t EventHub::Count() const {
    LockGuard guard(m_lock);
    return m_subscribers.size();
}

}  // namespace simnb
