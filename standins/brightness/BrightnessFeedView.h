// Monitor-brightness events for a program under test. Wine's WMI accepts the brightness
// subscription but never delivers an event, and it has no unsecured apartment for the
// event sink at all. The bridge stand-in, loaded into the program, fills both gaps: it
// gives the program an unsecured apartment whose stubs pass calls straight to the sink (as
// the platform's stub does), and on request calls the sink's Indicate from a thread of its
// own, as fast as it can, with events that carry a chosen brightness. It also counts what
// became of the program's WM_BRIGHTNESS_CHANGED messages. All of it is published in a named
// section per process, which a test opens to start the events and read the counts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace simnb {

constexpr uint32_t kBrightnessFeedVersion = 2;
// The message the program hands a brightness to its main window with.
constexpr UINT kBrightnessMessage = 0x46D;

struct BrightnessFeedSection {
    uint32_t version;
    uint32_t size;
    // Written by the test.
    volatile LONG feeding;     // 1: events as fast as possible; 0: none
    volatile LONG brightness;  // what each event carries
    // Written by the bridge.
    volatile LONG sinks;            // event sinks the program handed to the apartment
    volatile LONG statusReports;    // SetStatus calls that reached a sink (from the platform's WMI)
    volatile LONG indications;      // Indicate calls made on the sinks
    // The program's kBrightnessMessage sends: begun; handed to a window procedure on the
    // thread that first used the bridge (the program's GUI thread), counted from the first
    // event fed on; failed because the handle was no window (destroyed, or never one). A send
    // begun but never handed over went to a window that was destroyed meanwhile, or is still
    // waiting for a thread that no longer handles messages.
    volatile LONG sendsBegun;
    volatile LONG sendsDelivered;
    volatile LONG sendsToNoWindow;
};

inline std::wstring BrightnessFeedSectionName(DWORD processId) {
    return L"Local\\ORV_SimBrightnessFeed." + std::to_wstring(processId);
}

// Set (auto-reset) after feeding was made 1: the bridge's feeding thread starts.
inline std::wstring BrightnessFeedStartName(DWORD processId) {
    return L"Local\\ORV_SimBrightnessFeedStart." + std::to_wstring(processId);
}

}  // namespace simnb
