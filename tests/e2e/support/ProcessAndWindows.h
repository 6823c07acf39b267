// What an end-to-end test needs to watch a Windows program from outside: start it, find
// its windows and message boxes, read them, dismiss them, and wait for its exit.
#pragma once
#include <windows.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// The folder of the running test program (where Tarvel.exe and the stand-ins are built).
std::wstring BinDir();

// Waits until pred() is true; false when timeout passed first.
bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll = std::chrono::milliseconds(20));

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // a process still running is killed: no test leaves one behind
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // desktop: "WinSta0\\NAME" to start the program on another desktop than the caller's.
    bool Start(const std::wstring& exePath, const std::wstring& args = L"", const std::wstring& desktop = L"");
    bool IsRunning() const;
    // Exit status, or STILL_ACTIVE when it did not end within timeout.
    DWORD WaitForExit(std::chrono::milliseconds timeout);
    void Kill(UINT exitCode = 9);
    // Starts a thread in the process at an address no process maps: an access violation on
    // a thread of the program that is none of its own (as a driver's or COM's would be).
    bool FaultOnNewThread();
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }

private:
    PROCESS_INFORMATION m_pi = {};
};

// Visible or hidden top-level windows of a process with the given class (and caption, when
// not empty).
std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& className, const std::wstring& caption = L"");
// Top-level windows of a class and caption, of any process.
std::vector<HWND> AnyTopLevelWindows(const std::wstring& className, const std::wstring& caption);

std::wstring WindowText(HWND hWnd);

struct MessageBoxView {
    HWND hWnd = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // captions of the push buttons, in order
    std::vector<int> buttonIds;
    bool hasIcon = false;               // an icon static is shown
    HWND iconControl = nullptr;
};


// The message boxes a process shows now.
std::vector<MessageBoxView> MessageBoxes(DWORD pid);
// Waits for exactly one message box of the process; null view when none came.
MessageBoxView WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout);
// Presses the box's button with the given id (IDOK by default).
void Dismiss(const MessageBoxView& box, int buttonId = IDOK);

}  // namespace e2e
