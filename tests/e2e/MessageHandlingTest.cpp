// The running Tarvel's reactions to the firmware, the power system and every way out,
// watched through the simulated notebook's journal.
#include "AppMessages.h"
#include "BrightnessFeedClient.h"
#include "RunningTarvel.h"
#include <gtest/gtest.h>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::wstring kTurnOnPrompt = L"Please turn on VGA overclock option for speeding up your graphic function.";
const UINT kBrightnessChanged = 0x46D;

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

int64_t Ap6(const simnb::SimNotebookClient& notebook) { return notebook.GetVar("AP:6").value_or(-999); }

}  // namespace

class MessageHandling : public RunningTarvel {};

TEST_F(MessageHandling, StartUpAppliesTheOverclockOnce) {
    ASSERT_TRUE(notebook.SetVar("AP:6", 0x100));
    Launch();
    auto calls = Calls(notebook.Journal());
    ASSERT_GE(calls.size(), 7u);
    std::vector<std::string> tail(calls.end() - 7, calls.end());
    EXPECT_EQ(tail, Concat({{"Q System:0"}, NvApplyCalls(0x100)}));
    EXPECT_EQ(Ap6(notebook), 0x101);
    EXPECT_FALSE(::IsWindowVisible(dialog));
}

TEST_F(MessageHandling, Event96WithTheOptionOnAppliesAgainAfterThreeSeconds) {
    Launch();
    for (int round = 0; round < 2; ++round) {  // also when it is applied already
        Mark();
        ASSERT_EQ(notebook.RaiseEvent(0x60), 1);
        ASSERT_TRUE(WaitForCall("S AP:6=1"));
        WaitUntilQuiet();
        EXPECT_EQ(CallsSinceMark(), Concat({{"Q System:0"}, NvApplyCalls(1)}));
        EXPECT_GE(MsFromEventToFirstCall(), 2950.0);
    }
}

TEST_F(MessageHandling, Event96WithTheOptionOffReverts) {
    Launch();
    ASSERT_TRUE(notebook.SetVar("System:0", 0));
    ASSERT_EQ(notebook.RaiseEvent(0x60), 1);
    ASSERT_TRUE(WaitForCall("S AP:6=0"));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q System:0"}, NvRevertCalls(1)}));
    EXPECT_GE(MsFromEventToFirstCall(), 2950.0);
}

// The wish stays off: each event shows the prompt, also while an earlier prompt is open.
TEST_F(MessageHandling, Event96WithTheWishOffPromptsOncePerEvent) {
    Launch();
    ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_DISABLE, 0);
    ASSERT_TRUE(WaitForCall("S AP:6=0"));
    WaitUntilQuiet();
    Mark();
    ASSERT_EQ(notebook.RaiseEvent(0x60), 1);
    MessageBoxView first = WaitForMessageBox(tarvel.Id(), 10s);
    ASSERT_NE(first.hWnd, nullptr);
    EXPECT_EQ(first.caption, L"ORV Tarvel");
    EXPECT_EQ(first.text, kTurnOnPrompt);
    EXPECT_EQ(first.buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(first.hasIcon);

    // Handled inside the open prompt's loop: a second prompt on top of the first.
    ASSERT_EQ(notebook.RaiseEvent(0x160), 1);
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(tarvel.Id()).size() == 2; }, 10s));
    for (const auto& box : MessageBoxes(tarvel.Id())) {
        EXPECT_EQ(box.text, kTurnOnPrompt);
        Dismiss(box);
    }
    ASSERT_TRUE(WaitUntil([&] { return MessageBoxes(tarvel.Id()).empty(); }, 10s));
    WaitUntilQuiet();
    // No switch at all: only the two option queries.
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"Q System:0", "Q System:0"}));
}

