// The x86_64 installer as a user meets it: a silent install, Tarvel started by the log-on
// entry's command, and a silent uninstall that ends Tarvel through its own Exit (so the
// simulated GPU is back at its default clocks) and leaves nothing behind.
#include "RunningTarvel.h"
#include "SimGpuClient.h"
#include "VendorLibraries.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <memory>
#include <optional>

using namespace e2e;
using namespace std::chrono_literals;

namespace {

const std::wstring kVersion = L"" TARVEL_VERSION;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvel";
const UINT kTrayExit = 303;

std::wstring SetupPath() {
    std::wstring path = BinDir() + L"" TARVEL_SETUP_FROM_BIN;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

std::wstring InstallFolder() {
    wchar_t dir[MAX_PATH];
    DWORD n = ::ExpandEnvironmentStringsW(L"%ProgramFiles%\\Tarvel", dir, MAX_PATH);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(dir);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::wstring> RegString(HKEY root, const wchar_t* key, const wchar_t* value) {
    wchar_t data[1024];
    DWORD size = sizeof data;
    if (::RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool KeyExists(HKEY root, const wchar_t* key) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    ::RegCloseKey(h);
    return true;
}

// The processes a process started (those still running), each as a handle to wait on.
std::vector<HANDLE> ChildrenOf(DWORD parentId) {
    std::vector<HANDLE> children;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snap, &entry); more; more = ::Process32NextW(snap, &entry))
        if (entry.th32ParentProcessID == parentId)
            if (HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) children.push_back(h);
    ::CloseHandle(snap);
    return children;
}

// A process started from a command line exactly as the system would run it (the Run
// value, the uninstall string): no separate program path.
class CommandLineProcess {
public:
    explicit CommandLineProcess(std::wstring commandLine) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        m_started = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) != FALSE;
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
    DWORD WaitForExit(std::chrono::milliseconds timeout) const {
        if (::WaitForSingleObject(m_pi.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_pi.hProcess, &code);
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
    for (HANDLE copy : ChildrenOf(launcher.Id())) {
        ::WaitForSingleObject(copy, 60000);
        ::CloseHandle(copy);
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
        ASSERT_FALSE(InstallFolder().empty());
        ASSERT_TRUE(bridge.Placed()) << "the bridge stand-in could not be put into the system folder";
    }

    void TearDown() override {
        // What a failed test left installed must not reach the next one.
        RemoveLeftovers();
        RunningTarvel::TearDown();
    }

    void InstallSilently() {
        CommandLineProcess setup(L"\"" + SetupPath() + L"\" /S");
        ASSERT_TRUE(setup.Started()) << "cannot run the installer";
        ASSERT_EQ(setup.WaitForExit(120s), 0u);
    }

    // Starts Tarvel as log-on does, with the Run value as it is stored, and waits until it
    // has applied the overclock.
    std::unique_ptr<CommandLineProcess> StartAtLogOn() {
        auto logOn = RegString(HKEY_CURRENT_USER, kRunKey, L"Tarvel");
        if (!logOn) {
            ADD_FAILURE() << "no log-on entry";
            return nullptr;
        }
        Mark();
        auto process = std::make_unique<CommandLineProcess>(*logOn);
        EXPECT_TRUE(process->Started());
        EXPECT_TRUE(WaitForCall("S AP:6=1", 30s)) << "the installed Tarvel did not apply the overclock";
        WaitUntilQuiet();
        EXPECT_EQ(gpu.NvClocks(), "overclocked");
        EXPECT_FALSE(TopLevelWindows(process->Id(), L"#32770", kMainDialogCaption).empty());
        Mark();
        return process;
    }

    // Ended through its Exit command, which reverts twice (the command, then the window's
    // end), and with status 0: not killed. The GPU is back at its default clocks.
    void ExpectEndedThroughExit(const CommandLineProcess& process) {
        EXPECT_EQ(process.WaitForExit(10s), 0u);
        WaitUntilQuiet();
        auto expected = NvRevertCalls(1);
        auto second = NvRevertCalls(0);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_EQ(CallsSinceMark(), expected);
        EXPECT_EQ(notebook.GetVar("AP:6").value_or(-1) & 1, 0);
        EXPECT_EQ(gpu.NvClocks(), "default");
    }

    bool Installed() const {
        std::wstring folder = InstallFolder();
        return Exists(folder + L"\\Tarvel.exe") && Exists(folder + L"\\Uninstall.exe") &&
               RegString(HKEY_CURRENT_USER, kRunKey, L"Tarvel") && KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    void RemoveLeftovers() {
        std::wstring folder = InstallFolder();
        for (const wchar_t* f : {L"Tarvel.exe", L"README.txt", L"Uninstall.exe"})
            ::DeleteFileW((folder + L"\\" + f).c_str());
        ::RemoveDirectoryW(folder.c_str());
        HKEY run = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            ::RegDeleteValueW(run, L"Tarvel");
            ::RegCloseKey(run);
        }
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    // Tarvel must find the maker's bridge; on a real notebook it is on the search path too,
    // and the install folder holds only what the installer put there.
    PlacedCopy bridge{L"ORVWmiAcpi.dll", SystemFolder() + L"\\ORVWmiAcpi.dll"};
    simnb::SimGpuClient gpu;
};

TEST_F(Install, TheInstallerCarriesTheReleaseVersion) {
    EXPECT_EQ(FileVersionOf(SetupPath()), kVersion);
}

TEST_F(Install, SilentInstallStartAtLogOnAndSilentUninstallLeaveNothingAndTheDefaultClocks) {
    ASSERT_TRUE(notebook.SetVar("System:0", 2));
    InstallSilently();

    const std::wstring folder = InstallFolder();
    for (const wchar_t* f : {L"Tarvel.exe", L"README.txt", L"Uninstall.exe"})
        EXPECT_TRUE(Exists(folder + L"\\" + f)) << f;
    EXPECT_FALSE(Exists(folder + L"\\ORVWmiAcpi.dll"));
    const std::wstring exe = L"\"" + folder + L"\\Tarvel.exe\"";
    auto logOn = RegString(HKEY_CURRENT_USER, kRunKey, L"Tarvel");
    ASSERT_TRUE(logOn.has_value());
    EXPECT_EQ(*logOn, exe);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion").value_or(L""), kVersion);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").value_or(L""), L"Tarvel");
    auto quietUninstall = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quietUninstall.has_value());
    EXPECT_EQ(*quietUninstall, L"\"" + folder + L"\\Uninstall.exe\" /S");

    auto started = StartAtLogOn();
    ASSERT_TRUE(started);
    EXPECT_EQ(RunUninstaller(*quietUninstall), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(folder); }, 30s)) << "the install folder is still there";
    ExpectEndedThroughExit(*started);
    EXPECT_FALSE(RegString(HKEY_CURRENT_USER, kRunKey, L"Tarvel").has_value());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// An earlier Tarvel still running holds Tarvel.exe: installing again ends it the same way.
