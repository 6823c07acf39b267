// A message-only window on a thread of its own that records every WM_BRIGHTNESS_CHANGED
// it processes, and a binding that makes it the main dialog's window for the sink.
#pragma once
#include "AfxLock.h"
#include "BrightnessEvents.h"
#include "BrightnessWindow.h"
#include <windows.h>
#include <vector>

#include "common/SimSync.h"

struct WmiReceivedMessage {
    WPARAM wParam;
    LPARAM lParam;
    DWORD threadId;
};

class WmiTestWindow {
public:
    WmiTestWindow() {
        simnb::UniqueHandle created(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (m_thread.Start([this, &created] { Run(created.Get()); }))
            ::WaitForSingleObject(created.Get(), INFINITE);
    }
    ~WmiTestWindow() {
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        m_thread.Join();
    }
    WmiTestWindow(const WmiTestWindow&) = delete;
    WmiTestWindow& operator=(const WmiTestWindow&) = delete;

    HWND Handle() const { return m_hWnd; }
    DWORD ThreadId() const { return m_threadId; }
    std::vector<WmiReceivedMessage> Received() const {
        CSlimLockGuard lock(m_lock);
        return m_received;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<WmiTestWindow*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self != nullptr && message == WM_BRIGHTNESS_CHANGED) {
            // Slow on purpose: a sender that did not wait for the window would return long
            // before the message is recorded.
            ::Sleep(100);
            CSlimLockGuard lock(self->m_lock);
            self->m_received.push_back({wParam, lParam, ::GetCurrentThreadId()});
            return 0;
        }
        if (message == WM_DESTROY)
            ::PostQuitMessage(0);
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }

    void Run(HANDLE created) {
        m_threadId = ::GetCurrentThreadId();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TarvelWmiTestWindow";
        ::RegisterClassW(&wc);
        HWND hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_hWnd = hWnd;
        ::SetEvent(created);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageW(&msg);
    }

    HWND m_hWnd = nullptr;
    DWORD m_threadId = 0;
    simnb::Thread m_thread;
    mutable CSlimLock m_lock;
    std::vector<WmiReceivedMessage> m_received;
};

// While it lives, the given window is the sink's, published as the main dialog publishes
// its own.
class WmiMainDialogBinding {
public:
    explicit WmiMainDialogBinding(HWND hWnd) { PublishBrightnessWindow(hWnd); }
    ~WmiMainDialogBinding() { WithdrawBrightnessWindow(); }
    WmiMainDialogBinding(const WmiMainDialogBinding&) = delete;
    WmiMainDialogBinding& operator=(const WmiMainDialogBinding&) = delete;
};
