// The fault matrix: each fault injected through the simulated notebook while the real
// Tarvel runs, and the outcome it must have. In every case Tarvel survives (except the
// crash cases, which end it through the crash guard), changes no AP:6 bit but bit 0, and
// never writes AP:6 after a read that failed. docs/FAULTS.md lists the cases.
#include "AccessViolationExit.h"
#include "AppMessages.h"
#include "RunningTarvel.h"
#include "VendorLibraries.h"
#include <gtest/gtest.h>
#include <thread>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const int32_t kBase = 0x100;  // a firmware bit Tarvel must never touch
const UINT kEnable = ID_TRAY_ENABLE, kDisable = ID_TRAY_DISABLE;

// The stand-in's crash is a real access violation.
::testing::AssertionResult EndedWithAccessViolation(DWORD status) {
    if (IsAccessViolationExit(status)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit status 0x" << std::hex << status;
}

int64_t Ap6(const simnb::SimNotebookClient& notebook) { return notebook.GetVar("AP:6").value_or(-999); }

bool IsAp6Query(const simnb::JournalEntry& e) {
    return e.source == "fw" && e.Action() == "call" && e.Field("text").value_or("") == "root\\WMI:Q:ORV_AP:AP:6";
}

bool IsAp6Write(const simnb::JournalEntry& e) {
    return e.source == "fw" && e.Action() == "call" && e.Field("text").value_or("").rfind("root\\WMI:S:ORV_AP:AP:6:", 0) == 0;
}

// A reply the firmware itself would give: its own decimal text, terminated.
bool ExactReply(const simnb::JournalEntry& e) {
    std::string reply = e.Field("reply").value_or("");
    if (e.Field("result").value_or("0") == "0" || e.Field("terminated").value_or("no") != "yes" || reply.empty())
        return false;
    size_t i = reply[0] == '-' ? 1 : 0;
    return i < reply.size() && reply.find_first_not_of("0123456789", i) == std::string::npos && reply.size() <= 11;
}

// The invariants of the matrix, over every journal entry since mark: each AP:6 write keeps
// every bit but bit 0 of held, and follows a successful, exact read.
void ExpectAp6Invariants(const std::vector<simnb::JournalEntry>& journal, int64_t held) {
    const simnb::JournalEntry* lastRead = nullptr;
    for (const auto& e : journal) {
        if (IsAp6Query(e)) {
            lastRead = &e;
        } else if (IsAp6Write(e)) {
            std::string text = e.Field("text").value_or("");
            int64_t written = std::stoll(text.substr(text.rfind(':') + 1));
            EXPECT_EQ(written & ~int64_t{1}, held & ~int64_t{1}) << "seq " << e.seq << ": " << text;
            ASSERT_NE(lastRead, nullptr) << "write without a read, seq " << e.seq;
            EXPECT_TRUE(ExactReply(*lastRead)) << "write after a failed read, seq " << e.seq;
        }
    }
}

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<std::string> Without(const std::vector<std::string>& calls, const std::string& prefix) {
    std::vector<std::string> kept;
    for (const auto& c : calls)
        if (c.rfind(prefix, 0) != 0) kept.push_back(c);
    return kept;
}

}  // namespace

class FaultMatrix : public RunningTarvel {
protected:

    // Tarvel running with the overclock applied and AP:6 = kBase | 1.
    void LaunchApplied() {
        ASSERT_TRUE(notebook.SetVar("AP:6", kBase));
        Launch();
        ASSERT_EQ(Ap6(notebook), kBase | 1);
    }

    void Command(UINT id) {
        Mark();
        ::PostMessageW(dialog, WM_COMMAND, id, 0);
        WaitUntilQuiet();
    }

    void ExpectSurvivedWithInvariants() {
        EXPECT_TRUE(tarvel.IsRunning()) << "Tarvel ended";
        ExpectAp6Invariants(notebook.Journal(), kBase);
    }
};

