#include "SimNotebookClient.h"

namespace simnb {
namespace {

constexpr DWORD kPollMs = 50;
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kQuitWaitMs = 5000;

}  // namespace

std::wstring ExecutableFolder() {
    wchar_t path[MAX_PATH * 2];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return std::wstring();
    std::wstring folder(path, length);
    size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

bool SimNotebookProcess::Start(std::string* error, bool tiedToUs) {
    if (m_process.Valid()) return true;
    SimNotebookClient client;
    if (client.IsRunning()) {
        *error = "a simnotebook is already running";
        return false;
    }
    std::wstring exe = ExecutableFolder() + L"simnotebook.exe";
    std::wstring commandLine = L"\"" + exe + L"\" --quiet";
    if (tiedToUs) commandLine += L" --exit-with " + std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &info)) {
        *error = "cannot start simnotebook.exe (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);

    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
        if (client.IsRunning()) return true;
        if (WaitForSingleObject(m_process.Get(), kPollMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(m_process.Get(), &code);
            *error = "simnotebook.exe ended at once (status " + std::to_string(code) + ")";
            m_process.Reset();
            return false;
        }
    }
    *error = "simnotebook.exe did not answer in time";
    Stop();
    return false;
}

void SimNotebookProcess::Stop() {
    if (!m_process.Valid()) return;
    SimNotebookClient().Command({"quit"});
    if (WaitForSingleObject(m_process.Get(), kQuitWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), kQuitWaitMs);
    }
    m_process.Reset();
}

}  // namespace simnb
