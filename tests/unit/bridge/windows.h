// The one thing ORVWmiAcpi.h takes from <windows.h>, declared as the SDK declares it with
// STRICT: mingw's <windows.h> does not compile for the MSVC targets, and the SDK is not here.
#pragma once
#define STRICT 1
struct HWND__ {
    int unused;
};
typedef struct HWND__* HWND;
