// Monitor brightness events from WMI, forwarded to the main dialog as
// WM_BRIGHTNESS_CHANGED.
#pragma once

// What the brightness sink sends to the published window; wParam carries the brightness.
// The main dialog does not handle it.
#define WM_BRIGHTNESS_CHANGED 0x46D

// What SubscribeBrightnessEvents reports. 2 is not used.
enum BrightnessSubscribeResult {
    BRIGHTNESS_SUBSCRIBED = 0,
    // WMI refused the notification query.
    BRIGHTNESS_QUERY_REFUSED = 1,
    // No WMI locator could be created.
    BRIGHTNESS_NO_LOCATOR = 3,
    // The namespace "ROOT\WMI" could not be reached.
    BRIGHTNESS_NO_NAMESPACE = 4,
    // The proxy security of the namespace connection could not be set.
    BRIGHTNESS_NO_PROXY_SECURITY = 5,
    // The unsecured apartment is not available (so it is under Wine).
    BRIGHTNESS_NO_UNSECURED_APARTMENT = 6,
    // The unsecured apartment made no stub for the event sink.
    BRIGHTNESS_NO_STUB = 7,
    // The stub does not offer IWbemObjectSink.
    BRIGHTNESS_STUB_NOT_A_SINK = 8,
};

// Subscribes once, on the calling thread, and returns a BrightnessSubscribeResult.
// On success COM stays initialised on the thread and the subscription lives until the
// process ends; every failure gives back what was obtained and uninitialises COM once.
int SubscribeBrightnessEvents();
