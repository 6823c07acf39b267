// Tarvel's start on notebooks with NVIDIA, ATI, both or neither vendor library (the
// simulated ones), watched through the simulated notebook's journal: which library is
// loaded from where, every driver call with its arguments, the firmware requests between
// them, and the way out through the tray's Exit command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "AppMessages.h"
#include "TarvelSession.h"
#include "VendorLibraries.h"

using namespace e2e;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

namespace {

const std::wstring kNoChipset = L"Your system doesn't have NVIDIA or ATI graphic chipset";
const std::wstring kAtiMissing = L"ATI's overclock function is missing!";
const std::wstring kAdlInitError = L"ADL Initialization Error!";

const std::string kGpu = "gpu=0x10000100";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string LowerPath(const std::wstring& path) {
    std::string out;
    for (wchar_t c : path) out += static_cast<char>(std::towlower(c));
    return out;
}

// Firmware requests as "fw Q AP:6" or "fw S AP:6=257"; GPU entries as their source and
// details, the loading process's id left out.
std::string TraceLine(const simnb::JournalEntry& e) {
    if (e.source == "fw") {
        std::string text = e.Field("text").value_or("");
        std::string rest = text.substr(std::min(text.size(), sizeof "root\\WMI:" - 1));
        const bool write = rest.compare(0, 2, "S:") == 0;
        std::string target = rest.substr(std::min(rest.size(), rest.find(':', 2) + 1));
        if (write) target.replace(target.rfind(':'), 1, "=");
        return std::string("fw ") + (write ? "S " : "Q ") + target;
    }
    if (e.Action() == "load") return e.source + " load " + Lower(e.Field("path").value_or(""));
    return e.source + " " + e.text;
}

Lines Trace(const std::vector<simnb::JournalEntry>& journal) {
    Lines lines;
    for (const auto& e : journal) {
        if ((e.source == "fw" && e.Action() == "call") || e.source == "nv" || e.source == "adl") lines.push_back(TraceLine(e));
    }
    return lines;
}

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::string Query(const char* id, const char* name, bool offered = true) {
    return std::string("nv query id=") + id + " name=" + name + " offered=" + (offered ? "yes" : "no");
}

Lines NvProbe() {
    return {"nv load " + LowerPath(SystemFolder() + L"\\" + kNvapiName),
            Query("0x0150E828", "NvAPI_Initialize"),
            "nv NvAPI_Initialize status=0",
            Query("0x9ABDD40D", "NvAPI_EnumNvidiaDisplayHandle"),
            "nv NvAPI_EnumNvidiaDisplayHandle index=0 status=0 handle=0x30000100",
            "nv NvAPI_EnumNvidiaDisplayHandle index=1 status=-7",
            Query("0xE5AC921F", "NvAPI_EnumPhysicalGPUs"),
            "nv NvAPI_EnumPhysicalGPUs status=0 count=1 handles=0x10000100",
            Query("0x48B3EA59", "NvAPI_EnumLogicalGPUs"),
            "nv NvAPI_EnumLogicalGPUs status=0 count=1 handles=0x20000100"};
}

// The first apply asks for the three private entry points as it first calls each.
Lines NvFirstApply(int before) {
    return {"fw Q AP:6",
            Query("0xB23B70EE", "NvPrivate_B23B70EE"),
            "nv NvPrivate_B23B70EE " + kGpu + " value=1 status=0 clocks=default",
            Query("0xFDFC7D49", "NvPrivate_FDFC7D49"),
            "nv NvPrivate_FDFC7D49 " + kGpu + " value1=1 value2=0 status=0 clocks=default",
            Query("0xFA579A0F", "NvPrivate_FA579A0F"),
            "nv NvPrivate_FA579A0F " + kGpu + " value=0 status=0 clocks=overclocked",
            "fw S AP:6=" + std::to_string(before | 1),
            "fw Q AP:6"};
}

Lines NvRevert(int before, const std::string& clocksBefore) {
    return {"nv NvPrivate_B23B70EE " + kGpu + " value=0 status=0 clocks=" + clocksBefore,
            "nv NvPrivate_FA579A0F " + kGpu + " value=1 status=0 clocks=default",
            "fw Q AP:6",
            "fw S AP:6=" + std::to_string(before & ~1),
            "fw Q AP:6"};
}

Lines AdlProbe(const std::wstring& name = kAdlName) {
    return {"adl load " + LowerPath(SystemFolder() + L"\\" + name),
            "adl ADL_Main_Control_Create callback=yes allocated=yes iEnumConnectedAdapters=1 status=0",
            "adl ADL_Display_ODClockInfo_Get iAdapterIndex=0 status=0"};
}

std::string AdlSet(int memory, int engine, const std::string& clocks) {
    return "adl ADL_Display_ODClockConfig_Set iAdapterIndex=0 iSize=16 iFlags=3 iMemoryClock=" + std::to_string(memory) +
           " iEngineClock=" + std::to_string(engine) + " status=0 clocks=" + clocks;
}

// Everything after the firmware event subscription, which every start makes first.
Lines AfterSubscription(const std::vector<simnb::JournalEntry>& journal) {
    auto subscribed = std::find_if(journal.begin(), journal.end(), [](const auto& e) { return e.Action() == "subscribe"; });
    if (subscribed == journal.end()) return {"(no subscription)"};
    return Trace(std::vector<simnb::JournalEntry>(subscribed + 1, journal.end()));
}

}  // namespace

