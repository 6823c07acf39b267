#include <cctype>
#include <cstdlib>
#include <sstream>

#include "SimNotebookClient.h"

namespace simnb {
namespace {

// From just after the opening quote to the closing one; \xNN back to its byte.
std::string Unquote(const std::string& text, size_t start) {
    std::string out;
    for (size_t i = start; i < text.size() && text[i] != '"'; ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> JournalEntry::Field(const std::string& name) const {
    const std::string key = name + "=";
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        if (quoted || (i > 0 && text[i - 1] != ' ') || text.compare(i, key.size(), key) != 0) continue;
        size_t value = i + key.size();
        if (value < text.size() && text[value] == '"') return Unquote(text, value + 1);
        size_t end = text.find(' ', value);
        return text.substr(value, end == std::string::npos ? std::string::npos : end - value);
    }
    return std::nullopt;
}

std::string JournalEntry::Action() const { return text.substr(0, text.find(' ')); }

bool ParseJournalLine(const std::string& line, JournalEntry* entry) {
    std::istringstream in(line);
    if (!(in >> entry->seq >> entry->time >> entry->source) || in.get() != ' ') return false;
    std::getline(in, entry->text);
    return true;
}

std::vector<JournalEntry> GpuEntries(const std::vector<JournalEntry>& journal, const std::string& action) {
    std::vector<JournalEntry> found;
    for (const JournalEntry& e : journal) {
        if ((e.source == "nv" || e.source == "adl") && (action.empty() || e.Action() == action)) found.push_back(e);
    }
    return found;
}

std::vector<uint32_t> NvQueries(const std::vector<JournalEntry>& journal) {
    std::vector<uint32_t> ids;
    for (const JournalEntry& e : GpuEntries(journal, "query")) {
        if (e.source == "nv") ids.push_back(static_cast<uint32_t>(std::strtoul(e.Field("id").value_or("").c_str(), nullptr, 16)));
    }
    return ids;
}

}  // namespace simnb
