#include "SystemLibrary.h"
#include <string>

HMODULE LoadSystemLibraryA(const char* name) {
    char dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    std::string path(dir, n);
    path += '\\';
    path += name;
    return ::LoadLibraryA(path.c_str());
}

HMODULE LoadSystemLibraryW(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    std::wstring path(dir, n);
    path += L'\\';
    path += name;
    return ::LoadLibraryW(path.c_str());
}
