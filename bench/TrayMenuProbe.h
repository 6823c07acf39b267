// Opens a program's tray menu through its real callback path (the message the
// notification area sends on a right click), waits for the menu on the screen, and
// closes it again as a user's Escape would.
#pragma once
#include "BenchSupport.h"

namespace bench {

class TrayMenuProbe {
public:
    TrayMenuProbe(HWND owner, DWORD pid) : m_owner(owner), m_pid(pid) {}

    // Opens and closes the menu once; false when it did not appear or did not close.
    bool OpenAndClose();
    // Milliseconds from the right click to the menu shown with its final pixels, or -1.
    // The first call learns what the painted menu looks like.
    double TimeToPainted();

private:
    HWND Open(double* clickedAtMs);
    bool Close(HWND menu);

    HWND m_owner;
    DWORD m_pid;
    std::vector<DWORD> m_painted;
};

}  // namespace bench
