// What the simulated notebook saw and did, in order. Every entry has a sequence number
// that keeps growing (also across clear), the absolute time in 100-ns units, a source
// ("fw", "ctl", "event", "nv", "adl") and its details as one line of text.
#pragma once
#include <cstdint>
#include <deque>
#include <string>

#include "../common/SimSync.h"

namespace simnb {

class Journal {
public:
    // Oldest entries give way beyond this, so a long demo cannot eat the machine.
    static constexpr size_t kCapacity = 20000;

    // Every entry is also printed on standard output as it is added (before any is added).
    void EchoToStdout() { m_echo = true; }

    void Add(const std::string& source, const std::string& details);
    // Entries whose sequence number is greater than since, one line each.
    std::string Lines(uint64_t since) const;
    void Clear();
    // "journal-entries N" and "journal-last-seq SEQ" lines for the status command.
    std::string Status() const;

private:
    struct Record {
        uint64_t seq;
        uint64_t time;
        std::string source;
        std::string details;
    };
    static std::string Line(const Record& record);

    mutable Lock m_lock;
    std::deque<Record> m_records;
    uint64_t m_lastSeq = 0;
    bool m_echo = false;
};

// Texts inside a journal line are written in double quotes. Bytes that would break the line
// or the quoting (control bytes, '"', bytes above 0x7E) appear as \xNN; a backslash stays
// as it is, so "root\WMI" reads as sent.
std::string QuoteText(const std::string& text);
// A flag inside a journal line.
inline std::string YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace simnb