class VendorStartup : public TarvelSession {
protected:
    void TearDown() override {
        if (tarvel.IsRunning()) tarvel.Kill();
        tarvel.WaitForExit(10s);
        TarvelSession::TearDown();
    }

    // Starts Tarvel and waits until its start-up is over: the hidden About box is made last.
    void StartAndSettle() {
        ASSERT_TRUE(StartTarvel(tarvel));
        dialog = WaitForMainDialog(tarvel);
        ASSERT_NE(dialog, nullptr) << "no main dialog";
        ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel").empty(); }, 30s))
            << "start-up did not finish";
        WaitUntilQuiet();
    }

    void WaitUntilQuiet() {
        size_t last = ~size_t{0};
        auto changed = std::chrono::steady_clock::now();
        WaitUntil([&] {
            size_t now = notebook.Journal().size();
            if (now != last) {
                last = now;
                changed = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - changed >= 700ms;
        }, 30s, 50ms);
    }

    // The real way out: the tray's Exit command.
    DWORD ExitThroughTray() {
        ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_EXIT, 0);
        return tarvel.WaitForExit(30s);
    }

    uint64_t LastSeq() const {
        auto journal = notebook.Journal();
        return journal.empty() ? 0 : journal.back().seq;
    }

    void ExpectStartUpMessage(const std::wstring& text) {
        MessageBoxView box = WaitForMessageBox(tarvel.Id(), 30s);
        ASSERT_NE(box.hWnd, nullptr) << "no message box";
        EXPECT_EQ(box.caption, L"ORV Tarvel");
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
        EXPECT_EQ(StandardIconShown(box.iconControl), L"exclamation");
        Dismiss(box);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box.hWnd); }, 10s));
    }

    ChildProcess tarvel;
    HWND dialog = nullptr;
};

TEST_F(VendorStartup, NvidiaOnlyProbesAppliesOnTheFirstGpuAndRevertsOnExit) {
    ASSERT_TRUE(notebook.SetVar("AP:6", 0x100));
    ASSERT_TRUE(InstallNvapi());
    StartAndSettle();

    EXPECT_EQ(AfterSubscription(notebook.Journal()), Concat({NvProbe(), {"fw Q System:0"}, NvFirstApply(0x100)}));
    EXPECT_EQ(notebook.GetVar("AP:6"), 0x101);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");

    uint64_t before = LastSeq();
    EXPECT_EQ(ExitThroughTray(), 0u);
    // Once for the command, once more as the window is destroyed.
    EXPECT_EQ(Trace(notebook.Journal(before)), Concat({NvRevert(0x101, "overclocked"), NvRevert(0x100, "default")}));
    EXPECT_EQ(notebook.GetVar("AP:6"), 0x100);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
}

class AtiOnly : public VendorStartup, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(AtiOnly, SetsAdapter0ToItsMaximumClocksAndBackToTheDefaultsOnExit) {
    const std::wstring name = GetParam();
    ASSERT_TRUE(notebook.SetVar("AP:6", 2));
    ASSERT_TRUE(InstallAdl(kAdlStandIn, name));
    StartAndSettle();

