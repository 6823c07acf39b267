// Strict number parsing for commands and firmware requests: the whole text must be the
// number, with no blanks, no '+', no leading zeros, and within 64 bits.
#pragma once
#include <cstdint>
#include <string>

namespace simnb {

// Signed decimal in the form _itoa writes it ("0", "254", "-1").
bool ParseStrictDecimal(const std::string& text, int64_t* value);
// A non-negative count or code, decimal or 0x-hexadecimal.
bool ParseUnsigned(const std::string& text, uint64_t* value);

}  // namespace simnb
