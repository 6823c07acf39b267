#include "StandInShell.h"

#include <cstring>

namespace e2e {
namespace {

const wchar_t kTrayClass[] = L"Shell_TrayWnd";

// What Wine's shell32 sends with each request: its own fixed layout, which starts with these
// fields (Windows' own shell uses another layout; the stand-in serves Wine's).
struct WineNotifyHead {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
};

}  // namespace

ScopedDesktop::ScopedDesktop(const std::wstring& name)
    : m_name(name), m_desk(::CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr)) {}

ScopedDesktop::~ScopedDesktop() {
    if (m_desk != nullptr) ::CloseDesktop(m_desk);
}

StandInShell::~StandInShell() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

bool StandInShell::Create() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &StandInShell::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTrayClass;
    ::RegisterClassW(&wc);  // a second shell in the same program finds the class registered
    m_hWnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, wc.hInstance, this);
    return m_hWnd != nullptr && ::FindWindowW(kTrayClass, nullptr) == m_hWnd;
}

void StandInShell::AnnounceTaskbarCreated() const {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, 5000,
                          &ignored);
}

std::vector<TrayRequest> StandInShell::RequestsOf(HWND window) const {
    std::vector<TrayRequest> found;
    for (const TrayRequest& r : m_requests)
        if (r.window == window) found.push_back(r);
    return found;
}

bool StandInShell::PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        if (pred()) return true;
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= static_cast<DWORD>(timeout.count())) return false;
        // Sent messages (the tray's requests) are handled inside this wait as well.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

LRESULT CALLBACK StandInShell::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandInShell*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && self != nullptr && lParam != 0)
        return self->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT StandInShell::OnCopyData(const COPYDATASTRUCT& data) {
    TrayRequest request;
    request.message = static_cast<DWORD>(data.dwData);
    if (data.cbData >= sizeof(WineNotifyHead) && data.lpData != nullptr) {
        WineNotifyHead head;
        std::memcpy(&head, data.lpData, sizeof head);
        request.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(head.window));
        request.id = head.id;
        request.flags = head.flags;
        request.callbackMessage = head.callbackMessage;
    }
    request.accepted = m_accepting;
    m_requests.push_back(request);
    return m_accepting ? TRUE : FALSE;
}

}  // namespace e2e
