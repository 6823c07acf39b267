#include "VendorLibraries.h"

#include <windows.h>

#include "ProcessAndWindows.h"

namespace e2e {

std::wstring AdlStandInWithout(const std::string& function) {
    return L"atiadlxx_without_" + std::wstring(function.begin(), function.end()) + L".dll";
}

std::wstring SystemFolder() {
    wchar_t dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(dir, n);
}

bool InstallVendorLibrary(const std::wstring& standIn, const std::wstring& name) {
    std::wstring folder = SystemFolder();
    if (folder.empty()) return false;
    return ::CopyFileW((BinDir() + standIn).c_str(), (folder + L"\\" + name).c_str(), FALSE) != FALSE;
}

PlacedCopy::PlacedCopy(const std::wstring& standIn, const std::wstring& path) : m_path(path) {
    m_placed = ::CopyFileW((BinDir() + standIn).c_str(), path.c_str(), FALSE) != FALSE;
}

PlacedCopy::~PlacedCopy() {
    if (m_placed) ::DeleteFileW(m_path.c_str());
}

}  // namespace e2e
