// A Tarvel that has started for real on the simulated NVIDIA notebook, and what a test
// reads of it: the calls it made since a mark, in a compact form, and its windows.
#pragma once
#include "TarvelSession.h"
#include <string>
#include <vector>

namespace e2e {

// A journal entry as a short line: firmware requests as "Q System:0", "Q AP:6",
// "S AP:6=5"; NVIDIA calls as "B23B70EE 1", "FDFC7D49 1 0", "FA579A0F 0", other NVIDIA
// questions as their first word; ADL calls as their first word with their values.
std::string Compact(const simnb::JournalEntry& entry);
// The compact lines of the firmware and GPU entries (control and event entries left out).
std::vector<std::string> Calls(const std::vector<simnb::JournalEntry>& journal);

// The call sequences of one apply and one revert on the NVIDIA notebook, for AP:6 values.
std::vector<std::string> NvApplyCalls(int32_t before);
std::vector<std::string> NvRevertCalls(int32_t before);

class RunningTarvel : public TarvelSession {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts Tarvel on an NVIDIA notebook with the firmware option on or off and waits
    // until its start-up is over (the hidden About window exists).
    void Launch(bool optionOn = true);
    // Ends Tarvel through the tray's Exit command and returns its exit status.
    DWORD ExitThroughTray();

    // Journal entries after the last Mark().
    void Mark();
    std::vector<simnb::JournalEntry> SinceMark() const;
    std::vector<std::string> CallsSinceMark() const { return Calls(SinceMark()); }
    // Waits until the calls since the mark include line (or timeout).
    bool WaitForCall(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Waits until no new journal entry came for quiet.
    void WaitUntilQuiet(std::chrono::milliseconds quiet = std::chrono::milliseconds(700));
    // Milliseconds from the first firmware event raised since the mark to the first
    // firmware or GPU call after it; -1 when there is none.
    double MsFromEventToFirstCall() const;

    ChildProcess tarvel;
    HWND dialog = nullptr;
    uint64_t mark = 0;
    uint64_t markTime = 0;
};

}  // namespace e2e
