// notebookctl's commands for the firmware. Every change is journalled as "ctl".
#include <cstdio>

#include "../../common/FirmwareWire.h"
#include "../QuotedText.h"
#include "../ValueText.h"
#include "FirmwareDomain.h"

namespace simnb {
namespace {

bool ParseOnOff(const std::string& word, bool* on) {
    if (word == "on") {
        *on = true;
        return true;
    }
    if (word == "off") {
        *on = false;
        return true;
    }
    return false;
}

}  // namespace

CommandReply FirmwareDomain::SetCommand(const Args& args) {
    int64_t value = 0;
    if (args.size() != 2) return Fail("usage: set KEY VALUE");
    if (!IsVariableKey(args[0])) return Fail("bad variable name: " + args[0]);
    if (!ParseStrictDecimal(args[1], &value)) return Fail("bad value: " + args[1]);
    m_variables.Set(args[0], value);
    m_journal.Add("ctl", "set " + args[0] + " " + std::to_string(value));
    return Ok();
}

CommandReply FirmwareDomain::GetCommand(const Args& args) const {
    if (args.size() != 1) return Fail("usage: get KEY");
    std::optional<int64_t> value = m_variables.Get(args[0]);
    if (!value) return Fail("no such variable: " + args[0]);
    return Ok(std::to_string(*value) + "\n");
}

CommandReply FirmwareDomain::EventCommand(const Args& args) {
    uint64_t wParam = 0;
    if (args.size() != 1 || !ParseUnsigned(args[0], &wParam)) return Fail("usage: event WPARAM (decimal or 0x...)");
    int reached = m_hub.Raise(wParam);
    char hex[32];
    snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(wParam));
    m_journal.Add("event", std::string("raise wParam=") + hex + " subscribers=" + std::to_string(reached));
    return Ok("subscribers=" + std::to_string(reached) + "\n");
}

CommandReply FirmwareDomain::RefuseCommand(const Args& args) {
    bool on = false;
    uint64_t count = 0;
    if (args.size() == 1 && ParseOnOff(args[0], &on)) {
        m_faults.RefuseAll(on);
    } else if (args.size() == 2 && args[0] == "next" && ParseUnsigned(args[1], &count)) {
        m_faults.RefuseNext(count);
    } else {
        return Fail("usage: fault refuse on|off|next N");
    }
    std::string details = "fault refuse";
    for (const std::string& arg : args) details += " " + arg;
    m_journal.Add("ctl", details);
    return Ok();
}

CommandReply FirmwareDomain::ReplyCommand(const Args& args) {
    bool once = args.size() == 2 && args[1] == "--once";
    if (args.size() != 1 && !once) return Fail("usage: fault reply TEXT|digits800|off [--once]");
    const std::string& what = args[0];
    if (what == "off") {
        m_faults.ClearReplyOverride();
        m_journal.Add("ctl", "fault reply off");
        return Ok();
    }
    if (what.size() >= static_cast<size_t>(kMaxReplyBytes)) return Fail("reply text too long");
    ReplyOverride reply;
    reply.digits = what == "digits800";
    if (!reply.digits) reply.text = what;
    m_faults.OverrideReply(reply, once);
    m_journal.Add("ctl", "fault reply " + (reply.digits ? what : QuoteText(what)) + (once ? " once" : ""));
    return Ok();
}

CommandReply FirmwareDomain::KeepCommand(const Args& args) {
    int64_t value = 0;
    if (args.size() == 1 && args[0] == "off") {
        m_faults.StopKeepingAll();
    } else if (args.size() == 2 && IsVariableKey(args[0]) && args[1] == "off") {
        m_faults.StopKeeping(args[0]);
    } else if (args.size() == 2 && IsVariableKey(args[0]) && ParseStrictDecimal(args[1], &value)) {
        m_faults.Keep(args[0], value);
    } else {
        return Fail("usage: fault keep KEY VALUE|off, or fault keep off");
    }
    std::string details = "fault keep";
    for (const std::string& arg : args) details += " " + arg;
    m_journal.Add("ctl", details);
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
