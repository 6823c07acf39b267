// Talks to the simulated notebook (simnotebook.exe) over its control pipe: for notebookctl
// and for tests that run Tarvel or the bridge library against it. Small and synchronous:
// each call is one command and its answer. A command is notebookctl's words (see
// standins/README.md), e.g. Ok({"fault", "refuse", "on"}) or Ok({"nv", "fault", "release"}).
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../common/UniqueHandle.h"

namespace simnb {

// One journal line: "SEQ FILETIME SOURCE DETAILS".
struct JournalEntry {
    uint64_t seq = 0;
    uint64_t time = 0;  // absolute, 100-ns units (FILETIME)
    std::string source;
    std::string text;   // the details, e.g. call text="root\WMI:Q:ORV_AP:AP:6" requestSize=80 ...

    // The value of NAME=VALUE in the details, quotes removed and \xNN decoded; nullopt if absent.
    std::optional<std::string> Field(const std::string& name) const;
    // The first word of the details ("call", "subscribe", "raise", "set", ...).
    std::string Action() const;
};

bool ParseJournalLine(const std::string& line, JournalEntry* entry);

// The GPU stand-ins' entries ("nv", "adl"), in order; with an action, only the entries of
// that call ("NvPrivate_B23B70EE", "ADL_Main_Control_Create", "query").
std::vector<JournalEntry> GpuEntries(const std::vector<JournalEntry>& journal, const std::string& action = "");
// The identifiers nvapi_QueryInterface was asked for, in order.
std::vector<uint32_t> NvQueries(const std::vector<JournalEntry>& journal);

struct ControlAnswer {
    bool ok = false;
    bool reached = false;  // false: the service did not answer at all
    std::string text;      // the output, or the one-line reason
};

class SimNotebookClient {
public:
    ControlAnswer Command(const std::vector<std::string>& words) const;
    // The service took the command.
    bool Ok(const std::vector<std::string>& words) const { return Command(words).ok; }
    bool IsRunning() const { return Ok({"status"}); }

    bool SetVar(const std::string& key, int64_t value) const { return Ok({"set", key, std::to_string(value)}); }
    std::optional<int64_t> GetVar(const std::string& key) const;
    std::vector<JournalEntry> Journal(uint64_t since = 0) const;
    // The number of subscribers the event reached, or -1 when the service did not take it.
    int RaiseEvent(uint64_t wParam) const;
    // A value of the status lines, e.g. "subscribers" or "nv-clocks" ("default",
    // "overclocked", or "none" without a GPU; "adl-clocks" may also be "custom").
    std::optional<std::string> StatusValue(const std::string& name) const;
};

// A simnotebook.exe that this process started (beside its own executable) and stops again.
class SimNotebookProcess {
public:
    SimNotebookProcess() = default;
    ~SimNotebookProcess() { Stop(); }
    SimNotebookProcess(const SimNotebookProcess&) = delete;
    SimNotebookProcess& operator=(const SimNotebookProcess&) = delete;

    // Starts the service and waits until its control pipe answers. With tiedToUs, the
    // service also ends when this process ends, so a crashed test leaves nothing behind.
    bool Start(std::string* error, bool tiedToUs = true);
    // "quit", then waits for the process; terminates it if it does not leave.
    void Stop();
    // Leaves the service running on its own (notebookctl start).
    void Detach() { m_process.Reset(); }

private:
    UniqueHandle m_process;
};

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

}  // namespace simnb
