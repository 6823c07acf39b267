#include "ValueText.h"

#include <cstdlib>
#include <limits>

namespace simnb {
namespace {

// Digits only, few enough that they cannot overflow 64 bits unsigned.
bool ParseDigits(const std::string& digits, bool hex, uint64_t* value) {
    if (digits.empty() || digits.size() > (hex ? 16u : 19u)) return false;
    if (digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) return false;
    *value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    return true;
}

}  // namespace

bool ParseStrictDecimal(const std::string& text, int64_t* value) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = text.substr(negative ? 1 : 0);
    uint64_t magnitude = 0;
    if (!ParseDigits(digits, false, &magnitude)) return false;
    if (digits[0] == '0' && (digits.size() > 1 || negative)) return false;  // "007", "-0"
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return false;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ParseUnsigned(const std::string& text, uint64_t* value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return ParseDigits(text.substr(hex ? 2 : 0), hex, value);
}

}  // namespace simnb
