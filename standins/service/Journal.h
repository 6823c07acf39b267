// What the simulated notebook saw and did, in order. Every entry has a sequence number
// that keeps growing (also across clear), the absolute time in 100-ns units, a source
// ("fw", "ctl", "event", "nv", "adl") and its details as one line of text.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "../common/SimSync.h"

namespace simnb {

struct JournalRecord {
    uint64_t seq;
    uint64_t time;
    std::string source;
    std::string details;
};

class Journal {
public:
    // Oldest entries give way beyond this, so a long demo cannot eat the machine.
    static constexpr size_t kCapacity = 20000;

    using Observer = std::function<void(const std::string& line)>;
    void SetObserver(Observer observer);

    uint64_t Add(const std::string& source, const std::string& details);
    // Entries whose sequence number is greater than since, one line each.
    std::string Lines(uint64_t since) const;
    void Clear();
    size_t Size() const;
    uint64_t LastSeq() const;

private:
    mutable Lock m_lock;
    std::deque<JournalRecord> m_records;
    uint64_t m_lastSeq = 0;
    Observer m_observer;
};

std::string FormatJournalLine(const JournalRecord& record);
uint64_t PreciseFileTimeNow();

}  // namespace simnb