TEST_F(MessageHandling, Events93And121RevertWhenABlockBitIsSet) {
    Launch();
    struct { uint64_t wParam; const char* var; int64_t value; std::vector<std::string> queries; } cases[] = {
        {0x5D, "System:1", 1, {"Q System:1"}},
        {0x79, "System:1", 1, {"Q System:1"}},
        {0x15D, "System:1", 1, {"Q System:1"}},  // only the low byte counts
        {0x5D, "System:0", 6, {"Q System:1", "Q System:0"}},
        {0x79, "System:0", 6, {"Q System:1", "Q System:0"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(notebook.SetVar("System:0", 2));
        ASSERT_TRUE(notebook.SetVar("System:1", 0));
        ASSERT_TRUE(notebook.SetVar(c.var, c.value));
        ASSERT_TRUE(notebook.SetVar("AP:6", 1));
        Mark();
        ASSERT_EQ(notebook.RaiseEvent(c.wParam), 1);
        ASSERT_TRUE(WaitForCall("S AP:6=0")) << std::hex << c.wParam;
        WaitUntilQuiet();
        EXPECT_EQ(CallsSinceMark(), Concat({c.queries, NvRevertCalls(1)})) << std::hex << c.wParam;
        EXPECT_GE(MsFromEventToFirstCall(), 2950.0);
    }
}

TEST_F(MessageHandling, Events93And121WithoutABlockAndOtherCodesChangeNothing) {
    Launch();
    ASSERT_TRUE(notebook.SetVar("System:1", 0));
    Mark();
    ASSERT_EQ(notebook.RaiseEvent(0x5D), 1);
    ASSERT_EQ(notebook.RaiseEvent(0x79), 1);
    ASSERT_EQ(notebook.RaiseEvent(0x61), 1);
    ASSERT_EQ(notebook.RaiseEvent(0x100), 1);  // low byte 0
    ::Sleep(7500);
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"Q System:1", "Q System:0", "Q System:1", "Q System:0"}));
    EXPECT_EQ(Ap6(notebook), 1);
}

TEST_F(MessageHandling, ResumeRevertsAfterTwoSecondsAndAnswers0) {
    Launch();
    auto started = std::chrono::steady_clock::now();
    LRESULT answer = ::SendMessageW(dialog, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(answer, 0);
    EXPECT_GE(elapsed, 1990ms);
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(1));

    // Until the firmware reports its option again nothing re-applies; then 96 does.
    Mark();
    ASSERT_EQ(notebook.RaiseEvent(0x60), 1);
    ASSERT_TRUE(WaitForCall("S AP:6=1"));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q System:0"}, NvApplyCalls(0)}));
}

TEST_F(MessageHandling, PowerSettingChangesAreAnswered1AndChangeNothing) {
    Launch();
    static POWERBROADCAST_SETTING setting = {};
    EXPECT_EQ(::SendMessageW(dialog, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting)), 1);
    EXPECT_EQ(::SendMessageW(dialog, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0), 0);
    EXPECT_EQ(::SendMessageW(dialog, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), 0);
    EXPECT_EQ(::SendMessageW(dialog, kBrightnessChanged, 70, 0), 0);
    WaitUntilQuiet();
    EXPECT_TRUE(CallsSinceMark().empty());
}

TEST_F(MessageHandling, TheWindowNeverShowsButCanBeMoved) {
    Launch();
    ::ShowWindow(dialog, SW_SHOW);
    ::SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::Sleep(300);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    ASSERT_TRUE(::SetWindowPos(dialog, nullptr, 37, 41, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT r;
    ::GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, 37);
    EXPECT_EQ(r.top, 41);
    EXPECT_FALSE(::IsWindowVisible(dialog));
}

TEST_F(MessageHandling, SystemMenuAboutOpensAModalAboutBox) {
    Launch();
    size_t hidden = TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel").size();
    ::PostMessageW(dialog, WM_SYSCOMMAND, 0x10, 0);
    HWND modal = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND h : TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel"))
            if (::IsWindowVisible(h)) modal = h;
        return modal != nullptr;
    }, 10s));
    EXPECT_EQ(TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel").size(), hidden + 1);
    EXPECT_FALSE(::IsWindowEnabled(dialog));  // modal to the main dialog
    ::PostMessageW(modal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(modal); }, 10s));
    EXPECT_TRUE(::IsWindowEnabled(dialog));
}

// Every way out withdraws the overclock (as often as the paths through the dialog say),
// removes the icon, releases the mutex and ends with status 0.
class WaysOut : public RunningTarvel {
protected:
    void ExpectGoneCleanly(DWORD status) {
        EXPECT_EQ(status, 0u);
        EXPECT_FALSE(TrayIconPresent(dialog));
        // The mutex is free: a new instance starts for real (it applies the overclock).
        ChildProcess next;
        ASSERT_TRUE(StartTarvel(next));
        EXPECT_NE(WaitForMainDialog(next), nullptr);
        EXPECT_TRUE(WaitUntil([&] { return !TopLevelWindows(next.Id(), L"#32770", L"About Tarvel").empty(); }, 20s));
        EXPECT_TRUE(next.IsRunning());
        next.Kill();
    }
};

