// The screen and the pointer of the test session: real pointer input through the X
// server (xdotool, a Unix program that Wine starts like any other), pictures of screen
// areas, and where the notification area shows an icon.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

// Runs xdotool with the given arguments on the session's display; false when it failed.
bool Xdotool(const std::string& args);
void MoveTo(int x, int y);
void Click(int x, int y, int button, int repeat = 1);

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

// The bounding box of what the notification area shows at its right end (the icons), or
// an empty rectangle when it shows nothing there.
RECT TrayIconsArea();

// The visible popup menu of a process, or null.
HWND VisibleMenu(DWORD pid);

}  // namespace e2e
