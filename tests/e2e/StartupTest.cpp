// Start-up on the simulated notebook: a single instance, and the end of the road when the
// notebook has no usable graphics back-end.
#include "TarvelSession.h"
#include "common/UniqueHandle.h"
#include <gtest/gtest.h>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::wstring kNoChipset = L"Your system doesn't have NVIDIA or ATI graphic chipset";

}  // namespace

TEST_F(TarvelSession, WithoutABackendItSaysSoRemovesItsIconAndExitsWith1) {
    ChildProcess tarvel;
    ASSERT_TRUE(StartTarvel(tarvel));
    MessageBoxView box = WaitForMessageBox(tarvel.Id(), 30s);
    ASSERT_NE(box.hWnd, nullptr) << "no message box";
    EXPECT_EQ(box.caption, L"ORV Tarvel");
    EXPECT_EQ(box.text, kNoChipset);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(StandardIconShown(box.iconControl), L"exclamation");
    EXPECT_EQ(MessageBoxes(tarvel.Id()).size(), 1u);

    // The icon was added before the probes and is there while the message is shown.
    HWND dialog = WaitForMainDialog(tarvel, 5s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(::IsWindowVisible(dialog));
    EXPECT_TRUE(TrayIconPresent(dialog));
    // So is the mutex, which this way out leaves to the end of the process: it is never
    // released, so the next owner finds it abandoned.
    simnb::UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"ORV Tarvel"));
    ASSERT_TRUE(mutex.Valid());

    Dismiss(box);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    EXPECT_FALSE(TrayIconPresent(dialog));
    const DWORD taken = ::WaitForSingleObject(mutex.Get(), 0);
    EXPECT_EQ(taken, WAIT_ABANDONED) << "the mutex was released on the way out";
    if (taken == WAIT_ABANDONED || taken == WAIT_OBJECT_0) ::ReleaseMutex(mutex.Get());
    mutex.Reset();

    auto journal = notebook.Journal();
    auto subscriptions = EntriesOf(journal, "subscribe");
    ASSERT_EQ(subscriptions.size(), 1u);
    EXPECT_EQ(subscriptions[0].Field("query").value_or(""), "Select * from ORV_Event");
    EXPECT_EQ(subscriptions[0].Field("namespace").value_or(""), "root\\wmi");
    EXPECT_EQ(subscriptions[0].Field("language").value_or(""), "WQL");
    // No back-end: no option query and no AP:6 request at all.
    EXPECT_TRUE(FirmwareRequests(journal).empty());
}

TEST_F(TarvelSession, ASecondInstanceEndsSilentlyAndLeavesTheFirstAlone) {
    ChildProcess first;
    ASSERT_TRUE(StartTarvel(first));
    // The first instance waits on its message: it holds the mutex and its icon meanwhile.
    MessageBoxView box = WaitForMessageBox(first.Id(), 30s);
    ASSERT_NE(box.hWnd, nullptr);
    HWND firstDialog = WaitForMainDialog(first, 5s);
    ASSERT_NE(firstDialog, nullptr);
    ASSERT_TRUE(notebook.Ok({"clear"}));

    ChildProcess second;
    ASSERT_TRUE(StartTarvel(second));
    bool sawMessage = false;
    WaitUntil([&] {
        if (!MessageBoxes(second.Id()).empty()) sawMessage = true;
        return !second.IsRunning();
    }, 30s);
    EXPECT_EQ(second.WaitForExit(1s), 0u);
    EXPECT_FALSE(sawMessage);
    // Nothing of the second reached the firmware: no subscription, no request.
    EXPECT_TRUE(notebook.Journal().empty());

    // The first is untouched: its message, its icon, its window.
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(MessageBoxes(first.Id()).size(), 1u);
    EXPECT_TRUE(TrayIconPresent(firstDialog));
    Dismiss(box);
    EXPECT_EQ(first.WaitForExit(20s), 1u);
}
