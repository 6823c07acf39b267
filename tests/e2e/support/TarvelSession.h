// One end-to-end scene: a fresh simulated notebook, the vendor libraries the test wants in
// the Windows system folder, and Tarvel.exe started against them.
#pragma once
#include "ProcessAndWindows.h"
#include "ScreenAndPointer.h"
#include "SimNotebookClient.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace e2e {

constexpr wchar_t kMainDialogCaption[] = L"NVIDIA Tarvel";

// The firmware requests in the journal ("call" entries), as their request texts.
std::vector<std::string> FirmwareRequests(const std::vector<simnb::JournalEntry>& journal);
// Journal entries whose first word is action.
std::vector<simnb::JournalEntry> EntriesOf(const std::vector<simnb::JournalEntry>& journal, const std::string& action);

// Whether the notification area holds icon uID of window hWnd (asked without changing it).
bool TrayIconPresent(HWND hWnd, UINT uID = 1);

// The GPU vendor libraries in the Windows system folder, where Tarvel looks for them.
void RemoveVendorLibraries();

class TarvelSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Tarvel.exe; a failure names the system's error, so that a start that fails once
    // in a long run can be told apart from one that cannot work.
    ::testing::AssertionResult StartTarvel(ChildProcess& process);
    // Waits for the main dialog window of a started Tarvel.
    HWND WaitForMainDialog(const ChildProcess& process, std::chrono::milliseconds timeout = std::chrono::seconds(20));

    simnb::SimNotebookProcess service;
    simnb::SimNotebookClient notebook;
};

}  // namespace e2e