TEST_F(FaultMatrix, FirmwareAbsentAtStartThenBack) {
    ASSERT_TRUE(notebook.SetVar("AP:6", kBase));
    ASSERT_TRUE(notebook.Ok({"fault", "absent", "on"}));
    Launch();
    // Nothing reached the firmware; the option reads as off, so nothing was switched.
    EXPECT_TRUE(Without(CallsSinceMark(), "Q ").empty());
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    ASSERT_TRUE(notebook.Ok({"fault", "absent", "off"}));
    // The bridge keeps trying the subscription that found no firmware at start-up, so once
    // the firmware is back its events reach Tarvel: the option now reads as on, and Tarvel
    // applies the overclock it was asked for.
    ASSERT_TRUE(WaitUntil([&] { return notebook.StatusValue("subscribers") == std::optional<std::string>("1"); }, 10s));
    Mark();
    ASSERT_EQ(notebook.RaiseEvent(0x60), 1);
    ASSERT_TRUE(WaitForCall("S AP:6=" + std::to_string(kBase | 1), 20s));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q System:0"}, NvApplyCalls(kBase)}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    // Commands work as well.
    Command(kDisable);
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(kBase | 1));
    EXPECT_EQ(Ap6(notebook), kBase);
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, FirmwareGoingAwayWhileRunningAndComingBack) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Ok({"fault", "absent", "on"}));
    Command(kDisable);  // the driver calls are made; AP:6 cannot be read, so it is not written
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"B23B70EE 0", "FA579A0F 1"}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    ASSERT_TRUE(notebook.Ok({"fault", "absent", "off"}));
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    // The subscription was cut with the firmware; the bridge makes it again.
    ASSERT_TRUE(WaitUntil([&] { return notebook.StatusValue("subscribers") == std::optional<std::string>("1"); }, 10s));
    Mark();
    ASSERT_EQ(notebook.RaiseEvent(0x5D), 1);
    ASSERT_TRUE(WaitForCall("Q System:0", 20s));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"Q System:1", "Q System:0"}));
    Command(kDisable);
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(kBase | 1));
    Command(kEnable);
    EXPECT_EQ(CallsSinceMark(), NvApplyCalls(kBase));
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, RefusedRequestsNeverLeadToAWrite) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Ok({"fault", "refuse", "on"}));
    Mark();
    ::PostMessageW(dialog, WM_COMMAND, kDisable, 0);
    ::PostMessageW(dialog, WM_COMMAND, kEnable, 0);
    WaitUntilQuiet();
    // The driver calls are made; each read of AP:6 is refused, and nothing is written.
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"B23B70EE 0", "FA579A0F 1", "Q AP:6", "Q AP:6", "B23B70EE 1",
                                                          "FDFC7D49 1 0", "FA579A0F 0"}));
    ASSERT_TRUE(notebook.Ok({"fault", "refuse", "off"}));
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    ExpectSurvivedWithInvariants();
}

// Replies that are no value of the firmware's: the option reads as atoi reads it, but
// AP:6 is only written back after an exact read, so its other bits cannot be lost.
TEST_F(FaultMatrix, MalformedRepliesNeverReachAp6) {
    LaunchApplied();
    const std::string texts[] = {"", "abc", "  12 and more", "4294967553", "-2147483649", "0x101"};
    for (const auto& text : texts) {
        ASSERT_TRUE(notebook.Ok({"fault", "reply", text}));
        Mark();
        ::PostMessageW(dialog, WM_COMMAND, kDisable, 0);
        ::PostMessageW(dialog, WM_COMMAND, kEnable, 0);
        WaitUntilQuiet();
        EXPECT_EQ(CallsSinceMark(), Concat({{"B23B70EE 0", "FA579A0F 1", "Q AP:6"}, {"Q AP:6", "B23B70EE 1", "FDFC7D49 1 0", "FA579A0F 0"}}))
            << "reads of AP:6, no write, for \"" << text << "\"";
        EXPECT_EQ(Ap6(notebook), kBase | 1) << text;
    }
    ASSERT_TRUE(notebook.Ok({"fault", "reply", "digits800"}));
    Command(kDisable);
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"B23B70EE 0", "FA579A0F 1", "Q AP:6"}));
    ASSERT_TRUE(notebook.Ok({"fault", "reply", "off"}));
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, Ap6BeyondThirtyTwoBitsIsLeftAlone) {
    LaunchApplied();
    const int64_t wide = (int64_t{1} << 33) | kBase | 1;
    ASSERT_TRUE(notebook.SetVar("AP:6", wide));
    Command(kDisable);
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"B23B70EE 0", "FA579A0F 1", "Q AP:6"}));
    EXPECT_EQ(notebook.GetVar("AP:6").value_or(0), wide);
    EXPECT_TRUE(tarvel.IsRunning());
}

