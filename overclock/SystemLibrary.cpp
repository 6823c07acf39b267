#include "SystemLibrary.h"
#include <cstring>
#include <cwchar>

namespace {

size_t Length(const char* psz) { return std::strlen(psz); }
size_t Length(const wchar_t* psz) { return std::wcslen(psz); }
UINT GetSystemFolder(char* path, UINT n) { return ::GetSystemDirectoryA(path, n); }
UINT GetSystemFolder(wchar_t* path, UINT n) { return ::GetSystemDirectoryW(path, n); }

// Writes "<system folder>\<name>" into path (MAX_PATH characters). False when the system
// folder is unknown or the full path does not fit: then nothing is loaded at all, rather
// than a cut-off path that could name some other file.
template <typename Char>
bool BuildSystemPath(Char (&path)[MAX_PATH], const Char* name) {
    if (name == nullptr) return false;
    const UINT nDir = GetSystemFolder(path, MAX_PATH);
    if (nDir == 0 || nDir >= MAX_PATH) return false;
    const size_t nName = Length(name);
    if (nDir + 1 + nName >= MAX_PATH) return false;
    path[nDir] = static_cast<Char>('\\');
    std::memcpy(path + nDir + 1, name, (nName + 1) * sizeof(Char));
    return true;
}

}  // namespace

HMODULE LoadSystemLibraryA(const char* name) {
    char path[MAX_PATH];
    if (!BuildSystemPath(path, name)) return nullptr;
    return ::LoadLibraryA(path);
}

HMODULE LoadSystemLibraryW(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    if (!BuildSystemPath(path, name)) return nullptr;
    return ::LoadLibraryW(path);
}
