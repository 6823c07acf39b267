// Monitor brightness events from WMI, forwarded to the main dialog as
// WM_BRIGHTNESS_CHANGED.
#pragma once

// Subscribes once: 0 subscribed; 1 notification query refused; 3 no WMI locator;
// 4 the namespace could not be reached; 5 proxy security could not be set.
int SubscribeBrightnessEvents();
