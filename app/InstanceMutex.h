// The single-instance mutex "ORV Tarvel": one Tarvel per desktop session. The first start
// creates it, owned by its GUI thread; a start that finds it there ends silently.
#pragma once
#include <windows.h>

// False when another instance has the name: nothing is kept then. Otherwise this thread
// owns the mutex and *phMutex holds it (null when the system made none: then there is
// nothing to release at the end).
bool ClaimInstanceMutex(const wchar_t* name, HANDLE* phMutex);

// Releases the mutex on the way out, from the thread that claimed it. The handle stays open
// until the process ends, and the name with it: a start during the rest of the way out
// still finds this instance and ends silently.
void ReleaseInstanceMutex(HANDLE hMutex);
