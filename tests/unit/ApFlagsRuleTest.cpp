// The AP:6 bookkeeping of every switch (the choice of back-end: AtiBackendTest.cpp).
#include "AfxHandle.h"
#include "ApFlags.h"
#include "RecordingFirmware.h"
#include "SwitchLock.h"
#include "TarvelDlg.h"
#include <gtest/gtest.h>

TEST(ApFlagsRule, ApplySetsBit0OnlyWhenTheDriverSucceeded) {
    EXPECT_EQ(ApFlagsAfterApply(0x100, true), 0x101);
    EXPECT_EQ(ApFlagsAfterApply(4, true), 5);
    EXPECT_EQ(ApFlagsAfterApply(2, true), 3);
    EXPECT_EQ(ApFlagsAfterApply(5, true), 5);
    EXPECT_EQ(ApFlagsAfterApply(4, false), 4);
    EXPECT_EQ(ApFlagsAfterApply(2, false), 2);
}

// Only bit 0 is the program's: the firmware's bits above bit 7 survive a revert.
TEST(ApFlagsRule, RevertClearsBit0AndKeepsTheFirmwaresBits) {
    EXPECT_EQ(ApFlagsAfterRevert(0x1FF, true), 0x1FE);
    EXPECT_EQ(ApFlagsAfterRevert(0x103, true), 0x102);
    EXPECT_EQ(ApFlagsAfterRevert(5, true), 4);
    EXPECT_EQ(ApFlagsAfterRevert(INT32_MIN | 1, true), INT32_MIN);
    EXPECT_EQ(ApFlagsAfterRevert(0x1FF, false), 0x1FF);
}

TEST(ApFlagsRule, ApplyReadsFirstAndWritesAfterTheDriverCalls) {
    RecordingFirmware fw;
    fw.Script({{1, "256"}, {1, ""}, {1, "257"}});
    ApFlagsBeforeApply before;
    ASSERT_EQ(fw.Texts(), (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6"}));
    EXPECT_TRUE(before.Record(true));
    EXPECT_EQ(fw.Texts(), (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:S:ORV_AP:AP:6:257",
                                                    "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST(ApFlagsRule, FailedDriverCallWritesTheValueBackUnchanged) {
    RecordingFirmware fw;
    fw.Script({{1, "4"}, {1, ""}, {1, "4"}, {1, "5"}, {1, ""}, {1, "5"}});
    ApFlagsBeforeApply before;
    before.Record(false);
    RecordReverted(false);
    EXPECT_EQ(fw.Texts(), (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:S:ORV_AP:AP:6:4",
                                                    "root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:Q:ORV_AP:AP:6",
                                                    "root\\WMI:S:ORV_AP:AP:6:5", "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST(ApFlagsRule, RevertReadsThenWritesWithBit0Cleared) {
    RecordingFirmware fw;
    fw.Script({{1, "511"}, {1, ""}, {1, "510"}});
    EXPECT_TRUE(RecordReverted(true));
    EXPECT_EQ(fw.Texts(), (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:S:ORV_AP:AP:6:510",
                                                    "root\\WMI:Q:ORV_AP:AP:6"}));
}

// A failed read must not turn into a write: -1 | 1 would set every bit of the variable.
TEST(ApFlagsRule, NothingIsWrittenAfterAFailedRead) {
    RecordingFirmware fw;
    fw.Script({{0, ""}, {0, ""}});
    ApFlagsBeforeApply before;
    EXPECT_FALSE(before.Record(true));
    EXPECT_FALSE(RecordReverted(true));
    EXPECT_EQ(fw.Texts(), (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:Q:ORV_AP:AP:6"}));
}

// A variable that really holds -1 is not a failed read.
TEST(ApFlagsRule, AVariableHoldingMinusOneIsStillWritten) {
    RecordingFirmware fw;
    fw.Script({{1, "-1"}, {1, ""}, {1, "-2"}});
    EXPECT_TRUE(RecordReverted(true));
    EXPECT_EQ(fw.requests[1].text, "root\\WMI:S:ORV_AP:AP:6:-2");
}

TEST(Switching, WithoutABackendNeitherDriverNorFirmwareIsCalled) {
    RecordingFirmware fw;
    CTarvelDlg dlg;
    dlg.ApplyOverclock();
    dlg.RevertOverclock();
    EXPECT_TRUE(fw.requests.empty());
}

namespace {

DWORD WINAPI DeleteDialog(LPVOID dlg) {
    delete static_cast<CTarvelDlg*>(dlg);
    return 0;
}

}  // namespace

// The crash guard's withdrawal takes the switch lock, then reverts on g_pMainDlg: the dialog
// that goes while a withdrawal runs waits for it, so the withdrawal never works on a dialog
// in destruction. (The wait below can only show the fault when the dialog does not wait;
// a dialog that waits as it should never ends it early.)
TEST(Switching, TheDialogGoesOnlyWhenNoSwitchIsUnderWay) {
    CTarvelDlg* dlg = new CTarvelDlg;
    g_pMainDlg = dlg;
    CUniqueHandle<HANDLE, &::CloseHandle> goes;
    {
        CSwitchScope withdrawal(SwitchLock());
        goes.Reset(::CreateThread(nullptr, 0, &DeleteDialog, dlg, 0, nullptr));
        ASSERT_TRUE(goes);
        EXPECT_EQ(::WaitForSingleObject(goes.Get(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_EQ(g_pMainDlg, dlg);
    }
    EXPECT_EQ(::WaitForSingleObject(goes.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(g_pMainDlg, nullptr);
}
