// The ATI display library (ADL): its library names, the ten functions the back-end needs
// and the memory callback it hands to the library.
#pragma once
#include "AdlTypes.h"
#include <windows.h>

typedef void*(__stdcall* ADL_MAIN_MALLOC_CALLBACK)(int iSize);

typedef int (*ADL_DISPLAY_ODCLOCKINFO_GET)(int iAdapterIndex, ADLAdapterODClockInfo* lpOdClockInfo);
typedef int (*ADL_DISPLAY_ODCLOCKCONFIG_SET)(int iAdapterIndex, ADLAdapterODClockConfig* lpOdClockConfig);
typedef int (*ADL_MAIN_CONTROL_CREATE)(ADL_MAIN_MALLOC_CALLBACK callback, int iEnumConnectedAdapters);

constexpr wchar_t kAdlLibraryName[] = L"atiadlxx.dll";
constexpr wchar_t kAdlLibraryFallbackName[] = L"atiadlxy.dll";

// The functions in the order they are looked up; all ten must be present.
constexpr const char* kAdlFunctionNames[10] = {
    "ADL_Display_ODClockInfo_Get",      "ADL_Display_ODClockConfig_Set",
    "ADL_Main_Control_Create",          "ADL_Main_Control_Destroy",
    "ADL_Adapter_NumberOfAdapters_Get", "ADL_Adapter_AdapterInfo_Get",
    "ADL_Display_DisplayInfo_Get",      "ADL_Display_ColorCaps_Get",
    "ADL_Display_Color_Get",            "ADL_Display_Color_Set",
};

extern FARPROC g_pfnAdl[10];

// The allocation callback ADL asks for its memory through (the C runtime's malloc). The
// program never hands such memory back.
void* __stdcall AdlMemoryAlloc(int iSize);

// The clock configuration an apply or a revert sets, from the ranges read at start-up.
ADLAdapterODClockConfig AdlApplyConfig(const ADLAdapterODClockInfo& info);
ADLAdapterODClockConfig AdlRevertConfig(const ADLAdapterODClockInfo& info);
