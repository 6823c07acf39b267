#include "RunningTarvel.h"
#include "AppMessages.h"
#include "VendorLibraries.h"

namespace e2e {

using namespace std::chrono_literals;

namespace {

std::string AfterPrefix(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0 ? s.substr(prefix.size()) : s;
}

std::string FirstWord(const std::string& s) { return s.substr(0, s.find(' ')); }

}  // namespace

std::string Compact(const simnb::JournalEntry& entry) {
    if (entry.source == "fw" && entry.Action() == "call") {
        std::string text = entry.Field("text").value_or("");
        std::string rest = AfterPrefix(text, "root\\WMI:");
        if (rest.compare(0, 2, "Q:") == 0) {
            size_t group = rest.find(':', 2);
            return "Q " + rest.substr(group + 1);
        }
        if (rest.compare(0, 2, "S:") == 0) {
            size_t group = rest.find(':', 2);
            std::string target = rest.substr(group + 1);  // AP:6:VALUE
            size_t last = target.rfind(':');
            return "S " + target.substr(0, last) + "=" + target.substr(last + 1);
        }
        return "fw " + text;
    }
    if (entry.source == "nv") {
        // A call held inside the driver shows as "held B23B70EE 0", one that starts a
        // faulting thread as "crash-thread B23B70EE 0"; when it goes on, the call itself
        // follows.
        const std::string action = entry.Action();
        const std::string mark = action == "hold" ? "held " : action == "crash-thread" ? "crash-thread " : "";
        std::string name = FirstWord(mark.empty() ? entry.text : AfterPrefix(entry.text, action + " "));
        if (name.compare(0, 10, "NvPrivate_") == 0) {
            std::string line = mark + name.substr(10);
            for (const char* f : {"value", "value1", "value2"})
                if (auto v = entry.Field(f)) line += " " + *v;
            return line;
        }
        return name;
    }
    if (entry.source == "adl")
        return FirstWord(entry.text);
    return entry.source + " " + FirstWord(entry.text);
}

std::vector<std::string> Calls(const std::vector<simnb::JournalEntry>& journal) {
    std::vector<std::string> calls;
    for (const auto& e : journal)
        if ((e.source == "fw" && e.Action() == "call") ||
            ((e.source == "nv" || e.source == "adl") && e.Action() != "query" && e.Action() != "load"))
            calls.push_back(Compact(e));
    return calls;
}

std::vector<std::string> NvApplyCalls(int32_t before) {
    return {"Q AP:6", "B23B70EE 1", "FDFC7D49 1 0", "FA579A0F 0", "S AP:6=" + std::to_string(before | 1), "Q AP:6"};
}

std::vector<std::string> NvRevertCalls(int32_t before) {
    return {"B23B70EE 0", "FA579A0F 1", "Q AP:6", "S AP:6=" + std::to_string(before & ~1), "Q AP:6"};
}

void RunningTarvel::SetUp() {
    TarvelSession::SetUp();
    ASSERT_TRUE(InstallNvapi());
}

void RunningTarvel::TearDown() {
    if (tarvel.IsRunning())
        tarvel.Kill();
    TarvelSession::TearDown();
}

void RunningTarvel::Launch(bool optionOn) {
    ASSERT_TRUE(notebook.SetVar("System:0", optionOn ? 2 : 0));
    ASSERT_TRUE(StartTarvel(tarvel));
    dialog = WaitForMainDialog(tarvel);
    ASSERT_NE(dialog, nullptr) << "Tarvel did not start";
    ASSERT_TRUE(WaitUntil([&] { return !TopLevelWindows(tarvel.Id(), L"#32770", L"About Tarvel").empty(); }, 20s))
        << "start-up did not finish";
    WaitUntilQuiet();
    Mark();
}

DWORD RunningTarvel::ExitThroughTray() {
    ::PostMessageW(dialog, WM_COMMAND, ID_TRAY_EXIT, 0);
    return tarvel.WaitForExit(30s);
}

void RunningTarvel::Mark() {
    auto journal = notebook.Journal();
    mark = journal.empty() ? mark : journal.back().seq;
    markTime = journal.empty() ? 0 : journal.back().time;
}

std::vector<simnb::JournalEntry> RunningTarvel::SinceMark() const { return notebook.Journal(mark); }

bool RunningTarvel::WaitForCall(const std::string& line, std::chrono::milliseconds timeout) {
    return WaitUntil([&] {
        for (const auto& c : CallsSinceMark())
            if (c == line) return true;
        return false;
    }, timeout, 50ms);
}

void RunningTarvel::WaitUntilQuiet(std::chrono::milliseconds quiet) {
    uint64_t last = ~uint64_t{0};
    auto lastChange = std::chrono::steady_clock::now();
    WaitUntil([&] {
        auto journal = notebook.Journal();
        uint64_t now = journal.empty() ? 0 : journal.back().seq;
        if (now != last) {
            last = now;
            lastChange = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - lastChange >= quiet;
    }, 30s, 50ms);
}

double RunningTarvel::MsFromEventToFirstCall() const {
    uint64_t raised = 0;
    for (const auto& e : SinceMark()) {
        if (raised == 0 && e.source == "event")
            raised = e.time;
        else if (raised != 0 && ((e.source == "fw" && e.Action() == "call") || (e.source == "nv" && e.Action() != "query")))
            return static_cast<double>(e.time - raised) / 10000.0;
    }
    return -1;
}

}  // namespace e2e
