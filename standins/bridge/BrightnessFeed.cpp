#include "BrightnessFeed.h"

#include "../brightness/BrightnessFeedView.h"
#include "BridgeModule.h"
#include "BrightnessEventObject.h"
#include "../common/ImportPatch.h"
#include "StandInApartment.h"

namespace simnb {
namespace {

constexpr LONG kMaxSinks = 8;

// Everything lives as long as the process: the host's imports, once led here, are never
// led back, and the sinks stay subscribed until the process ends (as with the platform).
struct Feed {
    BrightnessFeedSection* section = nullptr;
    DWORD hostThread = 0;  // the thread that first used the bridge: the program's GUI thread
    IWbemObjectSink* sinks[kMaxSinks] = {};
    volatile LONG sinkCount = 0;
    INIT_ONCE threadOnce = INIT_ONCE_STATIC_INIT;
};

Feed g_feed;

decltype(&::CoCreateInstance) realCoCreateInstance;
decltype(&::SendMessageW) realSendMessageW;

template <typename Counter>
void Count(Counter BrightnessFeedSection::*counter) {
    if (g_feed.section != nullptr) InterlockedIncrement(&(g_feed.section->*counter));
}

// Only where the platform gives no unsecured apartment (Wine) does the stand-in step in.
HRESULT WINAPI FedCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* ppv) {
    HRESULT hr = realCoCreateInstance(clsid, outer, context, riid, ppv);
    if (SUCCEEDED(hr) || !IsEqualGUID(clsid, CLSID_UnsecuredApartment) || outer != nullptr || ppv == nullptr) return hr;
    IUnsecuredApartment* apartment = NewStandInApartment();
    if (apartment == nullptr) return hr;
    hr = apartment->QueryInterface(riid, ppv);
    apartment->Release();
    return hr;
}

// A send to a handle that is no window fails with ERROR_INVALID_WINDOW_HANDLE.
LRESULT WINAPI FedSendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kBrightnessMessage) return realSendMessageW(window, message, wParam, lParam);
    Count(&BrightnessFeedSection::sendsBegun);
    SetLastError(ERROR_SUCCESS);
    LRESULT result = realSendMessageW(window, message, wParam, lParam);
    if (result == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE) Count(&BrightnessFeedSection::sendsToNoWindow);
    return result;
}

// Runs before a window procedure of the host thread gets a message, sent ones included.
LRESULT CALLBACK SeeDelivery(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == kBrightnessMessage)
        Count(&BrightnessFeedSection::sendsDelivered);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Only a program that is fed events pays for the hook on every message.
void WatchDeliveries() {
    SetWindowsHookExW(WH_CALLWNDPROC, &SeeDelivery, BridgeModule(), g_feed.hostThread);
}

DWORD WINAPI FeedEvents(LPVOID start) {
    BrightnessFeedSection* section = g_feed.section;
    bool watching = false;
    for (;;) {
        WaitForSingleObject(static_cast<HANDLE>(start), INFINITE);
        if (!watching) WatchDeliveries();
        watching = true;
        while (section->feeding != 0) {
            BrightnessEventObject event(static_cast<BYTE>(section->brightness));
            IWbemClassObject* batch[] = {&event};
            const LONG sinks = g_feed.sinkCount;
            for (LONG i = 0; i < sinks && i < kMaxSinks; ++i) {
                // A slot is counted before it is filled.
                PVOID volatile* slot = reinterpret_cast<PVOID volatile*>(&g_feed.sinks[i]);
                IWbemObjectSink* sink =
                    static_cast<IWbemObjectSink*>(InterlockedCompareExchangePointer(slot, nullptr, nullptr));
                if (sink == nullptr) continue;
                sink->Indicate(1, batch);
                InterlockedIncrement(&section->indications);
            }
        }
    }
}

BOOL CALLBACK StartFeedingThread(PINIT_ONCE, PVOID, PVOID*) {
    if (g_feed.section == nullptr) return TRUE;
    HANDLE start = CreateEventW(nullptr, FALSE, FALSE, BrightnessFeedStartName(GetCurrentProcessId()).c_str());
    if (start == nullptr) return TRUE;
    HANDLE thread = CreateThread(nullptr, 0, &FeedEvents, start, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
    return TRUE;
}

BOOL CALLBACK InstallOnce(PINIT_ONCE, PVOID, PVOID*) {
    g_feed.section = CreateLifelongSectionOf<BrightnessFeedSection>(BrightnessFeedSectionName(GetCurrentProcessId()),
                                                                    kBrightnessFeedVersion);
    if (g_feed.section == nullptr) return TRUE;
    g_feed.hostThread = GetCurrentThreadId();
    HMODULE host = GetModuleHandleW(nullptr);
    RedirectImports(host, "CoCreateInstance", &realCoCreateInstance, &FedCoCreateInstance);
    RedirectImports(host, "SendMessageW", &realSendMessageW, &FedSendMessageW);
    return TRUE;
}

}  // namespace

void InstallBrightnessFeed() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, &InstallOnce, nullptr, nullptr);
}

void AddFedSink(IWbemObjectSink* stub) {
    LONG slot = InterlockedIncrement(&g_feed.sinkCount) - 1;
    if (slot >= kMaxSinks) return;
    stub->AddRef();
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&g_feed.sinks[slot]), stub);
    Count(&BrightnessFeedSection::sinks);
    InitOnceExecuteOnce(&g_feed.threadOnce, &StartFeedingThread, nullptr, nullptr);
}

void CountStatusReport() { Count(&BrightnessFeedSection::statusReports); }

}  // namespace simnb