TEST_F(FaultMatrix, AcceptedWriteWithAnotherValueKeptIsNotFought) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Ok({"fault", "keep", "AP:6", std::to_string(kBase | 0x40)}));
    Command(kDisable);
    // One write, its read-back shows the other value, and Tarvel leaves it at that.
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(kBase | 1));
    EXPECT_EQ(Ap6(notebook), kBase | 0x40);
    ASSERT_TRUE(notebook.Ok({"fault", "keep", "AP:6", "off"}));
    EXPECT_TRUE(tarvel.IsRunning());
}

TEST_F(FaultMatrix, VendorEntryPointsFailingAbsentOrOdd) {
    LaunchApplied();
    const char* privates[] = {"NvPrivate_B23B70EE", "NvPrivate_FDFC7D49", "NvPrivate_FA579A0F"};
    const int32_t statuses[] = {-1, 1, INT32_MAX, INT32_MIN};
    int64_t held = kBase | 1;
    for (const char* name : privates) {
        // Every private call takes part in the apply; FDFC7D49 takes no part in the revert.
        bool revertFails = std::string(name) != "NvPrivate_FDFC7D49";
        for (int32_t status : statuses) {
            ASSERT_TRUE(notebook.Command({"nv", "fault", "status", name, std::to_string(status)}).ok);
            Command(kDisable);
            Command(kEnable);
            // A failed operation leaves bit 0 as it was read; a successful revert clears it.
            if (!revertFails) held = kBase;
            EXPECT_EQ(Ap6(notebook), held) << name << " " << status;
            ASSERT_TRUE(notebook.Command({"nv", "fault", "status", name, "off"}).ok);
        }
    }
    Command(kDisable);
    EXPECT_EQ(Ap6(notebook), kBase);
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, VendorEntryPointNotOfferedCountsAsFailed) {
    ASSERT_TRUE(notebook.SetVar("AP:6", kBase));
    ASSERT_TRUE(notebook.Command({"nv", "fault", "offer", "NvPrivate_FA579A0F", "off"}).ok);
    Launch();
    EXPECT_EQ(Ap6(notebook), kBase);  // the apply's third call is missing: bit 0 stays clear
    Command(kDisable);
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"B23B70EE 0", "Q AP:6", "S AP:6=256", "Q AP:6"}));
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, VendorLibraryPresentButUnusable) {
    RemoveVendorLibraries();
    ASSERT_TRUE(InstallVendorLibrary(kNvapiWithoutQueryStandIn, kNvapiName));
    ASSERT_TRUE(notebook.SetVar("AP:6", kBase));
    ASSERT_TRUE(StartTarvel(tarvel));
    MessageBoxView box = WaitForMessageBox(tarvel.Id(), 20s);
    ASSERT_NE(box.hWnd, nullptr);
    EXPECT_EQ(box.text, L"Your system doesn't have NVIDIA or ATI graphic chipset");
    Dismiss(box);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    EXPECT_EQ(Ap6(notebook), kBase);
    EXPECT_TRUE(EntriesOf(notebook.Journal(), "call").empty());
}

// Twenty events arrive while the first one's 3 s wait runs: each is handled, in order,
// and the last one decides the final state.
TEST_F(FaultMatrix, BurstOfTwentyEventsIsHandledInOrder) {
    LaunchApplied();
    const uint64_t codes[] = {0x60, 0x61, 0x5D, 0x00, 0x79, 0x160, 0x62, 0x5D, 0xFF, 0x79,
                              0x01, 0x15D, 0x63, 0x64, 0x179, 0x65, 0x66, 0x67, 0x68, 0x60};
    std::vector<std::string> expected;
    for (uint64_t code : codes) {
        ASSERT_EQ(notebook.RaiseEvent(code), 1);
        switch (code & 0xFF) {
        case 0x60: expected = Concat({expected, {"Q System:0"}, NvApplyCalls(kBase | 1)}); break;
        case 0x5D: case 0x79: expected = Concat({expected, {"Q System:1", "Q System:0"}}); break;
        default: break;
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return CallsSinceMark().size() >= expected.size(); }, 90s));
    WaitUntilQuiet(3500ms);
    EXPECT_EQ(CallsSinceMark(), expected);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(Ap6(notebook), kBase | 1);

    // The same with a block raised before the burst: the last event (a 121) reverts.
    ASSERT_TRUE(notebook.SetVar("System:1", 1));
    Mark();
    for (uint64_t code : {0x61, 0x62, 0x79})
        ASSERT_EQ(notebook.RaiseEvent(code), 1);
    ASSERT_TRUE(WaitForCall("S AP:6=" + std::to_string(kBase), 20s));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q System:1"}, NvRevertCalls(kBase | 1)}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    ExpectSurvivedWithInvariants();
}

