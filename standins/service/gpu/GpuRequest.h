// One request from a GPU stand-in: its words, and their numbers (decimal or 0x-hex).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace simnb {

class GpuRequest {
public:
    explicit GpuRequest(const std::string& line);

    size_t Size() const { return m_words.size(); }
    const std::string& Word(size_t i) const;
    // False when the word is missing or not wholly a number.
    bool Number(size_t i, int64_t* value) const;
    // Every word from i on, joined by blanks (a module path may contain blanks).
    std::string Rest(size_t i) const;

private:
    std::vector<std::string> m_words;
};

std::string Hex32(uint64_t value);

}  // namespace simnb
