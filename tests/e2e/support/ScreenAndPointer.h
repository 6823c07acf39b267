// The screen and the pointer of the test session: real pointer input through the X
// server (xdotool, a Unix program that Wine starts like any other), pictures of screen
// areas, and where the notification area shows an icon.
#pragma once
#include <windows.h>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Runs xdotool with the given arguments on the session's display; false when it failed.
bool Xdotool(const std::string& args);
void MoveTo(int x, int y);
void Click(int x, int y, int button, int repeat = 1);
// Clicks at (x, y) and moves on to (toX, toY) at once, before what the click opens can appear
// under the pointer.
void ClickThenMove(int x, int y, int button, int toX, int toY);

struct Picture {
    RECT where = {};
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;  // row by row, top row first
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // Saves the picture as a 24-bit BMP file beside the test program; returns its path.
    std::wstring Save(const std::wstring& name) const;
};

// What the screen shows in r (screen coordinates).
Picture Capture(const RECT& r);
// What the screen shows in r once two captures in a row agree and ready accepts them; the
// last capture when timeout passes first.
Picture SteadyCapture(const RECT& r, const std::function<bool(const Picture&)>& ready,
                      std::chrono::milliseconds timeout,
                      std::chrono::milliseconds poll = std::chrono::milliseconds(100));
// What draw paints on a w x h canvas of its own.
Picture Render(int width, int height, const std::function<void(HDC)>& draw);

// Which of the system's message-box icons an icon control shows on the screen ("hand",
// "question", "exclamation", "asterisk"), or "" when none matches. Icon handles are not
// comparable across processes, so the control's pixels are compared with the icons drawn
// here on the dialog's background.
std::wstring StandardIconShown(HWND iconControl);

// The bounding box of what the notification area shows at its right end (the icons), or
// an empty rectangle when it shows nothing there.
RECT TrayIconsArea();

// The visible popup menu of a process, or null.
HWND VisibleMenu(DWORD pid);

}  // namespace e2e