TEST_F(Install, InstallingAgainEndsTheRunningTarvelThroughExitFirst) {
    InstallSilently();
    auto started = StartAtLogOn();
    ASSERT_TRUE(started);
    InstallSilently();
    ExpectEndedThroughExit(*started);
    EXPECT_TRUE(Installed());
    auto quietUninstall = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quietUninstall.has_value());
    EXPECT_EQ(RunUninstaller(*quietUninstall), 0u);
    EXPECT_FALSE(Exists(InstallFolder()));
}

// A Tarvel that does not end on Exit (here a stand-in window that never answers) is
// neither killed nor pulled from under its feet: the uninstaller waits for it, bounded,
// then gives up and leaves everything in place for a second run.
TEST_F(Install, UninstallRemovesNothingWhileTarvelDoesNotEnd) {
    InstallSilently();
    auto quietUninstall = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quietUninstall.has_value());

    HWND stuck = ::CreateWindowExW(0, L"#32770", kMainDialogCaption, WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(stuck, nullptr);
    auto started = std::chrono::steady_clock::now();
    RunUninstaller(*quietUninstall);
    auto waited = std::chrono::steady_clock::now() - started;

    MSG msg = {};
    EXPECT_TRUE(::PeekMessageW(&msg, stuck, WM_COMMAND, WM_COMMAND, PM_REMOVE)) << "no Exit command came";
    EXPECT_EQ(msg.wParam, kTrayExit);
    EXPECT_GE(waited, 9s);
    EXPECT_TRUE(Installed()) << "the uninstaller removed parts of Tarvel while it was still running";
    ::DestroyWindow(stuck);

    RunUninstaller(*quietUninstall);
    EXPECT_TRUE(WaitUntil([] { return !Exists(InstallFolder()); }, 30s));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}
