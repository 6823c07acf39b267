// The GPU vendor libraries a test puts where Tarvel looks for them: stand-ins from the
// test's bin folder, copied into the Wine prefix's Windows system folder under the names
// the program loads. Windows keeps a loaded library's file locked, so install before
// Tarvel starts and remove after it ended (RemoveVendorLibraries in TarvelSession.h).
#pragma once
#include <string>

namespace e2e {

// The names Tarvel loads from the system folder.
#if defined(_WIN64)
constexpr wchar_t kNvapiName[] = L"nvapi64.dll";
#else
constexpr wchar_t kNvapiName[] = L"nvapi.dll";
#endif
constexpr wchar_t kAdlName[] = L"atiadlxx.dll";
constexpr wchar_t kAdlFallbackName[] = L"atiadlxy.dll";

// Stand-in files as they are built into the bin folder (the NVIDIA one under the name of
// its flavour).
constexpr const wchar_t* kNvapiStandIn = kNvapiName;
constexpr wchar_t kNvapiWithoutQueryStandIn[] = L"nvapi_noquery.dll";
constexpr wchar_t kAdlStandIn[] = L"atiadlxx.dll";
// The ADL stand-in that lacks one of its ten exports.
std::wstring AdlStandInWithout(const std::string& function);

std::wstring SystemFolder();

// Copies bin/standIn into the system folder as name; false when that failed (for
// instance because a running process still holds a library of that name).
bool InstallVendorLibrary(const std::wstring& standIn, const std::wstring& name);
inline bool InstallNvapi() { return InstallVendorLibrary(kNvapiStandIn, kNvapiName); }
inline bool InstallAdl(const std::wstring& standIn = kAdlStandIn, const std::wstring& name = kAdlName) {
    return InstallVendorLibrary(standIn, name);
}

// A copy of a stand-in placed anywhere (beside Tarvel.exe, in a working folder) for as
// long as the object lives.
class PlacedCopy {
public:
    PlacedCopy(const std::wstring& standIn, const std::wstring& path);
    ~PlacedCopy();
    PlacedCopy(const PlacedCopy&) = delete;
    PlacedCopy& operator=(const PlacedCopy&) = delete;

    bool Placed() const { return m_placed; }

private:
    std::wstring m_path;
    bool m_placed = false;
};

}  // namespace e2e