    EXPECT_EQ(AfterSubscription(notebook.Journal()),
              Concat({AdlProbe(name), {"fw Q System:0", "fw Q AP:6", AdlSet(1000, 650, "overclocked"), "fw S AP:6=3",
                                       "fw Q AP:6"}}));
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "overclocked");

    uint64_t before = LastSeq();
    EXPECT_EQ(ExitThroughTray(), 0u);
    // The two reverts, and nothing else: the library stays loaded to the end (no "unload").
    Lines revert = {AdlSet(900, 500, "default"), "fw Q AP:6", "fw S AP:6=2", "fw Q AP:6"};
    EXPECT_EQ(Trace(notebook.Journal(before)), Concat({revert, revert}));
    EXPECT_EQ(notebook.GetVar("AP:6"), 2);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "default");
}

INSTANTIATE_TEST_SUITE_P(EitherLibraryName, AtiOnly, ::testing::Values(kAdlName, kAdlFallbackName));

// The clocks the program sets are the ones the library reported, not fixed numbers.
TEST_F(VendorStartup, AtiClocksAndFlagsComeFromTheReportedClockInfo) {
    ASSERT_TRUE(notebook.Ok({"adl", "set", "flags", "65"}));
    ASSERT_TRUE(notebook.Ok({"adl", "set", "memory", "max", "1111"}));
    ASSERT_TRUE(notebook.Ok({"adl", "set", "engine", "max", "777"}));
    ASSERT_TRUE(notebook.Ok({"adl", "set", "memory", "default", "800"}));
    ASSERT_TRUE(notebook.Ok({"adl", "set", "engine", "default", "450"}));
    ASSERT_TRUE(InstallAdl());
    StartAndSettle();
    auto sets = simnb::GpuEntries(notebook.Journal(), "ADL_Display_ODClockConfig_Set");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].Field("iFlags"), "65");
    EXPECT_EQ(sets[0].Field("iMemoryClock"), "1111");
    EXPECT_EQ(sets[0].Field("iEngineClock"), "777");

    uint64_t before = LastSeq();
    EXPECT_EQ(ExitThroughTray(), 0u);
    sets = simnb::GpuEntries(notebook.Journal(before), "ADL_Display_ODClockConfig_Set");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].Field("iMemoryClock"), "800");
    EXPECT_EQ(sets[0].Field("iEngineClock"), "450");
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "default");
}

TEST_F(VendorStartup, WithBothLibrariesNvidiaSwitchesAndAdlIsOnlyInitialised) {
    ASSERT_TRUE(InstallNvapi());
    ASSERT_TRUE(InstallAdl());
    StartAndSettle();
    EXPECT_EQ(AfterSubscription(notebook.Journal()),
              Concat({AdlProbe(), NvProbe(), {"fw Q System:0"}, NvFirstApply(0)}));
    EXPECT_EQ(ExitThroughTray(), 0u);
    EXPECT_TRUE(simnb::GpuEntries(notebook.Journal(), "ADL_Display_ODClockConfig_Set").empty());
    EXPECT_TRUE(EntriesOf(notebook.Journal(), "unload").empty()) << "ADL was freed before the end";
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(notebook.GetVar("AP:6"), 0);
}

TEST_F(VendorStartup, AnAdlWithoutOneExportIsReportedAndNvidiaTakesOver) {
    ASSERT_TRUE(InstallAdl(AdlStandInWithout("ADL_Display_Color_Set")));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_TRUE(StartTarvel(tarvel));
    MessageBoxView box = WaitForMessageBox(tarvel.Id(), 30s);
    ASSERT_NE(box.hWnd, nullptr);
    EXPECT_EQ(box.text, kAtiMissing);
    EXPECT_EQ(box.caption, L"ORV Tarvel");
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(StandardIconShown(box.iconControl), L"exclamation");
    // The NVIDIA probe waits for the message; ADL was loaded but never called.
    Lines sofar = AfterSubscription(notebook.Journal());
    EXPECT_EQ(sofar, Lines({"adl load " + LowerPath(SystemFolder() + L"\\" + kAdlName)}));

    Dismiss(box);
    dialog = WaitForMainDialog(tarvel);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return notebook.StatusValue("nv-clocks") == "overclocked"; }, 20s));
    WaitUntilQuiet();
    EXPECT_EQ(AfterSubscription(notebook.Journal()), Concat({sofar, NvProbe(), {"fw Q System:0"}, NvFirstApply(0)}));
    EXPECT_EQ(ExitThroughTray(), 0u);
    EXPECT_EQ(notebook.GetVar("AP:6"), 0);
    // A library whose probe failed stays loaded too.
    EXPECT_TRUE(EntriesOf(notebook.Journal(), "unload").empty()) << "ADL was freed before the end";
}

