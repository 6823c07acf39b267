// Talks to the simulated notebook (simnotebook.exe) over its control pipe: for notebookctl
// and for tests that run Tarvel or the bridge library against it. Small and synchronous:
// each call is one command and its answer.
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

struct ControlAnswer {
    bool ok = false;
    bool reached = false;  // false: the service did not answer at all
    std::string text;      // the output, or the one-line reason
};

class SimNotebookClient {
public:
    ControlAnswer Command(const std::vector<std::string>& words) const;
    bool IsRunning() const;

    bool SetVar(const std::string& key, int64_t value) const;
    std::optional<int64_t> GetVar(const std::string& key) const;
    std::vector<JournalEntry> Journal(uint64_t since = 0) const;
    bool Clear() const;
    // Defaults, no faults, empty journal.
    bool Reset() const;
    // The number of subscribers the event reached, or -1 when the service did not take it.
    int RaiseEvent(uint64_t wParam) const;

    bool RefuseAll(bool on) const;
    bool RefuseNext(unsigned count) const;
    bool ReplyText(const std::string& text, bool once = false) const;
    bool ReplyDigits800(bool once = false) const;
    bool ReplyOff() const;
    bool Keep(const std::string& key, int64_t value) const;
    bool KeepOff(const std::string& key) const;
    bool SetAbsent(bool absent) const;
    // The status lines as "name value" pairs, e.g. {"subscribers", "1"}.
    std::optional<std::string> StatusValue(const std::string& name) const;
    bool Quit() const;

private:
    bool Succeeds(const std::vector<std::string>& words) const { return Command(words).ok; }
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
    bool Start(std::string* error = nullptr, bool tiedToUs = true, DWORD timeoutMs = 15000);
    // "quit", then waits for the process; terminates it if it does not leave.
    void Stop();
    bool Running() const { return m_process.Valid(); }
    // Leaves the service running on its own (notebookctl start).
    void Detach() { m_process.Reset(); }

private:
    UniqueHandle m_process;
};

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

}  // namespace simnb
