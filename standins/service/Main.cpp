// simnotebook.exe: the simulated notebook's firmware service. Runs until "quit" arrives on
// the control pipe (notebookctl quit), or until the process given with --exit-with ends.
//   simnotebook.exe [--quiet] [--exit-with PID]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../common/PipeNames.h"
#include "Commands.h"
#include "Notebook.h"

namespace {

int Serve(bool quiet, HANDLE watched) {
    simnb::Notebook notebook;
    if (!quiet) notebook.journal.EchoToStdout();
    // Declared last, so that its connections end before the parts they command.
    simnb::PipeServer control(simnb::kControlPipeName, [&notebook](const simnb::PipeChannel& channel, HANDLE cancel) {
        simnb::ServeControl(notebook, channel, cancel);
    });
    const char* error = nullptr;
    if (!notebook.quit.Valid()) {
        error = "cannot create an event";
    } else if (!notebook.firmware.Start() || !notebook.gpu.Start()) {
        error = "a domain could not open its pipe";
    } else if (!control.Start()) {
        error = "cannot create the control pipe";
    }
    if (error != nullptr) {
        std::fprintf(stderr, "simnotebook: %s\n", error);
        return 1;
    }
    notebook.journal.Add("ctl", "started pid=" + std::to_string(GetCurrentProcessId()));
    HANDLE waits[2] = {notebook.quit.Get(), watched};
    WaitForMultipleObjects(watched != nullptr ? 2 : 1, waits, FALSE, INFINITE);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool quiet = false;
    DWORD exitWithPid = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--exit-with" && i + 1 < argc) {
            exitWithPid = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else {
            std::fprintf(stderr, "usage: simnotebook.exe [--quiet] [--exit-with PID]\n");
            return 2;
        }
    }
    simnb::UniqueHandle instance(CreateMutexW(nullptr, FALSE, simnb::kServiceMutexName));
    if (!instance.Valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "simnotebook: another simnotebook is running\n");
        return 3;
    }
    simnb::UniqueHandle watched;
    if (exitWithPid != 0) {
        watched.Reset(OpenProcess(SYNCHRONIZE, FALSE, exitWithPid));
        if (!watched.Valid()) return 0;  // the process we serve is already gone
    }
    return Serve(quiet, watched.Get());
}
