#include "Journal.h"

#include <windows.h>

#include <cstdio>

namespace simnb {
namespace {

uint64_t PreciseFileTimeNow() {
    // Looked up at run time: the headers for our oldest supported Windows do not declare it.
    using PreciseFn = VOID(WINAPI*)(LPFILETIME);
    static const PreciseFn precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME now;
    if (precise != nullptr) {
        precise(&now);
    } else {
        GetSystemTimeAsFileTime(&now);
    }
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

std::string QuoteText(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char byte : text) {
        unsigned char c = static_cast<unsigned char>(byte);
        if (c < 0x20 || c > 0x7E || c == '"') {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += byte;
        }
    }
    out += '"';
    return out;
}

std::string Journal::Line(const Record& record) {
    return std::to_string(record.seq) + " " + std::to_string(record.time) + " " + record.source + " " +
           record.details;
}

void Journal::Add(const std::string& source, const std::string& details) {
    LockGuard guard(m_lock);
    Record record{++m_lastSeq, PreciseFileTimeNow(), source, details};
    if (m_echo) {
        std::fprintf(stdout, "%s\n", Line(record).c_str());
        std::fflush(stdout);
    }
    m_records.push_back(std::move(record));
    if (m_records.size() > kCapacity) m_records.pop_front();
}

std::string Journal::Lines(uint64_t since) const {
    LockGuard guard(m_lock);
    std::string out;
    for (const Record& record : m_records) {
        if (record.seq <= since) continue;
        out += Line(record);
        out += '\n';
    }
    return out;
}

void Journal::Clear() {
    LockGuard guard(m_lock);
    m_records.clear();
}

std::string Journal::Status() const {
    LockGuard guard(m_lock);
    return "journal-entries " + std::to_string(m_records.size()) + "\njournal-last-seq " + std::to_string(m_lastSeq) +
           "\n";
}

}  // namespace simnb
