#include "TarvelSession.h"
#include <shellapi.h>

namespace e2e {

std::vector<std::string> FirmwareRequests(const std::vector<simnb::JournalEntry>& journal) {
    std::vector<std::string> texts;
    for (const auto& e : journal)
        if (e.Action() == "call")
            texts.push_back(e.Field("text").value_or(""));
    return texts;
}

std::vector<simnb::JournalEntry> EntriesOf(const std::vector<simnb::JournalEntry>& journal, const std::string& action) {
    std::vector<simnb::JournalEntry> found;
    for (const auto& e : journal)
        if (e.Action() == action)
            found.push_back(e);
    return found;
}

bool TrayIconPresent(HWND hWnd, UINT uID) {
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = hWnd;
    nid.uID = uID;
    nid.uFlags = 0;  // modify nothing: only ask whether the icon is there
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

void RemoveVendorLibraries() {
    wchar_t dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    std::wstring system(dir, n);
    for (const wchar_t* name : {L"nvapi64.dll", L"nvapi.dll", L"atiadlxx.dll", L"atiadlxy.dll"})
        ::DeleteFileW((system + L"\\" + name).c_str());
}

void TarvelSession::SetUp() {
    std::string error;
    ASSERT_TRUE(service.Start(&error)) << error;
    ASSERT_TRUE(notebook.Ok({"reset"}));
    RemoveVendorLibraries();
}

void TarvelSession::TearDown() {
    service.Stop();
    RemoveVendorLibraries();
}

::testing::AssertionResult TarvelSession::StartTarvel(ChildProcess& process) {
    if (process.Start(BinDir() + L"Tarvel.exe"))
        return ::testing::AssertionSuccess();
    const DWORD error = ::GetLastError();
    return ::testing::AssertionFailure() << "CreateProcess of Tarvel.exe failed with error " << error;
}

HWND TarvelSession::WaitForMainDialog(const ChildProcess& process, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil([&] {
        auto windows = TopLevelWindows(process.Id(), L"#32770", kMainDialogCaption);
        if (windows.empty()) return false;
        found = windows.front();
        return true;
    }, timeout);
    return found;
}

}  // namespace e2e
