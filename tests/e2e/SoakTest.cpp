// The soak: 2,000 tray-menu openings and closings and 10,000 commands on the running
// Tarvel, with its resources counted from outside before and after. Wine answers
// GetGuiResources and GetProcessHandleCount with 0 and PrivateUsage with 0, so those are
// not used: handles come from the system handle table (NtQuerySystemInformation), windows
// from the windows the process owns, memory from the working set and PagefileUsage, GDI and
// USER objects from the object census that the bridge stand-in puts into Tarvel's process when
// asked (its imports of the object makers and releasers lead through counting wrappers).
// docs/SOAK.md holds the numbers.
#include "AppMessages.h"
#include "BrightnessFeedClient.h"
#include "ObjectCensusReader.h"
#include "RunningTarvel.h"
#include <gtest/gtest.h>
#include <psapi.h>
#include <winternl.h>
#include <cstdio>
#include <thread>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const int kMenuCycles = 2000;
const int kCommands = 10000;

// SystemExtendedHandleInformation
const int kExtendedHandleClass = 64;

struct HandleEntry {
    PVOID object;
    ULONG_PTR pid;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};

struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

// The process's entries in the system handle table; -1 when the table cannot be read.
long HandlesOf(DWORD pid) {
    typedef LONG(NTAPI * PFN)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<PFN>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        LONG status = query(kExtendedHandleClass, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            auto* table = reinterpret_cast<HandleTable*>(buffer.data());
            long n = 0;
            for (ULONG_PTR i = 0; i < table->count; ++i) n += table->entries[i].pid == pid ? 1 : 0;
            return n;
        }
        buffer.resize(buffer.size() * 2 + needed);
    }
    return -1;
}

// Windows of the process, top-level and child, visible or not (menus are windows too
// while they are open; a closed menu leaves none).
struct WindowCount {
    DWORD pid;
    long n;
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM p) {
    ++reinterpret_cast<WindowCount*>(p)->n;
    return TRUE;
}

BOOL CALLBACK CountWindowAndChildren(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<WindowCount*>(p);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner != c->pid) return TRUE;
    ++c->n;
    ::EnumChildWindows(w, &CountChildWindow, p);
    return TRUE;
}

long WindowsOf(DWORD pid) {
    WindowCount c = {pid, 0};
    ::EnumWindows(&CountWindowAndChildren, reinterpret_cast<LPARAM>(&c));
    return c.n;
}

struct Counters {
    long handles = 0;
    long windows = 0;
    SIZE_T workingSet = 0;
    SIZE_T pagefile = 0;
    simnb::CensusCounts objects = {};
    bool censusRead = false;
};

int32_t Created(const simnb::CensusCounts& c) {
    int32_t n = 0;
    for (const auto& kind : c.kinds) n += kind.created;
    return n;
}

Counters Read(const ChildProcess& p) {
    Counters c;
    std::optional<simnb::CensusCounts> objects = simnb::ReadObjectCensus(p.Id());
    c.censusRead = objects.has_value();
    if (objects) c.objects = *objects;
    c.handles = HandlesOf(p.Id());
    c.windows = WindowsOf(p.Id());
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(p.Handle(), &pmc, sizeof pmc);
    c.workingSet = pmc.WorkingSetSize;
    c.pagefile = pmc.PagefileUsage;
    return c;
}

void Print(const char* when, const Counters& c) {
    std::printf("soak %-6s handles=%ld windows=%ld workingSet=%zu pagefileUsage=%zu\n", when, c.handles, c.windows,
                static_cast<size_t>(c.workingSet), static_cast<size_t>(c.pagefile));
    std::printf("soak %-6s objects %s\n", when, simnb::DescribeCensus(c.objects).c_str());
    std::fflush(stdout);
}

HWND OpenMenu(DWORD pid) {
    HWND menu = nullptr;
    WaitUntil([&] {
        auto menus = TopLevelWindows(pid, L"#32768");
        for (HWND m : menus)
            if (::IsWindowVisible(m)) { menu = m; return true; }
        return false;
    }, 10s, 2ms);
    return menu;
}

bool MenuGone(DWORD pid) {
    return WaitUntil([&] {
        for (HWND m : TopLevelWindows(pid, L"#32768"))
            if (::IsWindowVisible(m)) return false;
        return true;
    }, 10s, 2ms);
}

}  // namespace

class Soak : public RunningTarvel {
protected:
    // One round first, so that what is made once per process (fonts, classes, caches) is
    // in the "before" figures.
    void WarmUp() {
        // Tarvel inherits the request for the census.
        ::SetEnvironmentVariableW(L"ORV_SIM_OBJECT_CENSUS", L"1");
        Launch();
        AwaitWmiWorkerEnd();
        ::PostMessageW(dialog, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
        HWND first = OpenMenu(tarvel.Id());
        ASSERT_NE(first, nullptr);
        ::PostMessageW(first, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(MenuGone(tarvel.Id()));
        ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_DISABLE, 0);
        ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_ENABLE, 0);
        WaitUntilQuiet();
    }

