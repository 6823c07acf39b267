#include "GpuRequest.h"

#include <cstdio>
#include <cstdlib>

namespace simnb {

GpuRequest::GpuRequest(const std::string& line) {
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        m_words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

const std::string& GpuRequest::Word(size_t i) const {
    static const std::string kNone;
    return i < m_words.size() ? m_words[i] : kNone;
}

bool GpuRequest::Number(size_t i, int64_t* value) const {
    if (i >= m_words.size() || m_words[i].empty()) return false;
    const char* text = m_words[i].c_str();
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0') return false;
    *value = parsed;
    return true;
}

std::string GpuRequest::Rest(size_t i) const {
    std::string out;
    for (; i < m_words.size(); ++i) {
        if (!out.empty()) out += ' ';
        out += m_words[i];
    }
    return out;
}

std::string Hex32(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace simnb
