// The COM library calls the brightness subscription makes, gathered in one table so that
// tests can stand in for the platform's COM and WMI. The program never changes the table:
// it always holds the system's own functions.
#pragma once
#include <windows.h>
#include <objbase.h>

struct ComEntryPoints {
    decltype(&::CoInitializeEx) CoInitializeEx;
    decltype(&::CoInitializeSecurity) CoInitializeSecurity;
    decltype(&::CoCreateInstance) CoCreateInstance;
    decltype(&::CoSetProxyBlanket) CoSetProxyBlanket;
    decltype(&::CoUninitialize) CoUninitialize;
};

// The system's functions.
ComEntryPoints SystemComEntryPoints();

// The table SubscribeBrightnessEvents calls through.
ComEntryPoints& BrightnessComEntryPoints();
