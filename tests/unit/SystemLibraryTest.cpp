// Vendor libraries load from the system folder by full path only; a path that would not
// fit MAX_PATH loads nothing instead of a truncated name.
#include "SystemLibrary.h"
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(SystemLibrary, LoadsTheSystemFoldersCopy) {
    HMODULE fromSystem = LoadSystemLibraryW(L"version.dll");
    ASSERT_NE(fromSystem, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(fromSystem, loaded, MAX_PATH), 0u);
    wchar_t system[MAX_PATH] = {};
    UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(::CompareStringOrdinal(loaded, static_cast<int>(n), system, static_cast<int>(n), TRUE),
              CSTR_EQUAL);
    ::FreeLibrary(fromSystem);

    HMODULE narrow = LoadSystemLibraryA("version.dll");
    EXPECT_NE(narrow, nullptr);
    if (narrow) ::FreeLibrary(narrow);
}

TEST(SystemLibrary, MissingOrNullNameLoadsNothing) {
    EXPECT_EQ(LoadSystemLibraryW(L"no-such-vendor-library.dll"), nullptr);
    EXPECT_EQ(LoadSystemLibraryA("no-such-vendor-library.dll"), nullptr);
    EXPECT_EQ(LoadSystemLibraryW(nullptr), nullptr);
    EXPECT_EQ(LoadSystemLibraryA(nullptr), nullptr);
}

TEST(SystemLibrary, PathLongerThanMaxPathLoadsNothing) {
    wchar_t system[MAX_PATH] = {};
    const size_t nDir = ::GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(nDir, 0u);
    // "<dir>\" + name reaches MAX_PATH, leaving no room for the terminator: refused. The
    // name is the real library behind a run of ".\", so only the length can refuse it.
    std::wstring tooLong;
    while (nDir + 1 + tooLong.size() + std::wstring(L"version.dll").size() < MAX_PATH)
        tooLong += L".\\";
    tooLong += L"version.dll";
    ASSERT_GE(nDir + 1 + tooLong.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(LoadSystemLibraryW(tooLong.c_str()), nullptr);
    EXPECT_EQ(LoadSystemLibraryA(std::string(tooLong.begin(), tooLong.end()).c_str()), nullptr);

    // One "./" fewer fits, and loads.
    std::wstring fits = tooLong.substr(2);
    if (nDir + 1 + fits.size() < MAX_PATH) {
        HMODULE h = LoadSystemLibraryW(fits.c_str());
        EXPECT_NE(h, nullptr);
        if (h) ::FreeLibrary(h);
    }
}

}  // namespace