TEST_F(FaultMatrix, ThousandAlternatingCommandsMakeExactlyTheirCalls) {
    LaunchApplied();
    const int kCommands = 1000;
    for (int i = 0; i < kCommands; ++i)
        ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, i % 2 == 0 ? kDisable : kEnable, 0));
    std::vector<std::string> one = Concat({NvRevertCalls(kBase | 1), NvApplyCalls(kBase)});
    ASSERT_TRUE(WaitUntil([&] { return CallsSinceMark().size() >= one.size() * kCommands / 2; }, 300s, 500ms));
    WaitUntilQuiet();
    auto calls = CallsSinceMark();
    ASSERT_EQ(calls.size(), one.size() * kCommands / 2);
    for (size_t i = 0; i < calls.size(); ++i)
        ASSERT_EQ(calls[i], one[i % one.size()]) << "call " << i;
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    ExpectSurvivedWithInvariants();
}

// A kill runs nothing of Tarvel's: clocks and AP:6 stay as they were, in agreement. The
// next start finds the mutex gone with the process and applies by its own rule.
TEST_F(FaultMatrix, KillFromOutsideLeavesAConsistentAp6ForTheNextStart) {
    LaunchApplied();
    tarvel.Kill();
    ASSERT_FALSE(tarvel.IsRunning());
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");

    ChildProcess next;
    Mark();
    ASSERT_TRUE(StartTarvel(next));
    ASSERT_NE(WaitForMainDialog(next), nullptr);
    ASSERT_TRUE(WaitForCall("S AP:6=" + std::to_string(kBase | 1)));
    WaitUntilQuiet();
    auto calls = CallsSinceMark();
    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 7, calls.end()), Concat({{"Q System:0"}, NvApplyCalls(kBase | 1)}));
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    dialog = WaitForMainDialog(next);
    Mark();
    ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_EQ(next.WaitForExit(30s), 0u);
    EXPECT_EQ(Ap6(notebook), kBase);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    ExpectAp6Invariants(notebook.Journal(), kBase);
}

// A driver that crashes in the middle of an apply: the guard reverts once, clears bit 0
// and the process ends with the access violation's code.
TEST_F(FaultMatrix, CrashInsideTarvelIsRevertedByTheGuard) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Command({"nv", "fault", "status", "NvPrivate_FDFC7D49", "crash", "--at", "2"}).ok);
    Mark();
    ::PostMessageW(dialog, WM_COMMAND, kEnable, 0);
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(30s)));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q AP:6", "B23B70EE 1", "FDFC7D49 1 0"}, NvRevertCalls(kBase | 1)}));
    EXPECT_EQ(Ap6(notebook) & 1, 0);
    EXPECT_EQ(Ap6(notebook), kBase);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    ExpectAp6Invariants(notebook.Journal(), kBase);
}

// The revert the guard makes crashes too: no second attempt, the first fault's status.
TEST_F(FaultMatrix, CrashInsideTheGuardsRevertDoesNotLoop) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Command({"nv", "fault", "status", "NvPrivate_FDFC7D49", "crash", "--at", "2"}).ok);
    ASSERT_TRUE(notebook.Command({"nv", "fault", "status", "NvPrivate_FA579A0F", "crash", "--at", "2"}).ok);
    Mark();
    ::PostMessageW(dialog, WM_COMMAND, kEnable, 0);
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(30s)));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(),
              (std::vector<std::string>{"Q AP:6", "B23B70EE 1", "FDFC7D49 1 0", "B23B70EE 0", "FA579A0F 1"}));
    EXPECT_EQ(Ap6(notebook), kBase | 1);  // nothing written: the revert never finished
    ExpectAp6Invariants(notebook.Journal(), kBase);
}

