#include "BrightnessWindow.h"

namespace {

// A hand-over takes as long as the window's thread needs for one message; this only bounds
// the wait should a sender stall between reading the handle and sending.
const DWORD kWithdrawWaitMs = 2000;
const DWORD kPollMs = 10;

PVOID volatile g_pWindow = nullptr;
// Senders between reading the handle and the end of their send.
volatile LONG g_nSending = 0;

HWND PublishedWindow() {
    return static_cast<HWND>(::InterlockedCompareExchangePointer(&g_pWindow, nullptr, nullptr));
}

}  // namespace

void PublishBrightnessWindow(HWND hWnd) { ::InterlockedExchangePointer(&g_pWindow, hWnd); }

void WithdrawBrightnessWindow() {
    ::InterlockedExchangePointer(&g_pWindow, nullptr);
    // A sender counted itself before it read the handle: once the count is 0, every later
    // sender reads null.
    const DWORD start = ::GetTickCount();
    while (::InterlockedCompareExchange(&g_nSending, 0, 0) != 0 && ::GetTickCount() - start < kWithdrawWaitMs) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

bool SendToBrightnessWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    ::InterlockedIncrement(&g_nSending);
    HWND hWnd = PublishedWindow();
    if (hWnd != nullptr)
        ::SendMessageW(hWnd, message, wParam, lParam);
    ::InterlockedDecrement(&g_nSending);
    return hWnd != nullptr;
}
