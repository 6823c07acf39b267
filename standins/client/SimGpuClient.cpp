#include "SimGpuClient.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace simnb {

std::string Hex32Text(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string SimGpuClient::StatusOf(const std::string& name) const {
    ControlAnswer answer = m_notebook.Command({"gpu", "status"});
    if (!answer.ok) return std::string();
    std::istringstream lines(answer.text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, name.size() + 1, name + " ") == 0) return line.substr(name.size() + 1);
    }
    return std::string();
}

bool SimGpuClient::NvFailWith(uint32_t id, int32_t status, uint64_t atCall) const {
    std::vector<std::string> words = {"nv", "fault", "status", Hex32Text(id), std::to_string(status)};
    if (atCall != 0) words.insert(words.end(), {"--at", std::to_string(atCall)});
    return Ok(words);
}

bool SimGpuClient::NvFailDisplayAt(uint32_t index, int32_t status) const {
    return Ok({"nv", "fault", "status", "NvAPI_EnumNvidiaDisplayHandle", std::to_string(status), "--index",
               std::to_string(index)});
}

bool SimGpuClient::NvFaultOff(uint32_t id) const { return Ok({"nv", "fault", "status", Hex32Text(id), "off"}); }

bool SimGpuClient::NvOffer(uint32_t id, bool offered) const {
    return Ok({"nv", "fault", "offer", Hex32Text(id), offered ? "on" : "off"});
}

bool SimGpuClient::NvHold(const std::string& name, std::optional<int64_t> value) const {
    std::vector<std::string> words = {"nv", "fault", "hold", name};
    if (value) words.insert(words.end(), {"--value", std::to_string(*value)});
    return Ok(words);
}

bool SimGpuClient::AdlFailWith(const std::string& function, int32_t status, uint64_t atCall) const {
    std::vector<std::string> words = {"adl", "fault", "status", function, std::to_string(status)};
    if (atCall != 0) words.insert(words.end(), {"--at", std::to_string(atCall)});
    return Ok(words);
}

bool SimGpuClient::AdlFaultOff(const std::string& function) const {
    return Ok({"adl", "fault", "status", function, "off"});
}

std::vector<JournalEntry> FromSource(const std::vector<JournalEntry>& journal, const std::string& source) {
    std::vector<JournalEntry> found;
    for (const JournalEntry& e : journal) {
        if (e.source == source) found.push_back(e);
    }
    return found;
}

std::vector<JournalEntry> GpuEntries(const std::vector<JournalEntry>& journal) {
    std::vector<JournalEntry> found;
    for (const JournalEntry& e : journal) {
        if (e.source == "nv" || e.source == "adl") found.push_back(e);
    }
    return found;
}

std::vector<JournalEntry> CallsOf(const std::vector<JournalEntry>& journal, const std::string& function) {
    std::vector<JournalEntry> found;
    for (const JournalEntry& e : GpuEntries(journal)) {
        if (e.Action() == function) found.push_back(e);
    }
    return found;
}

std::vector<uint32_t> NvQueries(const std::vector<JournalEntry>& journal) {
    std::vector<uint32_t> ids;
    for (const JournalEntry& e : FromSource(journal, "nv")) {
        if (e.Action() == "query") ids.push_back(static_cast<uint32_t>(std::strtoul(e.Field("id").value_or("").c_str(), nullptr, 16)));
    }
    return ids;
}

}  // namespace simnb
