// This build's installer as a user meets it, in both of its modes: a silent install puts
// the files, the log-on value, the uninstall entry and the Start-menu shortcut in the
// mode's places; Tarvel started from the shortcut (or by the installer, with /Start)
// applies the overclock; installing again over a running Tarvel ends it through its own
// Exit; a silent uninstall ends Tarvel the same way (so the simulated GPU is back at its
// default clocks) and leaves nothing behind. Without a usable bridge a silent install
// writes nothing and says why; a bridge given is copied beside Tarvel.exe and removed with
// it, one found there is left alone.
//
// Nothing here names the flavour: the installer is the one the build made beside these
// tests, and its places follow the build's bitness (Program Files of its own bitness,
// HKLM through its own registry view). The i686 tests run under WoW64 as the i686
// installer does, so they see the same folders and registry view (Program Files (x86), the
// 32-bit view of HKLM\Software).
#include "AppMessages.h"
#include "RunningTarvel.h"
#include "VendorLibraries.h"
#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cstddef>
#include <fstream>
#include <memory>
#include <optional>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::wstring kVersion = L"" TARVEL_VERSION;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvel";

// The x86_64 installer writes HKLM through the 64-bit registry view, the i686 one through
// the 32-bit view (WOW6432Node on 64-bit Windows), where Windows also reads a 32-bit
// program's log-on values and uninstall entries. HKCU's keys are the same in both views.
#if defined(_WIN64)
constexpr REGSAM kInstallerView = KEY_WOW64_64KEY;
constexpr WORD kOtherMachine = IMAGE_FILE_MACHINE_I386;
const std::string kOtherWidth = "32-bit";
#else
constexpr REGSAM kInstallerView = KEY_WOW64_32KEY;
constexpr WORD kOtherMachine = IMAGE_FILE_MACHINE_AMD64;
const std::string kOtherWidth = "64-bit";
#endif
const wchar_t kBridge[] = L"ORVWmiAcpi.dll";

