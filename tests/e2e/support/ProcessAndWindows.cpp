#include "ProcessAndWindows.h"
#include <thread>

namespace e2e {

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout, std::chrono::milliseconds poll) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(poll);
    }
}

ChildProcess::~ChildProcess() {
    if (m_pi.hProcess != nullptr) {
        if (IsRunning()) {
            ::TerminateProcess(m_pi.hProcess, 9);
            ::WaitForSingleObject(m_pi.hProcess, 5000);
        }
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
    }
}

bool ChildProcess::Start(const std::wstring& exePath, const std::wstring& args, const std::wstring& desktop) {
    std::wstring cmd = L"\"" + exePath + L"\"" + (args.empty() ? L"" : L" " + args);
    std::wstring desktopName = desktop;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!desktopName.empty()) si.lpDesktop = &desktopName[0];
    return ::CreateProcessW(exePath.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) != FALSE;
}

bool ChildProcess::IsRunning() const {
    return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (::WaitForSingleObject(m_pi.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &code);
    return code;
}

void ChildProcess::Kill(UINT exitCode) {
    if (IsRunning()) {
        ::TerminateProcess(m_pi.hProcess, exitCode);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
    }
}

bool ChildProcess::FaultOnNewThread() {
    auto unmapped = reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(0x10));
    HANDLE thread = ::CreateRemoteThread(m_pi.hProcess, nullptr, 0, unmapped, nullptr, 0, nullptr);
    if (thread == nullptr) return false;
    ::CloseHandle(thread);
    return true;
}

namespace {

struct EnumState {
    DWORD pid;  // 0: any process
    std::wstring className;
    std::wstring caption;
    bool anyCaption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
    auto* s = reinterpret_cast<EnumState*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (s->pid != 0 && pid != s->pid) return TRUE;
    wchar_t cls[256];
    ::GetClassNameW(hWnd, cls, 256);
    if (s->className != cls) return TRUE;
    if (!s->anyCaption && WindowText(hWnd) != s->caption) return TRUE;
    s->found.push_back(hWnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& className, const std::wstring& caption) {
    EnumState s{pid, className, caption, caption.empty(), {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> AnyTopLevelWindows(const std::wstring& className, const std::wstring& caption) {
    EnumState s{0, className, caption, false, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring WindowText(HWND hWnd) {
    wchar_t text[1024];
    // WM_GETTEXT works across processes (GetWindowText does not for other processes' controls).
    LRESULT n = ::SendMessageW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return std::wstring(text, static_cast<size_t>(n));
}

namespace {

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

MessageBoxView ViewOf(HWND hWnd) {
    MessageBoxView v;
    v.hWnd = hWnd;
    v.caption = WindowText(hWnd);
    std::vector<HWND> children;
    ::EnumChildWindows(hWnd, &CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND c : children) {
        wchar_t cls[64];
        ::GetClassNameW(c, cls, 64);
        std::wstring k = cls;
        int id = ::GetDlgCtrlID(c);
        LONG style = ::GetWindowLongW(c, GWL_STYLE);
        if (_wcsicmp(k.c_str(), L"Button") == 0 && (style & WS_VISIBLE)) {
            v.buttons.push_back(WindowText(c));
            v.buttonIds.push_back(id);
        } else if (_wcsicmp(k.c_str(), L"Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                HICON icon = reinterpret_cast<HICON>(::SendMessageW(c, STM_GETICON, 0, 0));
                if (icon != nullptr && (style & WS_VISIBLE)) {
                    v.hasIcon = true;
                    v.iconControl = c;
                }
            } else if (id == 0xFFFF) {
                v.text = WindowText(c);
            }
        }
    }
    return v;
}

}  // namespace

std::vector<MessageBoxView> MessageBoxes(DWORD pid) {
    std::vector<MessageBoxView> boxes;
    for (HWND h : TopLevelWindows(pid, L"#32770"))
        if (::IsWindowVisible(h) && ::GetDlgItem(h, 0xFFFF) != nullptr)
            boxes.push_back(ViewOf(h));
    return boxes;
}

MessageBoxView WaitForMessageBox(DWORD pid, std::chrono::milliseconds timeout) {
    MessageBoxView found;
    WaitUntil([&] {
        auto boxes = MessageBoxes(pid);
        if (boxes.empty()) return false;
        found = boxes.front();
        return true;
    }, timeout);
    return found;
}

void Dismiss(const MessageBoxView& box, int buttonId) {
    HWND button = ::GetDlgItem(box.hWnd, buttonId);
    ::PostMessageW(box.hWnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace e2e
