// notebookctl.exe: drives the simulated notebook from a shell or a script.
//   notebookctl start | help | census PID | <command> [args...]
// Prints the service's answer on standard output and exits 0; on failure prints one line
// on standard error and exits 1 (the service refused) or 2 (the service is not running).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "../client/ObjectCensusReader.h"
#include "../client/SimNotebookClient.h"
#include "../common/TextCodec.h"

namespace {

const char kUsage[] =
    "usage: notebookctl COMMAND [ARGS...]\n"
    "  start                      start simnotebook.exe (beside notebookctl.exe) in the background\n"
    "  census PID                 the GDI and USER objects live in process PID (read in place, not via the service)\n"
    "  set KEY VALUE | get KEY | vars\n"
    "  journal [--since SEQ] | clear | reset | status | quit\n"
    "  event WPARAM\n"
    "  fault refuse on|off|next N\n"
    "  fault reply TEXT|digits800|off [--once]\n"
    "  fault keep KEY VALUE|off | fault keep off\n"
    "  fault absent on|off\n"
    "  gpu status | gpu set displays|physical|logical N\n"
    "  nv fault status ID|NAME STATUS|off [--at N|--index N] | nv fault offer ID|NAME on|off | nv fault off\n"
    "  nv fault hold ID|NAME [--value N] | nv fault hold apply|revert|off | nv fault release\n"
    "  adl fault status NAME STATUS|off [--at N] | adl fault off\n"
    "  adl set flags N | adl set memory|engine default|current|max|min|requested|applied N\n";

std::vector<std::string> Arguments() {
    std::vector<std::string> words;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return words;
    for (int i = 1; i < argc; ++i) words.push_back(simnb::Utf8FromWide(argv[i]));
    LocalFree(argv);
    return words;
}

int StartService() {
    simnb::SimNotebookProcess service;
    std::string error;
    if (!service.Start(&error, false)) {
        std::fprintf(stderr, "notebookctl: %s\n", error.c_str());
        return 1;
    }
    service.Detach();
    return 0;
}

int PrintCensus(const std::string& pidText) {
    DWORD pid = static_cast<DWORD>(std::strtoul(pidText.c_str(), nullptr, 10));
    std::optional<simnb::CensusCounts> counts = simnb::ReadObjectCensus(pid);
    if (!counts) {
        std::fprintf(stderr, "notebookctl: no object census in process %s\n", pidText.c_str());
        return 1;
    }
    std::printf("%s\n", simnb::DescribeCensus(*counts).c_str());
    return 0;
}

}  // namespace

int main() {
    std::vector<std::string> words = Arguments();
    if (words.empty() || words[0] == "help" || words[0] == "--help") {
        std::fputs(kUsage, words.empty() ? stderr : stdout);
        return words.empty() ? 1 : 0;
    }
    if (words[0] == "start" && words.size() == 1) return StartService();
    if (words[0] == "census" && words.size() == 2) return PrintCensus(words[1]);

    simnb::ControlAnswer answer = simnb::SimNotebookClient().Command(words);
    if (!answer.ok) {
        std::fprintf(stderr, "notebookctl: %s\n", answer.text.c_str());
        return answer.reached ? 1 : 2;
    }
    std::fwrite(answer.text.data(), 1, answer.text.size(), stdout);
    return 0;
}