std::wstring SetupPath() {
    std::wstring path = BinDir() + L"" TARVEL_SETUP_FROM_BIN;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Where one install mode puts things.
struct Mode {
    const wchar_t* name;
    const wchar_t* option;
    HKEY root;
    std::wstring folder;
    std::wstring shortcut;

    std::wstring Exe() const { return folder + L"\\Tarvel.exe"; }
};

// A path below a known folder; empty when the folder is unknown.
std::wstring Below(REFKNOWNFOLDERID id, const std::wstring& rest) {
    std::wstring folder = KnownFolder(id);
    return folder.empty() ? folder : folder + rest;
}

Mode CurrentUser() {
    return {L"current user", L"/CurrentUser", HKEY_CURRENT_USER, Below(FOLDERID_LocalAppData, L"\\Programs\\Tarvel"),
            Below(FOLDERID_Programs, L"\\Tarvel.lnk")};
}

// Program Files of the installer's own bitness: $PROGRAMFILES64 for x86_64, $PROGRAMFILES
// for i686 (Program Files (x86) on 64-bit Windows).
Mode AllUsers() {
#if defined(_WIN64)
    REFKNOWNFOLDERID programFiles = FOLDERID_ProgramFilesX64;
#else
    REFKNOWNFOLDERID programFiles = FOLDERID_ProgramFilesX86;
#endif
    return {L"all users", L"/AllUsers", HKEY_LOCAL_MACHINE, Below(programFiles, L"\\Tarvel"),
            Below(FOLDERID_CommonPrograms, L"\\Tarvel.lnk")};
}

class RegKey {
public:
    RegKey(HKEY root, const wchar_t* key, REGSAM access) {
        if (::RegOpenKeyExW(root, key, 0, access | kInstallerView, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    }
    ~RegKey() {
        if (m_key) ::RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::optional<std::wstring> RegString(HKEY root, const wchar_t* key, const wchar_t* value) {
    RegKey k(root, key, KEY_QUERY_VALUE);
    wchar_t data[1024];
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (!k.get() || ::RegQueryValueExW(k.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    data[size / sizeof(wchar_t)] = L'\0';
    return std::wstring(data);
}

bool KeyExists(HKEY root, const wchar_t* key) { return RegKey(root, key, KEY_READ).get() != nullptr; }

template <class T>
struct Releaser {
    void operator()(T* p) const { p->Release(); }
};
template <class T>
using ComRef = std::unique_ptr<T, Releaser<T>>;

class ComApartment {
public:
    ComApartment() : m_hr(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_hr;
};

// The program a shortcut starts, read the way the shell reads it.
std::wstring ShortcutTarget(const std::wstring& shortcut) {
    ComApartment com;
    IShellLinkW* rawLink = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reinterpret_cast<void**>(&rawLink))))
        return L"";
    ComRef<IShellLinkW> link(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return L"";
    ComRef<IPersistFile> file(rawFile);
    if (FAILED(file->Load(shortcut.c_str(), STGM_READ))) return L"";
    wchar_t target[MAX_PATH] = L"";
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return L"";
    return target;
}

struct ProcessEntry {
    DWORD id;
    DWORD parentId;
    std::wstring exeName;
};

std::vector<ProcessEntry> Processes() {
    std::vector<ProcessEntry> all;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return all;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snap, &entry); more; more = ::Process32NextW(snap, &entry))
        all.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    ::CloseHandle(snap);
    return all;
}

std::vector<ProcessEntry> ProcessesNamed(const std::wstring& exeName) {
    std::vector<ProcessEntry> found;
    for (const auto& p : Processes())
        if (SamePath(p.exeName, exeName)) found.push_back(p);
    return found;
}

std::wstring ExeNameOf(DWORD processId) {
    for (const auto& p : Processes())
        if (p.id == processId) return p.exeName;
    return L"";
}

// The file from which a process loaded a library.
std::wstring LoadedFrom(DWORD processId, const std::wstring& module) {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snap == INVALID_HANDLE_VALUE) return L"";
    std::wstring path;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snap, &entry); more && path.empty(); more = ::Module32NextW(snap, &entry))
        if (SamePath(entry.szModule, module)) path = entry.szExePath;
    ::CloseHandle(snap);
    return path;
}

// A file or (empty) folder a test made, removed when the test ends however it ends.
struct Made {
    std::wstring path;
    ~Made() {
        if (!::DeleteFileW(path.c_str())) ::RemoveDirectoryW(path.c_str());
    }
};

// The stand-in bridge as the maker's library of the other width shows itself to the loader
// and to the installer: the machine type in its header is the other flavour's.
bool WriteOtherWidthBridge(const std::wstring& path) {
    if (!::CopyFileW((BinDir() + kBridge).c_str(), path.c_str(), FALSE)) return false;
    std::fstream file(std::string(path.begin(), path.end()), std::ios::in | std::ios::out | std::ios::binary);
    uint32_t ntHeader = 0;
    file.seekg(offsetof(IMAGE_DOS_HEADER, e_lfanew));
    file.read(reinterpret_cast<char*>(&ntHeader), sizeof ntHeader);
    file.seekp(ntHeader + sizeof(DWORD));
    file.write(reinterpret_cast<const char*>(&kOtherMachine), sizeof kOtherMachine);
    return static_cast<bool>(file);
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetTempPathW(MAX_PATH, path);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(path, length);
}

// A running process the test did not start (Tarvel started by the installer), held by a
// handle so that its exit can be waited for, and ended should the test leave it running.
class HeldProcess {
public:
    explicit HeldProcess(DWORD id)
        : m_handle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {}
    ~HeldProcess() {
        if (!m_handle) return;
        if (::WaitForSingleObject(m_handle, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_handle, 9);
            ::WaitForSingleObject(m_handle, 5000);
        }
        ::CloseHandle(m_handle);
    }
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;

    bool Held() const { return m_handle != nullptr; }
    HANDLE Handle() const { return m_handle; }
    std::wstring ImagePath() const {
        wchar_t path[MAX_PATH];
        DWORD size = MAX_PATH;
        return ::QueryFullProcessImageNameW(m_handle, 0, path, &size) ? std::wstring(path, size) : std::wstring();
    }

private:
    HANDLE m_handle;
};

// A process started from a command line exactly as the system would run it (the Run
// value, the uninstall string): no separate program path.
class CommandLineProcess {
public:
    // stdError, when given, is the process's standard error (an inheritable handle).
    explicit CommandLineProcess(std::wstring commandLine, HANDLE stdError = nullptr) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        if (stdError) {
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdError = stdError;
        }
        m_started = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, stdError != nullptr, 0, nullptr, nullptr,
                                     &si, &m_pi) != FALSE;
    }
    ~CommandLineProcess() {
        if (!m_started) return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_pi.hProcess, 9);
            ::WaitForSingleObject(m_pi.hProcess, 5000);
        }
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    CommandLineProcess(const CommandLineProcess&) = delete;
    CommandLineProcess& operator=(const CommandLineProcess&) = delete;

    bool Started() const { return m_started; }
    DWORD Id() const { return m_pi.dwProcessId; }
    HANDLE Handle() const { return m_pi.hProcess; }
    DWORD WaitForExit(std::chrono::milliseconds timeout) const { return WaitForExitOf(m_pi.hProcess, timeout); }

    static DWORD WaitForExitOf(HANDLE process, std::chrono::milliseconds timeout) {
        if (::WaitForSingleObject(process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_pi = {};
    bool m_started = false;
};

// Runs an uninstall command and waits until the uninstaller has really finished: the
// program started returns at once, leaving the work to a copy of itself that it started
// from the temporary folder.
DWORD RunUninstaller(const std::wstring& commandLine) {
    CommandLineProcess launcher(commandLine);
    if (!launcher.Started()) return STILL_ACTIVE;
    DWORD code = launcher.WaitForExit(60s);
    for (const auto& p : Processes()) {
        if (p.parentId != launcher.Id()) continue;
        if (HANDLE copy = ::OpenProcess(SYNCHRONIZE, FALSE, p.id)) {
            ::WaitForSingleObject(copy, 60000);
            ::CloseHandle(copy);
        }
    }
    return code;
}

std::wstring FileVersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || info == nullptr) return L"";
    return std::to_wstring(HIWORD(info->dwProductVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwProductVersionMS)) +
           L"." + std::to_wstring(HIWORD(info->dwProductVersionLS)) + L"." + std::to_wstring(LOWORD(info->dwProductVersionLS));
}

}  // namespace

