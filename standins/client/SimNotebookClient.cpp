#include "SimNotebookClient.h"

#include <cstdlib>
#include <sstream>

#include "../common/ControlWire.h"
#include "../common/PipeChannel.h"
#include "../common/PipeNames.h"

namespace simnb {
namespace {

constexpr DWORD kBusyWaitMs = 2000;
constexpr DWORD kAnswerTimeoutMs = 15000;

}  // namespace

ControlAnswer SimNotebookClient::Command(const std::vector<std::string>& words) const {
    ControlAnswer answer;
    PipeChannel channel(ConnectToPipe(kControlPipeName, kBusyWaitMs));
    if (!channel.Valid()) {
        answer.text = "simnotebook is not running";
        return answer;
    }
    std::string reply;
    if (channel.Write(EncodeControlRequest(words), kAnswerTimeoutMs) != PipeIo::Ok ||
        channel.Read(reply, kMaxControlAnswerBytes, kAnswerTimeoutMs) != PipeIo::Ok) {
        answer.text = "simnotebook did not answer";
        return answer;
    }
    answer.reached = true;
    if (reply.compare(0, 3, "OK\n") == 0) {
        answer.ok = true;
        answer.text = reply.substr(3);
    } else if (reply.compare(0, 4, "ERR ") == 0) {
        answer.text = reply.substr(4);
    } else {
        answer.text = "unexpected answer from simnotebook";
    }
    return answer;
}

std::optional<int64_t> SimNotebookClient::GetVar(const std::string& key) const {
    ControlAnswer answer = Command({"get", key});
    if (!answer.ok) return std::nullopt;
    return static_cast<int64_t>(std::strtoll(answer.text.c_str(), nullptr, 10));
}

std::vector<JournalEntry> SimNotebookClient::Journal(uint64_t since) const {
    std::vector<JournalEntry> entries;
    ControlAnswer answer = Command({"journal", "--since", std::to_string(since)});
    if (!answer.ok) return entries;
    std::istringstream lines(answer.text);
    std::string line;
    while (std::getline(lines, line)) {
        JournalEntry entry;
        if (ParseJournalLine(line, &entry)) entries.push_back(std::move(entry));
    }
    return entries;
}

int SimNotebookClient::RaiseEvent(uint64_t wParam) const {
    ControlAnswer answer = Command({"event", std::to_string(wParam)});
    if (!answer.ok || answer.text.compare(0, 12, "subscribers=") != 0) return -1;
    return std::atoi(answer.text.c_str() + 12);
}

std::optional<std::string> SimNotebookClient::StatusValue(const std::string& name) const {
    ControlAnswer answer = Command({"status"});
    if (!answer.ok) return std::nullopt;
    std::istringstream lines(answer.text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, name.size() + 1, name + " ") == 0) return line.substr(name.size() + 1);
    }
    return std::nullopt;
}

}  // namespace simnb
