// A start before the shell: Tarvel starts while the notification area cannot take its icon
// yet, and the icon is added when the shell announces itself with "TaskbarCreated".
//
// Wine's explorer makes a tray window for every desktop as soon as a program there makes its
// first window, and makes it again when it is taken away, so the test cannot have Tarvel start
// with no tray at all. Instead Tarvel starts on a desktop of the test's own where the tray
// Shell_NotifyIconW finds is the test's stand-in (StandInShell), which refuses requests as a
// shell still starting does: Tarvel's NIM_ADD really fails at its start.
#include "AppMessages.h"
#include "RunningTarvel.h"
#include "StandInShell.h"
#include <gtest/gtest.h>
#include <shellapi.h>

#include "common/SimSync.h"

using namespace e2e;
using namespace std::chrono_literals;

namespace {


bool IsTarvelsIcon(const TrayRequest& r) {
    return r.id == 1 && r.callbackMessage == WM_TRAYNOTIFY &&
           (r.flags & (NIF_MESSAGE | NIF_ICON | NIF_TIP)) == (NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

}  // namespace

class LateShell : public RunningTarvel {
protected:
    // Runs on a thread of its own, which sits on the desktop and answers the tray's requests.
    void StartBeforeTheShell(const ScopedDesktop& desktop) {
        ASSERT_TRUE(::SetThreadDesktop(desktop.Handle()));
        StandInShell shell;
        ASSERT_TRUE(shell.Create()) << "the stand-in is not the tray Shell_NotifyIconW would find";

        ASSERT_TRUE(tarvel.Start(BinDir() + L"Tarvel.exe", L"", desktop.StartupName()));
        ASSERT_TRUE(StandInShell::PumpUntil(
            [&] { return !TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel").empty(); }, 30s))
            << "start-up did not finish";
        auto dialogs = TopLevelWindows(tarvel.Id(), L"#32770", kMainDialogCaption);
        ASSERT_EQ(dialogs.size(), 1u);
        dialog = dialogs.front();

        auto requests = shell.RequestsOf(dialog);
        ASSERT_EQ(requests.size(), 1u) << "one NIM_ADD at start";
        EXPECT_EQ(requests[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_FALSE(requests[0].accepted);
        EXPECT_TRUE(IsTarvelsIcon(requests[0]));

        // Tarvel waits for the shell rather than asking again and again.
        StandInShell::PumpUntil([] { return false; }, 1500ms);
        EXPECT_EQ(shell.RequestsOf(dialog).size(), 1u);
        EXPECT_TRUE(tarvel.IsRunning());

        shell.SetAccepting(true);
        shell.AnnounceTaskbarCreated();
        ASSERT_TRUE(StandInShell::PumpUntil([&] { return shell.RequestsOf(dialog).size() >= 2; }, 10s))
            << "no icon after TaskbarCreated";
        requests = shell.RequestsOf(dialog);
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_TRUE(requests[1].accepted);
        EXPECT_TRUE(IsTarvelsIcon(requests[1])) << "the icon is added from the record made at start";

        // The icon added late is the one Exit takes away.
        ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_EXIT, 0);
        ASSERT_TRUE(StandInShell::PumpUntil([&] { return !tarvel.IsRunning(); }, 30s)) << "Tarvel did not end";
        EXPECT_EQ(tarvel.WaitForExit(1s), 0u);
        requests = shell.RequestsOf(dialog);
        ASSERT_EQ(requests.size(), 3u);
        EXPECT_EQ(requests[2].message, static_cast<DWORD>(NIM_DELETE));
        EXPECT_EQ(requests[2].id, 1u);
    }
};

TEST_F(LateShell, IconRefusedAtStartIsAddedWhenTheShellAnnouncesItself) {
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    ScopedDesktop desktop(L"TarvelLateShell" + std::to_wstring(::GetCurrentProcessId()));
    ASSERT_TRUE(desktop.Valid());
    simnb::Thread scene;
    ASSERT_TRUE(scene.Start([&] { StartBeforeTheShell(desktop); }));
    scene.Join();
}