// Each of the ten functions is required, also the seven the program never calls.
class AdlMissingExport : public VendorStartup, public ::testing::WithParamInterface<const char*> {};

TEST_P(AdlMissingExport, IsReportedAndWithoutNvidiaTheProgramEnds) {
    ASSERT_TRUE(InstallAdl(AdlStandInWithout(GetParam()), kAdlFallbackName));
    ASSERT_TRUE(StartTarvel(tarvel));
    ExpectStartUpMessage(kAtiMissing);
    ExpectStartUpMessage(kNoChipset);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    EXPECT_EQ(AfterSubscription(notebook.Journal()), Lines({"adl load " + LowerPath(SystemFolder() + L"\\" + kAdlFallbackName)}));
}

INSTANTIATE_TEST_SUITE_P(EachFunction, AdlMissingExport,
                         ::testing::Values("ADL_Display_ODClockInfo_Get", "ADL_Display_ODClockConfig_Set",
                                           "ADL_Main_Control_Create", "ADL_Main_Control_Destroy",
                                           "ADL_Adapter_NumberOfAdapters_Get", "ADL_Adapter_AdapterInfo_Get",
                                           "ADL_Display_DisplayInfo_Get", "ADL_Display_ColorCaps_Get",
                                           "ADL_Display_Color_Get", "ADL_Display_Color_Set"));

class AdlInitialisationFailing : public VendorStartup, public ::testing::WithParamInterface<const char*> {};

TEST_P(AdlInitialisationFailing, IsReportedAndWithoutNvidiaTheProgramEnds) {
    ASSERT_TRUE(notebook.Ok({"adl", "fault", "status", GetParam(), "-1"}));
    ASSERT_TRUE(InstallAdl());
    ASSERT_TRUE(StartTarvel(tarvel));
    ExpectStartUpMessage(kAdlInitError);
    ExpectStartUpMessage(kNoChipset);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    auto journal = notebook.Journal();
    EXPECT_TRUE(simnb::GpuEntries(journal, "ADL_Display_ODClockConfig_Set").empty());
    EXPECT_TRUE(FirmwareRequests(journal).empty());
    auto failed = simnb::GpuEntries(journal, GetParam());
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].Field("status"), "-1");
}

INSTANTIATE_TEST_SUITE_P(CreateOrClockInfo, AdlInitialisationFailing,
                         ::testing::Values("ADL_Main_Control_Create", "ADL_Display_ODClockInfo_Get"));

TEST_F(VendorStartup, WithTheOptionOffNothingIsAppliedAndAp6IsNotTouchedUntilExit) {
    ASSERT_TRUE(notebook.SetVar("System:0", 0));
    ASSERT_TRUE(notebook.SetVar("AP:6", 5));
    ASSERT_TRUE(InstallNvapi());
    StartAndSettle();
    EXPECT_EQ(AfterSubscription(notebook.Journal()), Concat({NvProbe(), {"fw Q System:0"}}));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");

    uint64_t before = LastSeq();
    EXPECT_EQ(ExitThroughTray(), 0u);
    Lines revert = NvRevert(5, "default");
    revert.insert(revert.begin(), Query("0xB23B70EE", "NvPrivate_B23B70EE"));
    revert.insert(revert.begin() + 2, Query("0xFA579A0F", "NvPrivate_FA579A0F"));
    EXPECT_EQ(Trace(notebook.Journal(before)), Concat({revert, NvRevert(4, "default")}));
}