    // Under Wine the brightness subscription is answered in Tarvel's own process, on a
    // worker thread of the thread pool, which ends after 5 s without work; its end settles
    // about 0.5 MiB of working set, once.
    void AwaitWmiWorkerEnd() {
        simnb::BrightnessFeedClient feed;
        ASSERT_TRUE(WaitUntil([&] { return feed.Open(tarvel.Id()) && feed.Counts()->statusReports >= 1; }, 20s))
            << "the brightness subscription was not answered";
        std::this_thread::sleep_for(7s);
    }

    // minCreated: how many objects the run must at least have made, so that a census that
    // sees nothing cannot pass for a flat one.
    void ExpectFlat(const Counters& before, const Counters& after, int32_t minCreated) {
        EXPECT_TRUE(tarvel.IsRunning());
        ASSERT_TRUE(before.censusRead && after.censusRead) << "no object census in Tarvel's process";
        EXPECT_GT(before.objects.patchedImports, 0u);
        EXPECT_GE(Created(after.objects) - Created(before.objects), minCreated) << "the census saw too little";
        for (uint32_t i = 0; i < simnb::kCensusKindCount; ++i)
            EXPECT_EQ(after.objects.kinds[i].live, before.objects.kinds[i].live)
                << "live " << simnb::CensusKindName(static_cast<simnb::CensusKind>(i));
        EXPECT_EQ(after.objects.reusedWhileLive, before.objects.reusedWhileLive) << "objects freed out of sight";
        EXPECT_LE(after.handles, before.handles + 2) << "handles";
        EXPECT_LE(after.windows, before.windows + 1) << "windows";
        // A little growth is the heap settling; a leak per menu or command would be
        // hundreds of kilobytes here.
        EXPECT_LE(after.workingSet, before.workingSet + 512 * 1024) << "working set";
        EXPECT_LE(after.pagefile, before.pagefile + 512 * 1024) << "pagefile usage";
    }

    void SettleCensus(const Counters& before) {
        WaitUntil([&] {
            std::optional<simnb::CensusCounts> now = simnb::ReadObjectCensus(tarvel.Id());
            if (!now) return true;
            for (uint32_t i = 0; i < simnb::kCensusKindCount; ++i)
                if (now->kinds[i].live != before.objects.kinds[i].live) return false;
            return true;
        }, 10s, 10ms);
    }

    size_t JournalSize() const {
        return static_cast<size_t>(std::stoull(notebook.StatusValue("journal-entries").value_or("0")));
    }
};

TEST_F(Soak, TwoThousandMenusLeaveTheCountersFlat) {
    WarmUp();
    Counters before = Read(tarvel);
    Print("before", before);
    for (int i = 0; i < kMenuCycles; ++i) {
        ::PostMessageW(dialog, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
        HWND menu = OpenMenu(tarvel.Id());
        ASSERT_NE(menu, nullptr) << "opening " << i;
        ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(MenuGone(tarvel.Id())) << "closing " << i;
    }
    // The menu's window is hidden a moment before Tarvel's tray handler returns and
    // destroys the menu: give the last one that moment (a leak stays live for good).
    SettleCensus(before);
    Counters after = Read(tarvel);
    Print("menus", after);
    // Every opening builds the owner-drawn menu afresh and paints it.
    ExpectFlat(before, after, kMenuCycles);
    EXPECT_EQ(ExitThroughTray(), 0u);
}

// The journal holds 20,000 entries, so the commands go in batches of 1,000, each checked
// for its exact calls and cleared away.
TEST_F(Soak, TenThousandCommandsLeaveTheCountersFlat) {
    WarmUp();
    Counters before = Read(tarvel);
    Print("before", before);
    const int kBatch = 1000;
    std::vector<std::string> pair;
    for (const auto& part : {NvRevertCalls(1), NvApplyCalls(0)}) pair.insert(pair.end(), part.begin(), part.end());
    for (int batch = 0; batch < kCommands / kBatch; ++batch) {
        ASSERT_TRUE(notebook.Ok({"clear"}));
        Mark();
        for (int i = 0; i < kBatch; ++i)
            ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, i % 2 == 0 ? ID_TRAY_DISABLE : ID_TRAY_ENABLE, 0)) << i;
        const size_t expected = pair.size() * kBatch / 2;
        ASSERT_TRUE(WaitUntil([&] { return JournalSize() >= expected; }, 240s, 1000ms)) << "batch " << batch;
        WaitUntilQuiet();
        auto calls = CallsSinceMark();
        ASSERT_EQ(calls.size(), expected) << "batch " << batch;
        for (size_t i = 0; i < calls.size(); ++i)
            ASSERT_EQ(calls[i], pair[i % pair.size()]) << "batch " << batch << " call " << i;
    }
    Counters after = Read(tarvel);
    Print("after", after);
    ExpectFlat(before, after, 0);
    EXPECT_EQ(ExitThroughTray(), 0u);
}
