// What the benchmark driver needs of Windows: clocks, the programs it starts and ends,
// their windows, their memory, and a look at the screen.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Now as a FILETIME (100-ns units since 1601), the clock of the stand-ins' journal.
uint64_t FileTimeNow();
// A monotonic clock in milliseconds with sub-millisecond resolution.
double NowMs();

// A program this driver started; killed if it is still running when the object goes.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start(const std::wstring& commandLine);
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }
    bool Running() const;
    // Waits for the exit; false when the program did not end within timeoutMs.
    bool WaitForExit(DWORD timeoutMs);
    void Kill();

private:
    PROCESS_INFORMATION m_pi = {};
};

// The first top-level window of process pid with this class (and caption, when given).
HWND FindTopLevel(DWORD pid, const wchar_t* className, const wchar_t* caption = nullptr);
// The visible popup menu window of process pid, or null.
HWND VisibleMenu(DWORD pid);

struct Memory {
    uint64_t committed = 0;   // PagefileUsage
    uint64_t workingSet = 0;  // WorkingSetSize
};
Memory MemoryOf(HANDLE process);
// The file names of the modules loaded in a process, with their image sizes in KiB.
struct Module {
    std::string name;
    unsigned long sizeKib = 0;
};
std::vector<Module> ModulesOf(HANDLE process);
// The number of threads of a process.
unsigned ThreadCount(DWORD pid);

// The pixels the screen shows in r, row by row.
std::vector<DWORD> CaptureScreen(const RECT& r);

// Polls until done() holds or timeoutMs passed; returns done()'s last answer.
template <typename F>
bool WaitUntil(F done, double timeoutMs, DWORD pollMs = 1) {
    const double end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() > end)
            return false;
        ::Sleep(pollMs);
    }
    return true;
}

// The folder of this executable, with a trailing backslash.
std::wstring OwnFolder();

// One measured value, as the report collects them: "SAMPLE figure who value".
void Sample(const char* figure, const char* who, double value);
void Note(const char* text);

}  // namespace bench
