// Runs Tarvel and the baseline program side by side on the simulated notebook and prints
// what it measured as "SAMPLE figure who value" lines for the report:
//   ready_ms           process creation to ready (Tarvel: overclock recorded in AP:6, its
//                      icon added before that; baseline: icon added)
//   icon_ms            Tarvel only: process creation to its firmware subscription, the step
//                      right after its icon is added
//   nvload_ms          Tarvel only: process creation to the NVIDIA library loaded (after the
//                      brightness subscription and the ATI probe)
//   phase_*            Tarvel only: firmware subscription to the NVIDIA library loaded (the
//                      WMI subscription and the ATI probe), from there to ready (vendor and
//                      firmware calls), and the number of those calls
//   startup_vendor_calls, startup_firmware_requests
//                      round trips to the simulated notebook from process creation to
//                      ready: vendor library calls (the stand-in's load announcement, each
//                      nvapi_QueryInterface and each entry point), firmware requests (the
//                      event subscription and each ORV_CallNamePipe)
//   ... samework       bench/SameWorkBaseline.cpp, Tarvel's start-up work without its
//                      framework layer: ready (its AP:6 write, as Tarvel's), the same
//                      start-up sub-figures and round trips, memory after start
//   ... baseline_wmi   the baseline connected to WMI as Tarvel's brightness subscription is
//                      (ready time and memory after start only)
//   committed_*_kib,   memory after start-up and after 100 menu openings
//   workingset_*_kib
//   menu_click_ms      right click (the tray callback) to the menu on the screen, painted
//   switch_*_ms        Tarvel only: "Enable" to the AP:6 write verified, split into the
//                      vendor library's calls and the firmware bridge's round trips
//   BenchDriver.exe ROUNDS MENU_CLICKS SWITCHES
// The simulated notebook must be running and the NVIDIA stand-in installed.
#include "AppMessages.h"
#include "BenchSupport.h"
#include "SimNotebookClient.h"
#include "TrayMenuProbe.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace bench;

