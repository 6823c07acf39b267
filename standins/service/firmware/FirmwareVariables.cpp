#include "FirmwareVariables.h"

namespace simnb {
namespace {

bool IsNameChar(char c, bool first) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') return true;
    return !first && c >= '0' && c <= '9';
}

}  // namespace

bool IsVariableKey(const std::string& key) {
    size_t colon = key.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= key.size()) return false;
    for (size_t i = 0; i < colon; ++i) {
        if (!IsNameChar(key[i], i == 0)) return false;
    }
    std::string index = key.substr(colon + 1);
    if (index.size() > 9 || (index[0] == '0' && index.size() > 1)) return false;
    for (char c : index) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

void FirmwareVariables::Reset() {
    LockGuard guard(m_lock);
    m_values = {{"System:0", 2}, {"System:1", 0}, {"AP:6", 0}};
}

std::optional<int64_t> FirmwareVariables::Get(const std::string& key) const {
    LockGuard guard(m_lock);
    auto found = m_values.find(key);
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

void FirmwareVariables::Set(const std::string& key, int64_t value) {
    LockGuard guard(m_lock);
    m_values[key] = value;
}

std::string FirmwareVariables::List() const {
    LockGuard guard(m_lock);
    std::string out;
    for (const auto& entry : m_values) out += entry.first + " " + std::to_string(entry.second) + "\n";
    return out;
}

}  // namespace simnb
