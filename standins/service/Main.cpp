// simnotebook.exe: the simulated notebook's firmware service. Runs until "quit" arrives on
// the control pipe (notebookctl quit), or until the process given with --exit-with ends.
//   simnotebook.exe [--quiet] [--exit-with PID]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../common/PipeNames.h"
#include "../common/TextCodec.h"
#include "../common/UniqueHandle.h"
#include "Notebook.h"

namespace {

struct Options {
    bool quiet = false;
    DWORD exitWithPid = 0;
    bool valid = true;
};

Options ParseOptions() {
    Options options;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return options;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--quiet") {
            options.quiet = true;
        } else if (arg == L"--exit-with" && i + 1 < argc) {
            options.exitWithPid = static_cast<DWORD>(wcstoul(argv[++i], nullptr, 10));
        } else {
            options.valid = false;
        }
    }
    LocalFree(argv);
    return options;
}

}  // namespace

int main() {
    Options options = ParseOptions();
    if (!options.valid) {
        std::fprintf(stderr, "usage: simnotebook.exe [--quiet] [--exit-with PID]\n");
        return 2;
    }
    simnb::UniqueHandle instance(CreateMutexW(nullptr, FALSE, simnb::kServiceMutexName));
    if (!instance.Valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "simnotebook: another simnotebook is running\n");
        return 3;
    }
    simnb::UniqueHandle watched;
    if (options.exitWithPid != 0) {
        watched.Reset(OpenProcess(SYNCHRONIZE, FALSE, options.exitWithPid));
        if (!watched.Valid()) return 0;  // the process we serve is already gone
    }

    simnb::Notebook notebook;
    if (!options.quiet) {
        notebook.journal.SetObserver([](const std::string& line) {
            std::fprintf(stdout, "%s\n", line.c_str());
            std::fflush(stdout);
        });
    }
    std::string error;
    if (!notebook.Start(&error)) {
        std::fprintf(stderr, "simnotebook: %s\n", error.c_str());
        return 1;
    }
    notebook.RunUntilQuit(watched.Get());
    notebook.Stop();
    return 0;
}