namespace {

constexpr UINT kCmdEnable = ID_TRAY_ENABLE;
constexpr UINT kCmdDisable = ID_TRAY_DISABLE;
constexpr UINT kCmdExit = ID_TRAY_EXIT;
constexpr int kMenuOpenings = 100;
constexpr DWORD kSettleMs = 500;
constexpr DWORD kJournalPollMs = 10;

struct Settings {
    int rounds = 5;
    int menuClicks = 10;
    int switches = 10;
};

double MsBetween(uint64_t from, uint64_t to) { return (static_cast<double>(to) - static_cast<double>(from)) / 10000.0; }

bool IsFirmwareCall(const simnb::JournalEntry& e) { return e.source == "fw" && e.Action() == "call"; }
bool IsVendorCall(const simnb::JournalEntry& e) {
    return e.source == "nv" && e.Action() != "query" && e.Action() != "load";
}
bool IsApWrite(const simnb::JournalEntry& e) {
    return IsFirmwareCall(e) && e.Field("text").value_or("").find("S:ORV_AP:AP:6:") != std::string::npos;
}

uint64_t LastSeq(const simnb::SimNotebookClient& notebook) {
    auto journal = notebook.Journal();
    return journal.empty() ? 0 : journal.back().seq;
}

// Waits for the entry that verifies an AP:6 write (the read-back after it) and returns
// the entries since mark up to it; empty on time-out.
std::vector<simnb::JournalEntry> WaitForVerifiedApWrite(const simnb::SimNotebookClient& notebook, uint64_t mark) {
    std::vector<simnb::JournalEntry> upTo;
    WaitUntil([&] {
        upTo.clear();
        bool written = false;
        for (const auto& e : notebook.Journal(mark)) {
            upTo.push_back(e);
            if (written && IsFirmwareCall(e))
                return true;
            written = written || IsApWrite(e);
        }
        return false;
    }, 30000, kJournalPollMs);
    return upTo.empty() || !IsFirmwareCall(upTo.back()) ? std::vector<simnb::JournalEntry>{} : upTo;
}

// What the last recorded start-up of each program had loaded, for the report's notes.
std::vector<Module> g_tarvelModules, g_sameWorkModules, g_baselineModules;
unsigned g_tarvelThreads = 0, g_sameWorkThreads = 0, g_baselineThreads = 0;

bool IsProgram(const Module& m) { return m.name.size() > 4 && _stricmp(m.name.c_str() + m.name.size() - 4, ".exe") == 0; }

// The modules of one list that the other lacks, as " name (size KiB)..." and their total;
// the programs themselves only when asked.
std::string ModulesBeyond(const std::vector<Module>& of, const std::vector<Module>& other, unsigned long* kib,
                          bool withProgram = true) {
    std::string extra;
    *kib = 0;
    for (const Module& m : of) {
        if (!withProgram && IsProgram(m))
            continue;
        bool shared = false;
        for (const Module& o : other)
            shared = shared || _stricmp(o.name.c_str(), m.name.c_str()) == 0;
        if (!shared) {
            extra += " " + m.name + " (" + std::to_string(m.sizeKib) + " KiB)";
            *kib += m.sizeKib;
        }
    }
    return extra.empty() ? " none" : extra;
}

void PrintModuleDifference() {
    unsigned long kib = 0;
    std::printf("NOTE modules: Tarvel %zu, same-work baseline %zu, baseline %zu; threads: Tarvel %u, "
                "same-work baseline %u, baseline %u\n",
                g_tarvelModules.size(), g_sameWorkModules.size(), g_baselineModules.size(), g_tarvelThreads,
                g_sameWorkThreads, g_baselineThreads);
    std::string extra = ModulesBeyond(g_tarvelModules, g_baselineModules, &kib);
    std::printf("NOTE modules only Tarvel loads (%lu KiB of images):%s\n", kib, extra.c_str());
    // What the start-up work itself brings, seen in the program that does nothing else; the
    // report names these where it sets Tarvel against the plain baseline.
    extra = ModulesBeyond(g_sameWorkModules, g_baselineModules, &kib, false);
    std::printf("MODULES %lu%s\n", kib, extra.c_str());
    std::printf("NOTE modules the start-up work loads (the same-work baseline's beyond the baseline's, its own "
                "program aside, %lu KiB of images):%s\n", kib, extra.c_str());
    extra = ModulesBeyond(g_tarvelModules, g_sameWorkModules, &kib, false);
    std::printf("NOTE modules Tarvel loads beyond the same-work baseline's (%lu KiB):%s\n", kib, extra.c_str());
    extra = ModulesBeyond(g_sameWorkModules, g_tarvelModules, &kib, false);
    std::printf("NOTE modules the same-work baseline loads beyond Tarvel's (%lu KiB):%s\n", kib, extra.c_str());
}

void MeasureMemory(HANDLE process, const char* when, const char* who) {
    Memory m = MemoryOf(process);
    std::string committed = std::string("committed_") + when + "_kib";
    std::string ws = std::string("workingset_") + when + "_kib";
    Sample(committed.c_str(), who, static_cast<double>(m.committed) / 1024.0);
    Sample(ws.c_str(), who, static_cast<double>(m.workingSet) / 1024.0);
}

// What both programs go through once they are up: memory, 100 menus, memory again, and
// the timed right clicks.
void MeasureRunningProgram(const Program& program, HWND owner, const char* who, const Settings& s, bool record) {
    ::Sleep(kSettleMs);
    if (record) {
        MeasureMemory(program.Handle(), "start", who);
        const bool isTarvel = std::string(who) == "tarvel";
        (isTarvel ? g_tarvelModules : g_baselineModules) = ModulesOf(program.Handle());
        (isTarvel ? g_tarvelThreads : g_baselineThreads) = ThreadCount(program.Id());
    }
    TrayMenuProbe probe(owner, program.Id());
    int opened = 0;
    for (int i = 0; i < kMenuOpenings; ++i)
        opened += probe.OpenAndClose() ? 1 : 0;
    if (opened != kMenuOpenings)
        std::printf("NOTE %s: %d of %d menu openings seen\n", who, opened, kMenuOpenings);
    ::Sleep(kSettleMs);
    if (record)
        MeasureMemory(program.Handle(), "menus", who);
    probe.TimeToPainted();  // learns the painted menu
    for (int i = 0; i < s.menuClicks; ++i) {
        double ms = probe.TimeToPainted();
        if (record && ms >= 0)
            Sample("menu_click_ms", who, ms);
    }
}

void MeasureSwitches(const simnb::SimNotebookClient& notebook, HWND dialog, int count) {
    for (int i = 0; i < count; ++i) {
        uint64_t mark = LastSeq(notebook);
        ::PostMessageW(dialog, WM_COMMAND, kCmdDisable, 0);
        if (WaitForVerifiedApWrite(notebook, mark).empty())
            return Note("Tarvel: Disable did not finish");
        ::Sleep(50);
        mark = LastSeq(notebook);
        const uint64_t commanded = FileTimeNow();
        ::PostMessageW(dialog, WM_COMMAND, kCmdEnable, 0);
        auto entries = WaitForVerifiedApWrite(notebook, mark);
        if (entries.empty())
            return Note("Tarvel: Enable did not finish");
        // Each gap between two calls is counted for the call that ends it: the program's
        // own work in between is small against a round trip.
        double vendor = 0, bridge = 0;
        uint64_t previous = commanded;
        for (const auto& e : entries) {
            if (!IsFirmwareCall(e) && !IsVendorCall(e))
                continue;
            (IsVendorCall(e) ? vendor : bridge) += MsBetween(previous, e.time);
            previous = e.time;
        }
        Sample("switch_total_ms", "tarvel", MsBetween(commanded, previous));
        Sample("switch_vendor_ms", "tarvel", vendor);
        Sample("switch_bridge_ms", "tarvel", bridge);
    }
}

bool IsSubscription(const simnb::JournalEntry& e) { return e.source == "fw" && e.Action() == "subscribe"; }

// Starts a program that does Tarvel's start-up on the simulated notebook (Tarvel itself or
// the same-work baseline), records its start-up from the journal, and finds its main
// dialog once the About window exists (the step before the last). Null on failure.
HWND StartOnNotebook(Program& program, const wchar_t* exe, const char* who, bool record) {
    simnb::SimNotebookClient notebook;
    if (!notebook.Ok({"reset"}) || !notebook.SetVar("System:0", 2) || !notebook.SetVar("AP:6", 256)) {
        Note("the simulated notebook does not answer");
        return nullptr;
    }
    const uint64_t mark = LastSeq(notebook);
    const uint64_t created = FileTimeNow();
    if (!program.Start(L"\"" + OwnFolder() + exe + L"\"")) {
        std::printf("NOTE %s: the program did not start\n", who);
        return nullptr;
    }
    auto entries = WaitForVerifiedApWrite(notebook, mark);
    if (entries.empty()) {
        std::printf("NOTE %s: no overclock applied at start-up\n", who);
        return nullptr;
    }
    uint64_t subscribed = 0, nvLoaded = 0;
    int roundTrips = 0;  // to the simulated notebook, from the NVIDIA library's load on
    int vendorCalls = 0, firmwareRequests = 0;  // from the start on
    for (const auto& e : entries) {
        if (IsSubscription(e))
            subscribed = e.time;
        if (e.source == "nv" && e.Action() == "load")
            nvLoaded = e.time;
        if (nvLoaded != 0 && (IsFirmwareCall(e) || IsVendorCall(e)))
            ++roundTrips;
        vendorCalls += e.source == "nv" || e.source == "adl" ? 1 : 0;
        firmwareRequests += IsFirmwareCall(e) || IsSubscription(e) ? 1 : 0;
        if (record && IsApWrite(e) && subscribed != 0 && nvLoaded != 0) {
            Sample("icon_ms", who, MsBetween(created, subscribed));
            Sample("nvload_ms", who, MsBetween(created, nvLoaded));
            Sample("ready_ms", who, MsBetween(created, e.time));
            Sample("phase_wmi_ati_ms", who, MsBetween(subscribed, nvLoaded));
            Sample("phase_gpu_fw_ms", who, MsBetween(nvLoaded, e.time));
            Sample("phase_round_trips", who, roundTrips);
            Sample("startup_vendor_calls", who, vendorCalls);
            Sample("startup_firmware_requests", who, firmwareRequests);
        }
        if (IsApWrite(e))
            break;
    }
    WaitUntil([&] { return FindTopLevel(program.Id(), L"#32770", L"About Tarvel") != nullptr; }, 20000, 5);
    HWND dialog = FindTopLevel(program.Id(), L"#32770", L"NVIDIA Tarvel");
    if (dialog == nullptr)
        std::printf("NOTE %s: the main dialog was not found\n", who);
    return dialog;
}

bool RunTarvel(const Settings& s, bool record) {
    Program tarvel;
    HWND dialog = StartOnNotebook(tarvel, L"Tarvel.exe", "tarvel", record);
    if (dialog == nullptr)
        return false;
    MeasureRunningProgram(tarvel, dialog, "tarvel", s, record);
    if (record) {
        simnb::SimNotebookClient notebook;
        MeasureSwitches(notebook, dialog, s.switches);
    }
    ::PostMessageW(dialog, WM_COMMAND, kCmdExit, 0);
    if (!tarvel.WaitForExit(30000))
        Note("Tarvel did not exit through its Exit command");
    return true;
}

// The same-work baseline has no menu and nothing to switch: its start-up and the memory
// that start-up leaves are all it is measured for.
bool RunSameWork(bool record) {
    Program sameWork;
    HWND dialog = StartOnNotebook(sameWork, L"SameWorkBaseline.exe", "samework", record);
    if (dialog == nullptr)
        return false;
    ::Sleep(kSettleMs);
    if (record) {
        MeasureMemory(sameWork.Handle(), "start", "samework");
        g_sameWorkModules = ModulesOf(sameWork.Handle());
        g_sameWorkThreads = ThreadCount(sameWork.Id());
    }
    ::PostMessageW(dialog, WM_COMMAND, kCmdExit, 0);
    if (!sameWork.WaitForExit(30000))
        Note("the same-work baseline did not exit");
    return true;
}

uint64_t ReadReadyFile(const std::wstring& path) {
    std::ifstream in(path.c_str());
    unsigned long long t = 0;
    in >> t;
    return t;
}

bool RunBaseline(const Settings& s, bool record, bool withWmi = false) {
    const char* who = withWmi ? "baseline_wmi" : "baseline";
    const std::wstring readyFile = OwnFolder() + L"baseline-ready.txt";
    ::DeleteFileW(readyFile.c_str());
    Program baseline;
    const uint64_t created = FileTimeNow();
    if (!baseline.Start(L"\"" + OwnFolder() + L"Baseline.exe\" \"" + readyFile + L"\"" + (withWmi ? L" wmi" : L""))) {
        Note("Baseline.exe did not start");
        return false;
    }
    uint64_t ready = 0;
    WaitUntil([&] { return (ready = ReadReadyFile(readyFile)) != 0; }, 20000, 2);
    if (ready == 0) {
        Note("the baseline did not add its icon");
        return false;
    }
    if (record)
        Sample("ready_ms", who, MsBetween(created, ready));
    HWND window = FindTopLevel(baseline.Id(), L"TarvelBenchBaseline");
    if (withWmi) {
        ::Sleep(kSettleMs);
        if (record)
            MeasureMemory(baseline.Handle(), "start", who);
    } else {
        MeasureRunningProgram(baseline, window, who, s, record);
    }
    ::PostMessageW(window, WM_COMMAND, kCmdExit, 0);
    if (!baseline.WaitForExit(30000))
        Note("the baseline did not exit");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Settings s;
    if (argc > 1) s.rounds = _wtoi(argv[1]);
    if (argc > 2) s.menuClicks = _wtoi(argv[2]);
    if (argc > 3) s.switches = _wtoi(argv[3]);
    // The first round only warms Wine's caches for both programs; it is not recorded.
    for (int round = 0; round <= s.rounds; ++round) {
        const bool record = round > 0;
        std::fprintf(stderr, "bench: round %d of %d%s\n", round, s.rounds, record ? "" : " (warm-up)");
        // Alternating the order keeps a slow moment from falling on one side; Tarvel and the
        // same-work baseline, the closest comparison, always run one right after the other.
        const bool tarvelFirst = round % 2 == 0;
        bool ok = tarvelFirst ? RunTarvel(s, record) && RunSameWork(record) && RunBaseline(s, record)
                              : RunBaseline(s, record) && RunSameWork(record) && RunTarvel(s, record);
        ok = ok && RunBaseline(s, record, true);
        if (!ok)
            return 1;
    }
    PrintModuleDifference();
    return 0;
}
