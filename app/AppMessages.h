// The program's private window messages and tray commands.
#pragma once
#include <windows.h>

// Tray icon callback; lParam carries the mouse message.
#define WM_TRAYNOTIFY 0x401
// WM_BRIGHTNESS_CHANGED is the brightness sink's own: wmi/BrightnessEvents.h.

#define ID_TRAY_ENABLE 300
#define ID_TRAY_DISABLE 301
#define ID_TRAY_ABOUT 302
#define ID_TRAY_EXIT 303
