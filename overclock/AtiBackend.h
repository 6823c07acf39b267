// The ATI back-end: adapter 0 set to the maximum or the default over-drive clocks that the
// library reported when it was probed. It keeps no state of its own: the caller holds the
// library's module and the clock information, and hands them in.
#pragma once
#include "AdlTypes.h"
#include <windows.h>

enum class AdlProbe {
    Ready,
    // Neither library is in the system folder; nothing is said about it.
    NoLibrary,
    // The library lacks one of the ten functions.
    FunctionMissing,
    // The library did not initialise or did not report adapter 0's clocks.
    InitialisationFailed,
};

// Loads the library into *module, looks up its ten functions, initialises it and reads
// adapter 0's clock information into *info. The library is never freed, also when a later
// step fails: g_pfnAdl points into it for the rest of the process's life.
AdlProbe ProbeAdl(HMODULE* module, ADLAdapterODClockInfo* info);

// What the program tells the user about a probe's outcome; null when it says nothing.
const wchar_t* AdlProbeMessage(AdlProbe probe);

// An apply (maximum clocks) and a revert (default clocks), each with its AP:6 update. The
// apply's result is the AP:6 write's read-back check.
bool AdlApplyOverclock(const ADLAdapterODClockInfo& info);
void AdlRevertOverclock(const ADLAdapterODClockInfo& info);
