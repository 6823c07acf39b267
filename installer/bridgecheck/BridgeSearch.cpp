#include "BridgeSearch.h"

#include <windows.h>

namespace bridgecheck {

namespace {

std::wstring FolderFrom(UINT(WINAPI* get)(LPWSTR, UINT)) {
    wchar_t folder[MAX_PATH];
    const UINT length = get(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

// A 32-bit program on 64-bit Windows loads its system libraries from SysWOW64.
std::wstring SystemFolderOfThisWidth() {
    BOOL wow64 = FALSE;
    if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64) return FolderFrom(&::GetSystemWow64DirectoryW);
    return FolderFrom(&::GetSystemDirectoryW);
}

// A Path value of the environment as the registry keeps it, with its variables expanded.
std::wstring PathValue(HKEY root, const wchar_t* key) {
    const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ;
    DWORD size = 0;
    if (::RegGetValueW(root, key, L"Path", types, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return L"";
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(root, key, L"Path", types, nullptr, &value[0], &size) != ERROR_SUCCESS) return L"";
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return value;
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& fileName) {
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + fileName : folder + L"\\" + fileName;
}

}  // namespace

LoaderPlaces PlacesOnThisComputer(const std::wstring& programFolder) {
    const std::wstring machinePath =
        PathValue(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
    const std::wstring userPath = PathValue(HKEY_CURRENT_USER, L"Environment");
    return {programFolder, SystemFolderOfThisWidth(), FolderFrom(&::GetWindowsDirectoryW),
            machinePath + L";" + userPath};
}

std::vector<std::wstring> SearchOrder(const LoaderPlaces& places) {
    std::vector<std::wstring> folders = {places.programFolder, places.systemFolder, places.windowsFolder};
    size_t start = 0;
    while (start <= places.path.size()) {
        size_t end = places.path.find(L';', start);
        if (end == std::wstring::npos) end = places.path.size();
        if (end > start) folders.push_back(places.path.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::wstring FindFirst(const std::vector<std::wstring>& folders, const std::wstring& fileName) {
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        const std::wstring path = InFolder(folder, fileName);
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return path;
    }
    return L"";
}

}  // namespace bridgecheck
