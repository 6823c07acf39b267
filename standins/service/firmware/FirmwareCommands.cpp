// notebookctl's commands for the firmware. Every change is journalled as "ctl".
#include <cstdio>

#include "../../common/FirmwareWire.h"
#include "../ValueText.h"
#include "FirmwareDomain.h"
#include "FirmwareRequest.h"

namespace simnb {
namespace {

constexpr DWORD kEventWriteTimeoutMs = 1000;

bool ParseOnOff(const std::string& word, bool* on) {
    *on = word == "on";
    return *on || word == "off";
}

}  // namespace

CommandReply FirmwareDomain::SetCommand(const Args& args) {
    int64_t value = 0;
    if (args.size() != 2) return Fail("usage: set KEY VALUE");
    if (!IsVariableKey(args[0])) return Fail("bad variable name: " + args[0]);
    if (!ParseStrictDecimal(args[1], &value)) return Fail("bad value: " + args[1]);
    {
        LockGuard guard(m_lock);
        m_variables[args[0]] = value;
    }
    m_journal.Add("ctl", "set " + args[0] + " " + std::to_string(value));
    return Ok();
}

CommandReply FirmwareDomain::GetCommand(const Args& args) const {
    if (args.size() != 1) return Fail("usage: get KEY");
    LockGuard guard(m_lock);
    auto found = m_variables.find(args[0]);
    if (found == m_variables.end()) return Fail("no such variable: " + args[0]);
    return Ok(std::to_string(found->second) + "\n");
}

CommandReply FirmwareDomain::EventCommand(const Args& args) {
    uint64_t wParam = 0;
    if (args.size() != 1 || !ParseUnsigned(args[0], &wParam)) return Fail("usage: event WPARAM (decimal or 0x...)");
    WireEvent event = {kWireEvent, 0, wParam};
    int reached = 0;
    {
        LockGuard guard(m_subscribersLock);
        for (const auto& subscriber : m_subscribers) {
            if (subscriber.first->Write(&event, sizeof event, kEventWriteTimeoutMs, subscriber.second) == PipeIo::Ok) {
                ++reached;
            } else {
                // A subscriber that cannot take an event is gone for good: its thread ends it.
                SetEvent(subscriber.second);
            }
        }
    }
    char hex[32];
    snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(wParam));
    m_journal.Add("event", std::string("raise wParam=") + hex + " subscribers=" + std::to_string(reached));
    return Ok("subscribers=" + std::to_string(reached) + "\n");
}

CommandReply FirmwareDomain::RefuseCommand(const Args& args) {
    bool on = false;
    uint64_t count = 0;
    const bool all = args.size() == 1 && ParseOnOff(args[0], &on);
    if (!all && !(args.size() == 2 && args[0] == "next" && ParseUnsigned(args[1], &count)))
        return Fail("usage: fault refuse on|off|next N");
    {
        LockGuard guard(m_lock);
        m_faults.refuseAll = on;
        m_faults.refuseNext = count;
    }
    m_journal.Add("ctl", Joined("fault refuse", args));
    return Ok();
}

CommandReply FirmwareDomain::ReplyCommand(const Args& args) {
    bool once = args.size() == 2 && args[1] == "--once";
    if (args.size() != 1 && !once) return Fail("usage: fault reply TEXT|digits800|off [--once]");
    const std::string& what = args[0];
    LockGuard guard(m_lock);
    if (what == "off") {
        m_faults.reply.reset();
        m_journal.Add("ctl", "fault reply off");
        return Ok();
    }
    if (what.size() >= static_cast<size_t>(kMaxReplyBytes)) return Fail("reply text too long");
    FirmwareFaults::Reply reply;
    reply.digits = what == "digits800";
    if (!reply.digits) reply.text = what;
    m_faults.reply = reply;
    m_faults.replyOnce = once;
    m_journal.Add("ctl", "fault reply " + (reply.digits ? what : QuoteText(what)) + (once ? " once" : ""));
    return Ok();
}

CommandReply FirmwareDomain::KeepCommand(const Args& args) {
    int64_t value = 0;
    LockGuard guard(m_lock);
    if (args.size() == 1 && args[0] == "off") {
        m_faults.keep.clear();
    } else if (args.size() == 2 && IsVariableKey(args[0]) && args[1] == "off") {
        m_faults.keep.erase(args[0]);
    } else if (args.size() == 2 && IsVariableKey(args[0]) && ParseStrictDecimal(args[1], &value)) {
        m_faults.keep[args[0]] = value;
    } else {
        return Fail("usage: fault keep KEY VALUE|off, or fault keep off");
    }
    m_journal.Add("ctl", Joined("fault keep", args));
    return Ok();
}

CommandReply FirmwareDomain::AbsentCommand(const Args& args) {
    bool on = false;
    if (args.size() != 1 || !ParseOnOff(args[0], &on)) return Fail("usage: fault absent on|off");
    SetAbsent(on);
    m_journal.Add("ctl", std::string("fault absent ") + (on ? "on" : "off"));
    return Ok();
}

}  // namespace simnb
