// A notification area of the test's own, on a desktop of its own. Shell_NotifyIconW finds the
// shell's tray by its class, "Shell_TrayWnd", and hands it each request as WM_COPYDATA; this
// window is found first (it is topmost), records every request and takes or refuses it, as a
// shell that is still starting would refuse. Everything here runs on one thread, which must
// sit on that desktop and keep pumping messages (PumpUntil) while programs talk to the tray.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// A desktop of its own, closed when the object goes.
class ScopedDesktop {
public:
    explicit ScopedDesktop(const std::wstring& name);
    ~ScopedDesktop();
    ScopedDesktop(const ScopedDesktop&) = delete;
    ScopedDesktop& operator=(const ScopedDesktop&) = delete;

    bool Valid() const { return m_desk != nullptr; }
    HDESK Handle() const { return m_desk; }
    // The name a child process's STARTUPINFO takes.
    std::wstring StartupName() const { return L"WinSta0\\" + m_name; }

private:
    std::wstring m_name;
    HDESK m_desk = nullptr;
};

struct TrayRequest {
    DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    bool accepted = false;
};

class StandInShell {
public:
    StandInShell() = default;
    ~StandInShell();
    StandInShell(const StandInShell&) = delete;
    StandInShell& operator=(const StandInShell&) = delete;

    // Creates the tray window on the calling thread's desktop; false when it could not, or
    // when Shell_NotifyIconW would not find it first.
    bool Create();
    void SetAccepting(bool accepting) { m_accepting = accepting; }
    // The shell announces itself: "TaskbarCreated" to every top-level window of the desktop.
    void AnnounceTaskbarCreated() const;

    const std::vector<TrayRequest>& Requests() const { return m_requests; }
    std::vector<TrayRequest> RequestsOf(HWND window) const;

    // Handles messages (the tray's requests among them) until pred() holds or timeout passes.
    static bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT& data);

    HWND m_hWnd = nullptr;
    bool m_accepting = false;
    std::vector<TrayRequest> m_requests;
};

}  // namespace e2e
