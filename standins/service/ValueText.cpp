#include "ValueText.h"

#include <limits>

namespace simnb {

bool ParseStrictDecimal(const std::string& text, int64_t* value) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    size_t digits = text.size() - pos;
    if (digits == 0 || digits > 19) return false;
    if (text[pos] == '0' && (digits > 1 || negative)) return false;  // "007", "-0"
    uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    }
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return false;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ParseUnsigned(const std::string& text, uint64_t* value) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    size_t pos = hex ? 2 : 0;
    if (pos >= text.size() || text.size() - pos > (hex ? 16u : 19u)) return false;
    uint64_t result = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return false;
        }
        result = result * (hex ? 16 : 10) + digit;
    }
    *value = result;
    return true;
}

}  // namespace simnb
