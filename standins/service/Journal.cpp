#include "Journal.h"

#include <windows.h>

namespace simnb {

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

std::string FormatJournalLine(const JournalRecord& record) {
    return std::to_string(record.seq) + " " + std::to_string(record.time) + " " + record.source + " " +
           record.details;
}

void Journal::SetObserver(Observer observer) {
    LockGuard guard(m_lock);
    m_observer = std::move(observer);
}

uint64_t Journal::Add(const std::string& source, const std::string& details) {
    LockGuard guard(m_lock);
    JournalRecord record{++m_lastSeq, PreciseFileTimeNow(), source, details};
    if (m_observer) m_observer(FormatJournalLine(record));
    m_records.push_back(std::move(record));
    if (m_records.size() > kCapacity) m_records.pop_front();
    return m_lastSeq;
}

std::string Journal::Lines(uint64_t since) const {
    LockGuard guard(m_lock);
    std::string out;
    for (const JournalRecord& record : m_records) {
        if (record.seq <= since) continue;
        out += FormatJournalLine(record);
        out += '\n';
    }
    return out;
}

void Journal::Clear() {
    LockGuard guard(m_lock);
    m_records.clear();
}

size_t Journal::Size() const {
    LockGuard guard(m_lock);
    return m_records.size();
}

uint64_t Journal::LastSeq() const {
    LockGuard guard(m_lock);
    return m_lastSeq;
}

}  // namespace simnb