// A driver whose revert never returns, and a fault on another thread: the guard's
// withdrawal hangs in the driver, and the guard ends the process at its deadline (5 s)
// with the fault's status. Nothing was switched, so the clocks and AP:6 bit 0 still agree.
TEST_F(FaultMatrix, GuardGivesUpARevertThatNeverReturns) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "hold", "revert"}));
    Mark();
    const auto faulted = std::chrono::steady_clock::now();
    ASSERT_TRUE(tarvel.FaultOnNewThread());
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(10s)));
    const auto took = std::chrono::steady_clock::now() - faulted;
    EXPECT_LT(took, 10s);
    EXPECT_GE(took, 4500ms) << "the guard did not wait for the withdrawal";
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"held B23B70EE 0"}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(Ap6(notebook), kBase | 1);
    EXPECT_TRUE(notebook.Ok({"nv", "fault", "release"}));
}

// A fault on another thread while the GUI thread's apply waits inside the driver: the
// withdrawal waits for the apply to finish, then reverts; no call of one comes between
// calls of the other, and AP:6 bit 0 ends as the clocks do.
TEST_F(FaultMatrix, FaultDuringAnApplyWithdrawsAfterTheApply) {
    LaunchApplied();
    Command(kDisable);
    ASSERT_EQ(Ap6(notebook), kBase);
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "hold", "NvPrivate_FDFC7D49"}));
    Mark();
    ::PostMessageW(dialog, WM_COMMAND, kEnable, 0);
    ASSERT_TRUE(WaitForCall("held FDFC7D49 1 0"));
    ASSERT_TRUE(tarvel.FaultOnNewThread());
    // The withdrawal is under way and waits: nothing reaches the driver or the firmware.
    std::this_thread::sleep_for(1000ms);
    EXPECT_TRUE(tarvel.IsRunning());
    EXPECT_EQ(CallsSinceMark(), (std::vector<std::string>{"Q AP:6", "B23B70EE 1", "held FDFC7D49 1 0"}));
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "release"}));
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(10s)));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"Q AP:6", "B23B70EE 1", "held FDFC7D49 1 0", "FDFC7D49 1 0", "FA579A0F 0",
                                         "S AP:6=" + std::to_string(kBase | 1), "Q AP:6"},
                                        NvRevertCalls(kBase | 1)}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(Ap6(notebook), kBase);
    ExpectAp6Invariants(notebook.Journal(), kBase);
}

// A fault on another thread while the guard withdraws (the driver's own thread, started
// inside the revert's first call, which goes on 300 ms later) waits for the withdrawal:
// the revert and its AP:6 write are whole, and the process ends with the first fault's
// status, not the second's (0xE0475055).
TEST_F(FaultMatrix, SecondFaultDuringTheGuardsRevertWaitsForIt) {
    LaunchApplied();
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "crash-thread", "revert"}));
    Mark();
    ASSERT_TRUE(tarvel.FaultOnNewThread());
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(10s)));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), Concat({{"crash-thread B23B70EE 0"}, NvRevertCalls(kBase | 1)}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(Ap6(notebook), kBase);
    ExpectAp6Invariants(notebook.Journal(), kBase);
}

// A driver library that installs an exception filter of its own as it loads does not take
// the guard's place: a crash is still withdrawn.
TEST_F(FaultMatrix, ADriversOwnExceptionFilterDoesNotDisarmTheGuard) {
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "filter", "on"}));
    LaunchApplied();
    auto loads = simnb::GpuEntries(notebook.Journal(), "load");
    ASSERT_EQ(loads.size(), 1u);
    ASSERT_EQ(loads[0].Field("filter").value_or(""), "own");
    Mark();
    ASSERT_TRUE(tarvel.FaultOnNewThread());
    EXPECT_TRUE(EndedWithAccessViolation(tarvel.WaitForExit(10s)));
    WaitUntilQuiet();
    EXPECT_EQ(CallsSinceMark(), NvRevertCalls(kBase | 1));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(Ap6(notebook), kBase);
}
