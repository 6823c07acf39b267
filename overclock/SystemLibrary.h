// Vendor libraries are loaded from the Windows system folder by full path only: loading
// one by its plain name would also search the program's folder and the current folder,
// where a planted copy would run with the user's rights.
#pragma once
#include <windows.h>

HMODULE LoadSystemLibraryA(const char* name);
HMODULE LoadSystemLibraryW(const wchar_t* name);

// An exported function as the type it really has (through the generic function type, which
// converts to any other without a warning).
template <typename Fn>
Fn ProcAs(FARPROC pfn) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(pfn));
}
