#include "../common/ControlWire.h"
#include "Commands.h"
#include "Notebook.h"
#include "ValueText.h"

namespace simnb {
namespace {

constexpr DWORD kControlWriteTimeoutMs = 10000;

using Handler = CommandReply (*)(Notebook& n, const Args& args);

struct Command {
    const char* name;
    const char* usage;  // one line of "help"
    Handler handler;
};

CommandReply JournalCommand(Notebook& n, const Args& args) {
    uint64_t since = 0;
    if (args.size() == 2 && args[0] == "--since") {
        if (!ParseUnsigned(args[1], &since)) return Fail("bad sequence number: " + args[1]);
    } else if (!args.empty()) {
        return Fail("usage: journal [--since SEQ]");
    }
    return Ok(n.journal.Lines(since));
}

CommandReply ClearCommand(Notebook& n, const Args& args) {
    if (!args.empty()) return Fail("usage: clear");
    n.journal.Clear();
    return Ok();
}

CommandReply StatusCommand(Notebook& n, const Args&) {
    std::string out = "service running\npid " + std::to_string(GetCurrentProcessId()) + "\n";
    return Ok(out + n.journal.Status() + n.firmware.Status() + n.gpu.Status());
}

CommandReply ResetCommand(Notebook& n, const Args&) {
    n.firmware.Reset();
    n.gpu.Reset();
    n.journal.Clear();
    n.journal.Add("ctl", "reset");
    return Ok();
}

CommandReply QuitCommand(Notebook& n, const Args&) {
    n.journal.Add("ctl", "quit");
    SetEvent(n.quit.Get());
    return Ok();
}

CommandReply HelpCommand(Notebook&, const Args&);

// In the order of the names, which is the order "help" lists them in.
const Command kCommands[] = {
    {"adl fault", "adl fault status NAME STATUS|off [--at N], adl fault off",
     [](Notebook& n, const Args& a) { return n.gpu.AdlFaultCommand(a); }},
    {"adl set", "adl set flags N, adl set memory|engine default|current|max|min|requested|applied N",
     [](Notebook& n, const Args& a) { return n.gpu.AdlSetCommand(a); }},
    {"clear", "clear                     empty the journal (numbers go on)", &ClearCommand},
    {"event", "event WPARAM              e.g. event 0x60",
     [](Notebook& n, const Args& a) { return n.firmware.EventCommand(a); }},
    {"fault absent", "fault absent on|off", [](Notebook& n, const Args& a) { return n.firmware.AbsentCommand(a); }},
    {"fault keep", "fault keep KEY VALUE|off, fault keep off",
     [](Notebook& n, const Args& a) { return n.firmware.KeepCommand(a); }},
    {"fault refuse", "fault refuse on|off|next N", [](Notebook& n, const Args& a) { return n.firmware.RefuseCommand(a); }},
    {"fault reply", "fault reply TEXT|digits800|off [--once]",
     [](Notebook& n, const Args& a) { return n.firmware.ReplyCommand(a); }},
    {"get", "get KEY", [](Notebook& n, const Args& a) { return n.firmware.GetCommand(a); }},
    {"gpu set", "gpu set displays|physical|logical N", [](Notebook& n, const Args& a) { return n.gpu.GpuSetCommand(a); }},
    {"gpu status", "gpu status                clock states, counts, clock info, faults",
     [](Notebook& n, const Args& a) { return a.empty() ? Ok(n.gpu.FullStatus()) : Fail("usage: gpu status"); }},
    {"help", "help", &HelpCommand},
    {"journal", "journal [--since SEQ]      entries after SEQ: SEQ FILETIME SOURCE DETAILS", &JournalCommand},
    {"nv fault",
     "nv fault status ID|NAME STATUS|off [--at N|--index N], nv fault offer ID|NAME on|off, "
     "nv fault hold|crash-thread ID|NAME [--value N]|apply|revert|off, nv fault filter on|off, "
     "nv fault release, nv fault off",
     [](Notebook& n, const Args& a) { return n.gpu.NvFaultCommand(a); }},
    {"quit", "quit", &QuitCommand},
    {"reset", "reset                     defaults, no faults, empty journal", &ResetCommand},
    {"set", "set KEY VALUE             e.g. set AP:6 5", [](Notebook& n, const Args& a) { return n.firmware.SetCommand(a); }},
    {"status", "status", &StatusCommand},
    {"vars", "vars                      every variable: KEY VALUE",
     [](Notebook& n, const Args& a) { return a.empty() ? Ok(n.firmware.Variables()) : Fail("usage: vars"); }},
};

CommandReply HelpCommand(Notebook&, const Args&) {
    std::string out;
    for (const Command& command : kCommands) out += std::string(command.usage) + "\n";
    return Ok(out);
}

const Command* Find(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

// The handler gets the words after the command's own.
CommandReply RunCommand(Notebook& notebook, const Args& words) {
    if (words.empty()) return Fail("empty command");
    if (words.size() >= 2) {
        if (const Command* two = Find(words[0] + " " + words[1]))
            return two->handler(notebook, Args(words.begin() + 2, words.end()));
    }
    if (const Command* one = Find(words[0])) return one->handler(notebook, Args(words.begin() + 1, words.end()));
    return Fail("unknown command: " + words[0] + (words.size() >= 2 ? " " + words[1] : std::string()));
}

std::string EncodeAnswer(const CommandReply& reply) {
    if (reply.ok) return "OK\n" + reply.text;
    std::string reason = reply.text;
    for (char& c : reason) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return "ERR " + reason;
}

}  // namespace

void ServeControl(Notebook& notebook, const PipeChannel& channel, HANDLE cancel) {
    std::string request;
    for (;;) {
        PipeIo got = channel.Read(request, kMaxControlRequestBytes, INFINITE, cancel);
        if (got != PipeIo::Ok && got != PipeIo::TooLarge) return;
        CommandReply reply =
            got == PipeIo::TooLarge ? Fail("request too large") : RunCommand(notebook, DecodeControlRequest(request));
        if (channel.Write(EncodeAnswer(reply), kControlWriteTimeoutMs, cancel) != PipeIo::Ok) return;
    }
}

}  // namespace simnb
