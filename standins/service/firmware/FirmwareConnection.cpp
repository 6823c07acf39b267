// The bridge library's side: one request per connection, or a subscription that keeps the
// connection for events.
#include <cstring>
#include <vector>

#include "../../common/ControlWire.h"
#include "../../common/FirmwareWire.h"
#include "FirmwareDomain.h"
#include "FirmwareRequest.h"

namespace simnb {
namespace {

constexpr DWORD kWriteTimeoutMs = 3000;
constexpr DWORD kEventWriteTimeoutMs = 1000;
constexpr size_t kMaxMessageBytes = sizeof(WireCallHeader) + kMaxRequestBytes;

uint32_t MessageKind(const std::string& message) {
    uint32_t kind = 0;
    if (message.size() >= sizeof kind) std::memcpy(&kind, message.data(), sizeof kind);
    return kind;
}

FirmwareDomain::CallOutcome Refused(const std::string& why) { return {0, std::string(), why}; }

// Zero-terminated texts, as the control pipe's words are; none when the last is unterminated.
std::vector<std::string> SplitTexts(const std::string& bytes) {
    if (!bytes.empty() && bytes.back() != '\0') return {};
    return DecodeControlRequest(bytes);
}

std::string Lowered(const std::string& text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !out.empty()) out += ' ';
        blank = false;
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// The one event class the firmware raises; WQL keywords and namespaces ignore case.
bool IsFirmwareEventQuery(const std::vector<std::string>& texts) {
    return texts.size() == 3 && Lowered(texts[0]) == "select * from orv_event" && Lowered(texts[1]) == "root\\wmi" &&
           Lowered(texts[2]) == "wql";
}

}  // namespace

void FirmwareDomain::ServeConnection(const PipeChannel& channel, HANDLE cancel) {
    std::string message;
    for (;;) {
        PipeIo got = channel.Read(message, kMaxMessageBytes, INFINITE, cancel);
        if (got == PipeIo::TooLarge) {
            m_journal.Add("fw", "protocol-error why=too-large");
            return;
        }
        if (got != PipeIo::Ok) return;
        uint32_t kind = MessageKind(message);
        if (kind == kWireCall) {
            ServeCall(channel, cancel, message);
        } else if (kind == kWireSubscribe) {
            ServeSubscription(channel, cancel, message);
            return;
        } else {
            m_journal.Add("fw", "protocol-error why=unknown-message bytes=" + std::to_string(message.size()));
            return;
        }
    }
}

void FirmwareDomain::ServeCall(const PipeChannel& channel, HANDLE cancel, const std::string& message) {
    WireCallHeader header;
    if (message.size() < sizeof header) return;
    std::memcpy(&header, message.data(), sizeof header);
    if (header.requestSize <= 0 || header.requestSize > kMaxRequestBytes || header.replySize <= 0 ||
        message.size() != sizeof header + static_cast<size_t>(header.requestSize)) {
        m_journal.Add("fw", "protocol-error why=bad-call bytes=" + std::to_string(message.size()));
        return;  // no answer: the bridge reports failure
    }
    const std::string buffer = message.substr(sizeof header);
    const size_t terminator = buffer.find('\0');
    const bool terminated = terminator != std::string::npos;
    const std::string text = buffer.substr(0, terminator);
    const bool zeroPadded = terminated && buffer.find_first_not_of('\0', terminator) == std::string::npos;

    CallOutcome outcome = terminated ? Answer(text, header.replySize) : Refused("unterminated");
    if (outcome.reply.size() > static_cast<size_t>(kMaxReplyBytes)) outcome.reply.resize(kMaxReplyBytes);

    // What the journal shows of the reply is its text; terminated says whether a zero followed.
    size_t replyEnd = outcome.reply.find('\0');
    std::string details = "call text=" + QuoteText(text) + " requestSize=" + std::to_string(header.requestSize) +
                          " replySize=" + std::to_string(header.replySize) + " zeroPadded=" + YesNo(zeroPadded) +
                          " result=" + std::to_string(outcome.result) +
                          " reply=" + QuoteText(outcome.reply.substr(0, replyEnd)) +
                          " replyBytes=" + std::to_string(outcome.reply.size()) +
                          " terminated=" + YesNo(replyEnd != std::string::npos);
    if (!outcome.why.empty()) details += (outcome.result != 0 ? " note=" : " why=") + outcome.why;
    m_journal.Add("fw", details);

    WireCallReply answer = {outcome.result, static_cast<uint32_t>(outcome.reply.size())};
    std::string bytes(reinterpret_cast<const char*>(&answer), sizeof answer);
    bytes += outcome.reply;
    channel.Write(bytes, kWriteTimeoutMs, cancel);
}

FirmwareDomain::CallOutcome FirmwareDomain::Answer(const std::string& text, int32_t replySize) {
    FirmwareRequest request = ParseFirmwareRequest(text);
    LockGuard guard(m_lock);
    // "refuse on" leaves no count, so a count left over means "refuse next".
    if (m_faults.refuseAll || m_faults.refuseNext > 0) {
        if (m_faults.refuseNext > 0) --m_faults.refuseNext;
        return Refused("fault");
    }
    if (!request.valid) return Refused(request.why);
    auto variable = m_variables.find(request.key);
    if (variable == m_variables.end()) return Refused("unknown-variable");
    if (request.write) {
        auto kept = m_faults.keep.find(request.key);
        if (kept == m_faults.keep.end()) {
            variable->second = request.value;
            return {1, std::string(), std::string()};
        }
        variable->second = kept->second;
        return {1, std::string(), "kept=" + std::to_string(kept->second)};
    }
    if (m_faults.reply) {
        size_t fill = static_cast<size_t>(replySize < kMaxReplyBytes ? replySize : kMaxReplyBytes);
        CallOutcome outcome = {1, m_faults.reply->digits ? std::string(fill, '7') : m_faults.reply->text + '\0',
                               "forced-reply"};
        if (m_faults.replyOnce) m_faults.reply.reset();
        return outcome;
    }
    return {1, std::to_string(variable->second) + '\0', std::string()};
}

void FirmwareDomain::ServeSubscription(const PipeChannel& channel, HANDLE cancel, const std::string& message) {
    std::vector<std::string> texts = SplitTexts(message.substr(sizeof(WireSubscribeHeader)));
    bool accepted = IsFirmwareEventQuery(texts);
    std::string details = "subscribe";
    const char* names[3] = {"query", "namespace", "language"};
    for (size_t i = 0; i < texts.size() && i < 3; ++i) details += std::string(" ") + names[i] + "=" + QuoteText(texts[i]);
    WireSubscribeAck ack = {accepted ? 1 : 0};
    std::string ackBytes(reinterpret_cast<const char*>(&ack), sizeof ack);
    if (!accepted) {
        m_journal.Add("fw", details + " result=0 why=unknown-query");
        channel.Write(ackBytes, kWriteTimeoutMs, cancel);
        return;
    }
    {
        // Acknowledged and registered under one lock, so an event raised right after the
        // bridge saw the acknowledgement cannot miss it.
        LockGuard guard(m_subscribersLock);
        if (channel.Write(ackBytes, kEventWriteTimeoutMs, cancel) != PipeIo::Ok) return;
        m_subscribers[&channel] = cancel;
    }
    m_journal.Add("fw", details + " result=1 subscribers=" + std::to_string(SubscriberCount()));

    // Nothing more is expected from the bridge; the read ends when it goes away or we stop.
    std::string ignored;
    PipeIo end;
    do {
        end = channel.Read(ignored, kMaxMessageBytes, INFINITE, cancel);
    } while (end == PipeIo::Ok || end == PipeIo::TooLarge);
    {
        LockGuard guard(m_subscribersLock);
        m_subscribers.erase(&channel);
    }
    m_journal.Add("fw", std::string("unsubscribe why=") + (end == PipeIo::Cancelled ? "dropped" : "closed") +
                            " subscribers=" + std::to_string(SubscriberCount()));
}

}  // namespace simnb