TEST_F(VendorStartup, AFailingPrivateCallLeavesAp6AsItWas) {
    ASSERT_TRUE(notebook.SetVar("AP:6", 0x100));
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0xFDFC7D49", "-5"}));
    ASSERT_TRUE(InstallNvapi());
    StartAndSettle();
    auto journal = notebook.Journal();
    auto failed = simnb::GpuEntries(journal, "NvPrivate_FDFC7D49");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].Field("status"), "-5");
    // The third call is still made, and the bit stays clear.
    EXPECT_EQ(simnb::GpuEntries(journal, "NvPrivate_FA579A0F").size(), 1u);
    auto requests = FirmwareRequests(journal);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back(), "root\\WMI:Q:ORV_AP:AP:6");
    EXPECT_EQ(requests[requests.size() - 2], "root\\WMI:S:ORV_AP:AP:6:256");
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(ExitThroughTray(), 0u);
    EXPECT_EQ(notebook.GetVar("AP:6"), 0x100);
}

// A driver that reports more displays than the program keeps: the enumeration stops at the
// program's 128 slots instead of writing past them, and the back-end is used.
TEST_F(VendorStartup, TwoHundredDisplaysAreEnumeratedOnlyUpTo128) {
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "displays", "200"}));
    ASSERT_TRUE(InstallNvapi());
    StartAndSettle();
    auto displays = simnb::GpuEntries(notebook.Journal(), "NvAPI_EnumNvidiaDisplayHandle");
    ASSERT_EQ(displays.size(), 128u);
    EXPECT_EQ(displays.back().Field("index"), "127");
    EXPECT_EQ(displays.back().Field("status"), "0");
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(ExitThroughTray(), 0u);
}

// An NVIDIA driver without a physical GPU must not shadow a working ATI back-end.
TEST_F(VendorStartup, NoPhysicalNvidiaGpuLeavesTheSwitchingToAti) {
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "physical", "0"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_TRUE(InstallAdl());
    StartAndSettle();
    auto journal = notebook.Journal();
    auto physical = simnb::GpuEntries(journal, "NvAPI_EnumPhysicalGPUs");
    ASSERT_EQ(physical.size(), 1u);
    EXPECT_EQ(physical[0].Field("count"), "0");
    EXPECT_EQ(simnb::GpuEntries(journal, "NvPrivate_B23B70EE").size(), 0u);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "overclocked");
    EXPECT_EQ(ExitThroughTray(), 0u);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "default");
}

class NvidiaProbeFailing : public VendorStartup, public ::testing::WithParamInterface<int> {};

// 0: display enumeration fails at index 1; 1: the physical GPU enumeration fails;
// 2: NvAPI_Initialize fails; 3: NvAPI_Initialize is not offered.
TEST_P(NvidiaProbeFailing, LeavesNoBackEndAndTheProgramEnds) {
    switch (GetParam()) {
    case 0: ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "NvAPI_EnumNvidiaDisplayHandle", "-6", "--index", "1"})); break;
    case 1: ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0xE5AC921F", "-1"})); break;
    case 2: ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0x0150E828", "-1"})); break;
    case 3: ASSERT_TRUE(notebook.Ok({"nv", "fault", "offer", "0x0150E828", "off"})); break;
    }
    ASSERT_TRUE(InstallNvapi());
    ASSERT_TRUE(StartTarvel(tarvel));
    ExpectStartUpMessage(kNoChipset);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    auto journal = notebook.Journal();
    EXPECT_TRUE(FirmwareRequests(journal).empty());
    EXPECT_TRUE(simnb::GpuEntries(journal, "NvPrivate_B23B70EE").empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, NvidiaProbeFailing, ::testing::Values(0, 1, 2, 3));

