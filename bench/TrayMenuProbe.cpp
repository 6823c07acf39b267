#include "TrayMenuProbe.h"

namespace bench {

namespace {

// The tray callback message of both programs; lParam carries the mouse message.
constexpr UINT kTrayNotify = WM_USER + 1;
constexpr double kMenuTimeoutMs = 5000;

}  // namespace

HWND TrayMenuProbe::Open(double* clickedAtMs) {
    ::PostMessageW(m_owner, kTrayNotify, 1, WM_RBUTTONDOWN);
    *clickedAtMs = NowMs();
    ::PostMessageW(m_owner, kTrayNotify, 1, WM_RBUTTONUP);
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = VisibleMenu(m_pid)) != nullptr; }, kMenuTimeoutMs, 0);
    return menu;
}

bool TrayMenuProbe::Close(HWND menu) {
    // The menu loop runs in the program's thread and reads its keyboard messages from
    // that thread's queue.
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    if (WaitUntil([&] { return VisibleMenu(m_pid) == nullptr; }, 1000))
        return true;
    ::PostMessageW(menu, WM_CANCELMODE, 0, 0);
    return WaitUntil([&] { return VisibleMenu(m_pid) == nullptr; }, kMenuTimeoutMs);
}

bool TrayMenuProbe::OpenAndClose() {
    double clicked = 0;
    HWND menu = Open(&clicked);
    return menu != nullptr && Close(menu);
}

double TrayMenuProbe::TimeToPainted() {
    double clicked = 0;
    HWND menu = Open(&clicked);
    if (menu == nullptr)
        return -1;
    RECT r;
    ::GetWindowRect(menu, &r);
    double painted = -1;
    if (m_painted.empty()) {
        // Learning run: what the menu shows once everything has settled.
        ::Sleep(300);
        m_painted = CaptureScreen(r);
    } else {
        WaitUntil([&] { return CaptureScreen(r) == m_painted; }, kMenuTimeoutMs, 0);
        if (CaptureScreen(r) == m_painted)
            painted = NowMs() - clicked;
    }
    Close(menu);
    return painted;
}

}  // namespace bench
