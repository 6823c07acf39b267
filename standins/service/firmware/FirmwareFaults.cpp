#include "FirmwareFaults.h"

#include "../QuotedText.h"

namespace simnb {

void FirmwareFaults::Reset() {
    LockGuard guard(m_lock);
    m_refuseAll = false;
    m_refuseNext = 0;
    m_reply.reset();
    m_replyOnce = false;
    m_keep.clear();
}

void FirmwareFaults::RefuseAll(bool on) {
    LockGuard guard(m_lock);
    m_refuseAll = on;
    m_refuseNext = 0;
}

void FirmwareFaults::RefuseNext(uint64_t count) {
    LockGuard guard(m_lock);
    m_refuseAll = false;
    m_refuseNext = count;
}

bool FirmwareFaults::TakeRefusal() {
    LockGuard guard(m_lock);
    if (m_refuseAll) return true;
    if (m_refuseNext == 0) return false;
    --m_refuseNext;
    return true;
}

void FirmwareFaults::OverrideReply(ReplyOverride reply, bool once) {
    LockGuard guard(m_lock);
    m_reply = std::move(reply);
    m_replyOnce = once;
}

void FirmwareFaults::ClearReplyOverride() {
    LockGuard guard(m_lock);
    m_reply.reset();
}

std::optional<ReplyOverride> FirmwareFaults::TakeReplyOverride() {
    LockGuard guard(m_lock);
    std::optional<ReplyOverride> reply = m_reply;
    if (m_replyOnce) m_reply.reset();
    return reply;
}

void FirmwareFaults::Keep(const std::string& key, int64_t value) {
    LockGuard guard(m_lock);
    m_keep[key] = value;
}

void FirmwareFaults::StopKeeping(const std::string& key) {
    LockGuard guard(m_lock);
    m_keep.erase(key);
}

void FirmwareFaults::StopKeepingAll() {
    LockGuard guard(m_lock);
    m_keep.clear();
}

std::optional<int64_t> FirmwareFaults::KeptValue(const std::string& key) const {
    LockGuard guard(m_lock);
    auto found = m_keep.find(key);
    if (found == m_keep.end()) return std::nullopt;
    return found->second;
}

std::string FirmwareFaults::Status() const {
    LockGuard guard(m_lock);
    std::string out = "fault-refuse ";
    if (m_refuseAll) {
        out += "on\n";
    } else if (m_refuseNext > 0) {
        out += "next " + std::to_string(m_refuseNext) + "\n";
    } else {
        out += "off\n";
    }
    out += "fault-reply ";
    if (!m_reply) {
        out += "off";
    } else {
        out += m_reply->digits ? std::string("digits800") : QuoteText(m_reply->text);
        if (m_replyOnce) out += " once";
    }
    out += "\nfault-keep";
    if (m_keep.empty()) out += " off";
    for (const auto& entry : m_keep) out += " " + entry.first + "=" + std::to_string(entry.second);
    out += "\n";
    return out;
}

}  // namespace simnb
