#include <cstdlib>

#include "SimNotebookClient.h"

namespace simnb {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// From just after the opening quote to the closing one; \xNN back to its byte.
std::string Unquote(const std::string& text, size_t start) {
    std::string out;
    for (size_t i = start; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
            HexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
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
    size_t first = line.find(' ');
    size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    size_t third = second == std::string::npos ? second : line.find(' ', second + 1);
    if (third == std::string::npos) return false;
    char* end = nullptr;
    entry->seq = std::strtoull(line.c_str(), &end, 10);
    if (end != line.c_str() + first) return false;
    entry->time = std::strtoull(line.c_str() + first + 1, &end, 10);
    if (end != line.c_str() + second) return false;
    entry->source = line.substr(second + 1, third - second - 1);
    entry->text = line.substr(third + 1);
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
