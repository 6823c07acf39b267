// The window that brightness events are handed to. The sink runs on COM's threads while
// the main dialog is made and destroyed on the GUI thread, so the dialog hands over only
// its window handle: published once the window exists, taken back before it goes. The sink
// never reads the dialog object itself.
#pragma once
#include <windows.h>

void PublishBrightnessWindow(HWND hWnd);

// No event is handed to the window once this returns. A hand-over already under way is let
// through first; on the window's own thread the messages sent meanwhile are handled here,
// as a sent message waits for that thread.
void WithdrawBrightnessWindow();

// Sends message to the published window and waits until it has been handled; false when
// no window is published.
bool SendToBrightnessWindow(UINT message, WPARAM wParam, LPARAM lParam);
