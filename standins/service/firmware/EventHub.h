// The bridge connections that currently receive firmware events.
#pragma once
#include <cstdint>
#include <list>
#include <string>

#include "../../common/PipeChannel.h"
#include "../../common/SimSync.h"

namespace simnb {

class EventHub {
public:
    // Acknowledges and registers under one lock, so an event raised right after the bridge
    // saw the acknowledgement cannot miss it. False when the acknowledgement did not go out.
    bool Subscribe(const PipeChannel& channel, HANDLE cancel, const std::string& ack);
    void Unsubscribe(const PipeChannel& channel);
    // Sends the event to every subscriber; the number it reached.
    int Raise(uint64_t wParam);
    size_t Count() const;

private:
    struct Subscriber {
        const PipeChannel* channel;
        HANDLE cancel;
    };
    mutable Lock m_lock;
    std::list<Subscriber> m_subscribers;
};

}  // namespace simnb
