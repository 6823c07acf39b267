// sessionctl: plays the parts of the Windows session that the simulated notebook cannot
// reach through the firmware: power broadcasts, log-off, and the commands a user gives
// Tarvel's hidden main window. For the run command and for people trying Tarvel by hand.
//
//   sessionctl find                 prints Tarvel's main window, exit 1 when none
//   sessionctl resume               WM_POWERBROADCAST, resume from suspend
//   sessionctl acdc                 WM_POWERBROADCAST, power-source setting change
//   sessionctl endsession           WM_QUERYENDSESSION, then WM_ENDSESSION (log-off)
//   sessionctl command ID           WM_COMMAND ID (300 Enable, 301 Disable, 302 About, 303 Exit)
//   sessionctl traymenu             the tray callback for a right-button release
//   sessionctl taskbarcreated       the shell's "TaskbarCreated" broadcast
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const wchar_t kMainDialogCaption[] = L"NVIDIA Tarvel";
const UINT kTrayNotify = 0x401;

HWND FindTarvel() { return ::FindWindowW(L"#32770", kMainDialogCaption); }

int Usage() {
    std::fputs("usage: sessionctl find|resume|acdc|endsession|command ID|traymenu|taskbarcreated\n", stderr);
    return 2;
}

// Sent, not posted, so that the command returns once Tarvel has handled the message and
// its answer can be shown.
LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hWnd, message, wParam, lParam, SMTO_NORMAL, 60000, &result)) {
        std::fprintf(stderr, "sessionctl: Tarvel did not answer\n");
        std::exit(1);
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const char* verb = argv[1];
    if (std::strcmp(verb, "taskbarcreated") == 0) {
        ::SendMessageTimeoutW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_NORMAL, 10000, nullptr);
        return 0;
    }
    HWND hWnd = FindTarvel();
    if (hWnd == nullptr) {
        std::fputs("sessionctl: Tarvel is not running\n", stderr);
        return 1;
    }
    if (std::strcmp(verb, "find") == 0) {
        std::printf("%p\n", static_cast<void*>(hWnd));
    } else if (std::strcmp(verb, "resume") == 0) {
        std::printf("answer %ld\n", static_cast<long>(Send(hWnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0)));
    } else if (std::strcmp(verb, "acdc") == 0) {
        // The power-setting record lives in this process: Tarvel never reads it, it only
        // answers that a setting was delivered.
        static POWERBROADCAST_SETTING setting = {};
        std::printf("answer %ld\n",
                    static_cast<long>(Send(hWnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting))));
    } else if (std::strcmp(verb, "endsession") == 0) {
        LRESULT agreed = Send(hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        Send(hWnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        std::printf("queryendsession %ld\n", static_cast<long>(agreed));
    } else if (std::strcmp(verb, "command") == 0 && argc == 3) {
        ::PostMessageW(hWnd, WM_COMMAND, static_cast<WPARAM>(std::strtoul(argv[2], nullptr, 0)), 0);
    } else if (std::strcmp(verb, "traymenu") == 0) {
        ::PostMessageW(hWnd, kTrayNotify, 1, WM_RBUTTONUP);
    } else {
        return Usage();
    }
    return 0;
}