TEST_F(WaysOut, CloseRequestRevertsThreeTimes) {
    Launch();
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    DWORD status = tarvel.WaitForExit(30s);
    EXPECT_EQ(CallsSinceMark(), Concat({NvRevertCalls(1), NvRevertCalls(0), NvRevertCalls(0)}));
    ExpectGoneCleanly(status);
}

TEST_F(WaysOut, ExitButtonRevertsTwice) {
    Launch();
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    DWORD status = tarvel.WaitForExit(30s);
    EXPECT_EQ(CallsSinceMark(), Concat({NvRevertCalls(1), NvRevertCalls(0)}));
    ExpectGoneCleanly(status);
}

TEST_F(WaysOut, TrayExitRevertsTwice) {
    Launch();
    DWORD status = ExitThroughTray();
    EXPECT_EQ(CallsSinceMark(), Concat({NvRevertCalls(1), NvRevertCalls(0)}));
    ExpectGoneCleanly(status);
}

// Brightness events come from another thread, one after the other as fast as they can,
// while the tray's Exit runs: every message Tarvel begins to send reaches the window
// procedure, none goes to a destroyed window, events still come after the window was taken
// back, and the exit is clean. (Wine delivers no brightness event; the bridge stand-in
// calls the real sink Tarvel subscribed, see standins/brightness/BrightnessFeedView.h.)
TEST_F(WaysOut, BrightnessEventsWhileExitingReachOnlyTheLiveWindow) {
    Launch();
    simnb::BrightnessFeedClient feed;
    ASSERT_TRUE(feed.Open(tarvel.Id()));
    ASSERT_EQ(feed.Counts()->sinks, 1) << "the brightness subscription did not reach the apartment";
    ASSERT_TRUE(feed.Start(70));
    ASSERT_TRUE(WaitUntil([&] { return feed.Counts()->sendsDelivered >= 200; }, 20s));
    DWORD status = ExitThroughTray();
    const simnb::BrightnessFeedSection counts = *feed.Counts();
    const std::string seen = "events " + std::to_string(counts.indications) + ", sends begun " +
                             std::to_string(counts.sendsBegun) + ", delivered " + std::to_string(counts.sendsDelivered);
    EXPECT_EQ(counts.sendsDelivered, counts.sendsBegun) << "a message went to a window that was gone; " << seen;
    EXPECT_EQ(counts.sendsToNoWindow, 0) << seen;
    EXPECT_GT(counts.indications, counts.sendsBegun) << "no event came after the window was taken back; " << seen;
    EXPECT_EQ(CallsSinceMark(), Concat({NvRevertCalls(1), NvRevertCalls(0)}));
    ExpectGoneCleanly(status);
}

TEST_F(WaysOut, LogOffRevertsAndGivesEverythingBack) {
    Launch();
    EXPECT_TRUE(TrayIconPresent(dialog));
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &agreed));
    ASSERT_TRUE(::SendMessageTimeoutW(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, nullptr));
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(1));
    EXPECT_FALSE(TrayIconPresent(dialog));
    // Windows ends the program after the session ends, without destroying its window.
    tarvel.Kill(0);
    ExpectGoneCleanly(0);
}

TEST_F(WaysOut, OkButtonFollowsTheRadioButtons) {
    Launch();
    HWND overclock = ::GetDlgItem(dialog, 1000);
    HWND downclock = ::GetDlgItem(dialog, 1001);
    ASSERT_NE(overclock, nullptr);
    EXPECT_EQ(::SendMessageW(overclock, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(downclock, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_TRUE(::IsWindowEnabled(overclock));

    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(CallsSinceMark(), NvApplyCalls(1));

    Mark();
    ::SendMessageW(overclock, BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(downclock, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(1));
    EXPECT_TRUE(tarvel.IsRunning());  // OK does not end the dialog

    // The wish is off now: Exit reverts without an apply in between.
    Mark();
    DWORD status = ExitThroughTray();
    EXPECT_EQ(CallsSinceMark(), Concat({NvRevertCalls(0), NvRevertCalls(0)}));
    EXPECT_EQ(status, 0u);
}

TEST_F(WaysOut, OptionOffAtStartDisablesTheButtonsAndAppliesNothing) {
    ASSERT_TRUE(notebook.SetVar("AP:6", 4));
    Launch(false);
    auto calls = Calls(notebook.Journal());
    EXPECT_EQ(calls.back(), "Q System:0");
    EXPECT_EQ(Ap6(notebook), 4);
    for (int id : {1000, 1001, IDOK})
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, id))) << id;
    EXPECT_EQ(::SendMessageW(::GetDlgItem(dialog, 1000), BM_GETCHECK, 0, 0), BST_CHECKED);
}
