// The firmware's request grammar: "root\WMI:Q:<Class>:<Group>:<Index>" reads a variable,
// "root\WMI:S:<Class>:<Group>:<Index>:<value>" writes it. The class of a variable of group G
// is ORV_G; a request naming another class addresses nothing.
#pragma once
#include <cstdint>
#include <string>

namespace simnb {

struct FirmwareRequest {
    bool valid = false;
    std::string why;  // when not valid: a short word for the journal
    bool write = false;
    std::string key;  // "Group:Index"
    int64_t value = 0;
};

FirmwareRequest ParseFirmwareRequest(const std::string& text);

// A group name of letters, digits and '_' not starting with a digit, ':', and an index in
// plain decimal ("6", not "06").
bool IsVariableKey(const std::string& key);

}  // namespace simnb