// Copies beside Tarvel.exe and in its working folder are never loaded: only the system
// folder counts.
TEST_F(VendorStartup, PlantedLibrariesOutsideTheSystemFolderAreNeverLoaded) {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring work = std::wstring(temp) + L"tarvel-planted";
    ::CreateDirectoryW(work.c_str(), nullptr);
    std::vector<std::unique_ptr<PlacedCopy>> planted;
    for (const std::wstring& folder : {BinDir(), work + L"\\"}) {
        for (const wchar_t* name : {kNvapiName, kAdlName, kAdlFallbackName}) {
            const std::wstring standIn = std::wstring(name) == kNvapiName ? kNvapiStandIn : kAdlStandIn;
            if (folder == BinDir() && standIn == name) continue;  // the stand-in is built there already
            planted.push_back(std::make_unique<PlacedCopy>(standIn, folder + name));
            ASSERT_TRUE(planted.back()->Placed());
        }
    }
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(work.c_str()));
    bool started = StartTarvel(tarvel);  // the child inherits the working folder
    ::SetCurrentDirectoryW(previous);
    ASSERT_TRUE(started);

    ExpectStartUpMessage(kNoChipset);
    EXPECT_EQ(tarvel.WaitForExit(20s), 1u);
    EXPECT_TRUE(simnb::GpuEntries(notebook.Journal()).empty());
    planted.clear();
    ::RemoveDirectoryW(work.c_str());
}

#if !defined(_WIN64)
namespace {

// Holds a file in the 64-bit system folder, which a 32-bit process reaches only with the file
// system redirection turned off, and removes it again.
class NativeSystemFile {
public:
    NativeSystemFile(const std::wstring& source, const std::wstring& name) {
        wchar_t windows[MAX_PATH];
        UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return;
        m_path = std::wstring(windows, n) + L"\\system32\\" + name;
        RedirectionOff off;
        m_placed = off.Ok() && ::CopyFileW(source.c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~NativeSystemFile() {
        RedirectionOff off;
        if (m_placed && off.Ok()) ::DeleteFileW(m_path.c_str());
    }
    NativeSystemFile(const NativeSystemFile&) = delete;
    NativeSystemFile& operator=(const NativeSystemFile&) = delete;

    bool Placed() const { return m_placed; }

private:
    class RedirectionOff {
    public:
        RedirectionOff() : m_ok(::Wow64DisableWow64FsRedirection(&m_old) != FALSE) {}
        ~RedirectionOff() {
            if (m_ok) ::Wow64RevertWow64FsRedirection(m_old);
        }
        RedirectionOff(const RedirectionOff&) = delete;
        RedirectionOff& operator=(const RedirectionOff&) = delete;
        bool Ok() const { return m_ok; }

    private:
        void* m_old = nullptr;
        bool m_ok;
    };

    std::wstring m_path;
    bool m_placed = false;
};

bool IsWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return ::IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

// The 32-bit Tarvel on 64-bit Windows: a WoW64 process whose system folder is the 32-bit
// one (syswow64). Its NVIDIA library is taken from there, although a copy sits beside the
// exe and the 64-bit system folder holds a library of the same name (a 64-bit one, which a
// 32-bit process cannot load: were the redirection missed, the start would fail).
TEST_F(VendorStartup, UnderWow64TheLibraryComesFromThe32BitSystemFolder) {
    ASSERT_EQ(sizeof(void*), 4u);
    ASSERT_TRUE(IsWow64(::GetCurrentProcess())) << "this test needs 64-bit Windows";
    wchar_t wow64Folder[MAX_PATH];
    UINT n = ::GetSystemWow64DirectoryW(wow64Folder, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    PlacedCopy inWow64Folder(kNvapiStandIn, std::wstring(wow64Folder, n) + L"\\" + kNvapiName);
    ASSERT_TRUE(inWow64Folder.Placed());
    NativeSystemFile native(BinDir() + L"nvapi64.dll", kNvapiName);
    ASSERT_TRUE(native.Placed()) << "the 64-bit library could not be put into the 64-bit system folder";
    ASSERT_TRUE(::GetFileAttributesW((BinDir() + kNvapiName).c_str()) != INVALID_FILE_ATTRIBUTES)
        << "no copy beside Tarvel.exe";

    StartAndSettle();
    EXPECT_TRUE(IsWow64(tarvel.Handle()));
    auto loads = EntriesOf(simnb::GpuEntries(notebook.Journal()), "load");
    ASSERT_EQ(loads.size(), 1u);
    // WoW64 names the 32-bit system folder as the program sees it: system32.
    EXPECT_EQ(Lower(loads[0].Field("path").value_or("")), LowerPath(SystemFolder() + L"\\" + kNvapiName));
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(ExitThroughTray(), 0u);
}
#endif