class Install : public RunningTarvel {
protected:
    void SetUp() override {
        RunningTarvel::SetUp();
        for (const Mode& m : {CurrentUser(), AllUsers()})
            ASSERT_FALSE(m.folder.empty() || m.shortcut.empty()) << m.name;
        ASSERT_TRUE(bridge->Placed()) << "the bridge stand-in could not be put into the system folder";
    }

    void TearDown() override {
        // What a failed test left installed or running must not reach the next one.
        for (const auto& p : ProcessesNamed(L"Tarvel.exe")) HeldProcess stray(p.id);
        for (const Mode& m : {CurrentUser(), AllUsers()}) RemoveLeftovers(m);
        RunningTarvel::TearDown();
    }

    struct SetupRun {
        DWORD status;
        std::string said;  // on its standard error
    };

    SetupRun RunSilently(const std::wstring& options) {
        // A name of its own each time: a background program that Wine starts from the
        // installer can inherit the handle and hold the file past the test.
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        wchar_t saidFile[MAX_PATH];
        HANDLE said = INVALID_HANDLE_VALUE;
        if (::GetTempFileNameW(TempFolder().c_str(), L"tvs", 0, saidFile) != 0)
            said = ::CreateFileW(saidFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 &inheritable, TRUNCATE_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (said == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "cannot make the file for the installer's standard error";
            return {STILL_ACTIVE, ""};
        }
        SetupRun run = {STILL_ACTIVE, ""};
        CommandLineProcess setup(L"\"" + SetupPath() + L"\" /S" + (options.empty() ? L"" : L" " + options), said);
        if (setup.Started())
            run.status = setup.WaitForExit(120s);
        else
            ADD_FAILURE() << "cannot run the installer";
        char text[4096];
        DWORD length = 0;
        ::SetFilePointer(said, 0, nullptr, FILE_BEGIN);
        if (::ReadFile(said, text, sizeof text, &length, nullptr)) run.said.assign(text, length);
        ::CloseHandle(said);
        return run;
    }

    DWORD InstallSilently(const std::wstring& options = L"") { return RunSilently(options).status; }

    // A silent install refused before it wrote anything, with its status and a text that
    // holds each of the parts.
    void ExpectRefused(const std::wstring& options, DWORD status, std::initializer_list<std::string> parts) {
        SCOPED_TRACE(std::string(options.begin(), options.end()));
        const SetupRun run = RunSilently(options);
        EXPECT_EQ(run.status, status);
        for (const auto& part : parts) EXPECT_NE(run.said.find(part), std::string::npos) << part << " not in: " << run.said;
        ExpectNothingInstalled();
    }

    // Waits until the Tarvel just started has applied the overclock.
    void ExpectOverclockApplied(DWORD processId) {
        EXPECT_TRUE(WaitForCall("S AP:6=1", 30s)) << "the installed Tarvel did not apply the overclock";
        WaitUntilQuiet();
        EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
        EXPECT_FALSE(TopLevelWindows(processId, L"#32770", kMainDialogCaption).empty());
        Mark();
    }

    // Starts Tarvel as a user does from the Start menu: the program the shortcut names.
    std::unique_ptr<CommandLineProcess> StartFromShortcut(const Mode& mode) {
        std::wstring target = ShortcutTarget(mode.shortcut);
        EXPECT_TRUE(SamePath(target, mode.Exe())) << "the shortcut starts " << std::string(target.begin(), target.end());
        Mark();
        auto process = std::make_unique<CommandLineProcess>(L"\"" + target + L"\"");
        EXPECT_TRUE(process->Started());
        ExpectOverclockApplied(process->Id());
        return process;
    }

    // Ended through its Exit command, which reverts twice (the command, then the window's
    // end), and with status 0: not killed. The GPU is back at its default clocks.
    void ExpectEndedThroughExit(HANDLE process) {
        EXPECT_EQ(CommandLineProcess::WaitForExitOf(process, 10s), 0u);
        WaitUntilQuiet();
        auto expected = NvRevertCalls(1);
        auto second = NvRevertCalls(0);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_EQ(CallsSinceMark(), expected);
        EXPECT_EQ(notebook.GetVar("AP:6").value_or(-1) & 1, 0);
        EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    }

    // Exactly one install, of this mode: one log-on value, one uninstall entry, one
    // shortcut, and none of the other mode's; a bridge beside Tarvel.exe or none.
    void ExpectInstalledAs(const Mode& mode, const Mode& other, bool bridgeBeside = false) {
        SCOPED_TRACE(mode.name);
        for (const wchar_t* f : {L"Tarvel.exe", L"README.txt", L"Uninstall.exe"})
            EXPECT_TRUE(Exists(mode.folder + L"\\" + f)) << f;
        EXPECT_EQ(Exists(mode.folder + L"\\" + kBridge), bridgeBeside);
        EXPECT_EQ(RegString(mode.root, kRunKey, L"Tarvel").value_or(L""), L"\"" + mode.Exe() + L"\"");
        EXPECT_EQ(RegString(mode.root, kUninstallKey, L"DisplayName").value_or(L""), L"Tarvel");
        EXPECT_EQ(RegString(mode.root, kUninstallKey, L"DisplayVersion").value_or(L""), kVersion);
        EXPECT_EQ(RegString(mode.root, kUninstallKey, L"QuietUninstallString").value_or(L""),
                  L"\"" + mode.folder + L"\\Uninstall.exe\" /S");
        EXPECT_TRUE(SamePath(ShortcutTarget(mode.shortcut), mode.Exe()));

        EXPECT_FALSE(Exists(other.folder)) << other.name;
        EXPECT_FALSE(RegString(other.root, kRunKey, L"Tarvel").has_value()) << other.name;
        EXPECT_FALSE(KeyExists(other.root, kUninstallKey)) << other.name;
        EXPECT_FALSE(Exists(other.shortcut)) << other.name;
    }

    void ExpectNothingInstalled() {
        for (const Mode& m : {CurrentUser(), AllUsers()}) {
            SCOPED_TRACE(m.name);
            EXPECT_FALSE(Exists(m.folder));
            EXPECT_FALSE(RegString(m.root, kRunKey, L"Tarvel").has_value());
            EXPECT_FALSE(KeyExists(m.root, kUninstallKey));
            EXPECT_FALSE(Exists(m.shortcut));
        }
    }

    DWORD Uninstall(const Mode& mode) {
        auto quietUninstall = RegString(mode.root, kUninstallKey, L"QuietUninstallString");
        if (!quietUninstall) {
            ADD_FAILURE() << "no uninstall entry";
            return STILL_ACTIVE;
        }
        DWORD code = RunUninstaller(*quietUninstall);
        EXPECT_TRUE(WaitUntil([&] { return !Exists(mode.folder); }, 30s)) << "the install folder is still there";
        return code;
    }

    void RemoveLeftovers(const Mode& mode) {
        for (const wchar_t* f : {L"Tarvel.exe", L"README.txt", L"Uninstall.exe", kBridge})
            ::DeleteFileW((mode.folder + L"\\" + f).c_str());
        // A process still ending may hold the folder a moment; a folder left here would be
        // taken for an install by the next test, so this one says so.
        EXPECT_TRUE(WaitUntil([&] { return ::RemoveDirectoryW(mode.folder.c_str()) || !Exists(mode.folder); }, 10s))
            << "left behind: " << std::string(mode.folder.begin(), mode.folder.end());
        ::DeleteFileW(mode.shortcut.c_str());
        RegKey run(mode.root, kRunKey, KEY_SET_VALUE);
        if (run.get()) ::RegDeleteValueW(run.get(), L"Tarvel");
        ::RegDeleteKeyExW(mode.root, kUninstallKey, kInstallerView, 0);
    }

    // Tarvel must find the maker's bridge; on a real notebook it is on the search path too,
    // and the install folder holds only what the installer put there. Reset for none.
    std::optional<PlacedCopy> bridge{std::in_place, kBridge, SystemFolder() + L"\\" + kBridge};
};

TEST_F(Install, TheInstallerCarriesTheReleaseVersion) {
    EXPECT_EQ(FileVersionOf(SetupPath()), kVersion);
}

// The default: for the user who runs it, and nothing started without /Start. The bridge is
// found usable in the system folder, so nothing is copied.
TEST_F(Install, ForTheCurrentUserTheShortcutStartsTarvelAndUninstallLeavesNothingAndTheDefaultClocks) {
    const Mode mode = CurrentUser();
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    ASSERT_EQ(InstallSilently(), 0u);
    // The installer starts Tarvel before it ends, if at all.
    EXPECT_TRUE(ProcessesNamed(L"Tarvel.exe").empty()) << "started without /Start";
    ExpectInstalledAs(mode, AllUsers());

    auto started = StartFromShortcut(mode);
    ASSERT_TRUE(started);
    EXPECT_EQ(Uninstall(mode), 0u);
    ExpectEndedThroughExit(started->Handle());
    ExpectNothingInstalled();
}

// With /Start the installer starts Tarvel through the desktop shell, which on Windows gives
// it the user's own, un-elevated rights; here Explorer as its parent shows that way was
// taken (Wine has no elevation to tell apart).
TEST_F(Install, ForAllUsersWithStartTheInstallerStartsTarvelThroughTheShellAndUninstallLeavesNothing) {
    const Mode mode = AllUsers();
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    Mark();
    ASSERT_EQ(InstallSilently(L"/AllUsers /Start"), 0u);
    ExpectInstalledAs(mode, CurrentUser());

    auto running = ProcessesNamed(L"Tarvel.exe");
    ASSERT_EQ(running.size(), 1u) << "/Start did not start Tarvel by the time the installer ended";
    HeldProcess started(running.front().id);
    ASSERT_TRUE(started.Held());
    EXPECT_TRUE(SamePath(started.ImagePath(), ShortcutTarget(mode.shortcut)));
    EXPECT_TRUE(SamePath(ExeNameOf(running.front().parentId), L"explorer.exe"));
    ExpectOverclockApplied(running.front().id);

    EXPECT_EQ(Uninstall(mode), 0u);
    ExpectEndedThroughExit(started.Handle());
    ExpectNothingInstalled();
}

// An update in place ends the running Tarvel through Exit first, and whichever mode it
// comes from, one install remains: an all-users install replaces the user's own, a
// current-user install is refused over an all-users one, and an update of the earlier
// installer's install drops the log-on value it had left under HKCU.
TEST_F(Install, InstallingAgainOverARunningTarvelEndsItThroughExitAndLeavesOneOfEach) {
    const Mode user = CurrentUser();
    const Mode all = AllUsers();
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    ASSERT_EQ(InstallSilently(user.option), 0u);
    {
        auto started = StartFromShortcut(user);
        ASSERT_TRUE(started);
        ASSERT_EQ(InstallSilently(), 0u);
        ExpectEndedThroughExit(started->Handle());
        ExpectInstalledAs(user, all);
    }
    {
        auto started = StartFromShortcut(user);
        ASSERT_TRUE(started);
        ASSERT_EQ(InstallSilently(all.option), 0u);
        ExpectEndedThroughExit(started->Handle());
        ExpectInstalledAs(all, user);
    }
    EXPECT_EQ(InstallSilently(user.option), 2u);
    ExpectInstalledAs(all, user);

    // The earlier installer put Program Files' log-on value under HKCU: updating that
    // install (an all-users one, by its entry) must not leave it as a second.
    {
        RegKey run(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE);
        std::wstring command = L"\"" + all.Exe() + L"\"";
        ASSERT_EQ(::RegSetValueExW(run.get(), L"Tarvel", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    ASSERT_EQ(InstallSilently(), 0u);
    ExpectInstalledAs(all, user);

    EXPECT_EQ(Uninstall(all), 0u);
    ExpectNothingInstalled();
}

// A Tarvel that does not end on Exit (here a stand-in window that never answers) is
// neither killed nor pulled from under its feet: the uninstaller waits for it, bounded,
// then gives up and leaves everything in place for a second run.
TEST_F(Install, UninstallRemovesNothingWhileTarvelDoesNotEnd) {
    const Mode mode = CurrentUser();
    ASSERT_EQ(InstallSilently(), 0u);
    auto quietUninstall = RegString(mode.root, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quietUninstall.has_value());

    HWND stuck = ::CreateWindowExW(0, L"#32770", kMainDialogCaption, WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(stuck, nullptr);
    auto started = std::chrono::steady_clock::now();
    RunUninstaller(*quietUninstall);
    auto waited = std::chrono::steady_clock::now() - started;

    MSG msg = {};
    EXPECT_TRUE(::PeekMessageW(&msg, stuck, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "no Exit command came";
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(ID_TRAY_EXIT));
    EXPECT_GE(waited, 9s);
    ExpectInstalledAs(mode, AllUsers());
    ::DestroyWindow(stuck);

    EXPECT_EQ(Uninstall(mode), 0u);
    ExpectNothingInstalled();
}

// Without a usable bridge a silent install writes nothing, ends with its own status and
// says why: none found; the first one found (in the system folder) of the other width; a
// library given with /Bridge= that is of the other width, not the maker's, or not there.
// /NoBridge installs all the same.
TEST_F(Install, WithoutAUsableBridgeASilentInstallWritesNothingAndSaysWhyUnlessToldNoBridge) {
    bridge.reset();
    ExpectRefused(L"", 3, {"Tarvel was not installed.", "no ORVWmiAcpi.dll was found", "/NoBridge"});
    {
        Made inSystemFolder{SystemFolder() + L"\\" + kBridge};
        ASSERT_TRUE(WriteOtherWidthBridge(inSystemFolder.path));
        ExpectRefused(L"", 3, {"ORVWmiAcpi.dll, the first ORVWmiAcpi.dll Windows finds, is built for " + kOtherWidth});
    }

    Made folder{TempFolder() + L"tarvel-bridges"};
    ::CreateDirectoryW(folder.path.c_str(), nullptr);
    Made otherWidth{folder.path + L"\\other-width.dll"};
    Made notTheMakers{folder.path + L"\\" + kBridge};
    ASSERT_TRUE(WriteOtherWidthBridge(otherWidth.path));
    ASSERT_TRUE(::CopyFileW((BinDir() + kNvapiStandIn).c_str(), notTheMakers.path.c_str(), FALSE));
    const std::string given = "The library given with /Bridge= cannot be used: ";
    ExpectRefused(L"/Bridge=\"" + otherWidth.path + L"\"", 4, {given, "is built for " + kOtherWidth});
    ExpectRefused(L"/Bridge=\"" + notTheMakers.path + L"\"", 4, {given, "does not export"});
    ExpectRefused(L"/Bridge=\"" + folder.path + L"\\none.dll\"", 4, {given, "none.dll does not exist"});

    const Mode mode = CurrentUser();
    ASSERT_EQ(InstallSilently(L"/NoBridge"), 0u);
    ExpectInstalledAs(mode, AllUsers());
    EXPECT_EQ(Uninstall(mode), 0u);
    ExpectNothingInstalled();
}

// /Bridge= puts the maker's library beside Tarvel.exe: an update keeps it, Tarvel loads it
// from there and applies the overclock, and the uninstaller removes it with the rest. A
// bridge the installer did not put there is what Tarvel finds; it is neither replaced by
// one given nor removed.
TEST_F(Install, ABridgeGivenGoesBesideTarvelAndWithItWhileOneFoundThereStays) {
    const Mode mode = CurrentUser();
    const std::wstring given = L"/Bridge=\"" + BinDir() + kBridge + L"\"";
    bridge.reset();
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    ASSERT_EQ(InstallSilently(given), 0u);
    ExpectInstalledAs(mode, AllUsers(), true);
    ASSERT_EQ(InstallSilently(), 0u);
    ExpectInstalledAs(mode, AllUsers(), true);
    {
        auto started = StartFromShortcut(mode);
        ASSERT_TRUE(started);
        EXPECT_TRUE(SamePath(LoadedFrom(started->Id(), kBridge), mode.folder + L"\\" + kBridge));
        EXPECT_EQ(Uninstall(mode), 0u);
        ExpectEndedThroughExit(started->Handle());
    }
    ExpectNothingInstalled();

    ASSERT_TRUE(::CreateDirectoryW(mode.folder.c_str(), nullptr));
    PlacedCopy own(kBridge, mode.folder + L"\\" + kBridge);
    ASSERT_TRUE(own.Placed());
    const SetupRun refused = RunSilently(given);
    EXPECT_EQ(refused.status, 4u);
    EXPECT_NE(refused.said.find("is there already"), std::string::npos) << refused.said;
    ASSERT_EQ(InstallSilently(), 0u);
    ExpectInstalledAs(mode, AllUsers(), true);
    auto quietUninstall = RegString(mode.root, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quietUninstall.has_value());
    EXPECT_EQ(RunUninstaller(*quietUninstall), 0u);
    EXPECT_FALSE(Exists(mode.Exe()));
    EXPECT_FALSE(KeyExists(mode.root, kUninstallKey));
    EXPECT_TRUE(Exists(mode.folder + L"\\" + kBridge));
}
