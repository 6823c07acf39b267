// The faults the firmware can be told to show, each until switched off (or used up).
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "../../common/SimSync.h"

namespace simnb {

struct ReplyOverride {
    bool digits = false;  // fill the whole reply buffer with '7', no terminator
    std::string text;     // otherwise: this text and its terminator
};

class FirmwareFaults {
public:
    void Reset();

    // Refusal: all requests, none, or only the next count requests.
    void RefuseAll(bool on);
    void RefuseNext(uint64_t count);
    // True when this request is to be refused; counts it down.
    bool TakeRefusal();

    void OverrideReply(ReplyOverride reply, bool once);
    void ClearReplyOverride();
    std::optional<ReplyOverride> TakeReplyOverride();

    // A write to key is accepted, but the variable takes this value instead.
    void Keep(const std::string& key, int64_t value);
    void StopKeeping(const std::string& key);
    void StopKeepingAll();
    std::optional<int64_t> KeptValue(const std::string& key) const;

    std::string Status() const;

private:
    mutable Lock m_lock;
    bool m_refuseAll = false;
    uint64_t m_refuseNext = 0;
    std::optional<ReplyOverride> m_reply;
    bool m_replyOnce = false;
    std::map<std::string, int64_t> m_keep;
};

}  // namespace simnb
