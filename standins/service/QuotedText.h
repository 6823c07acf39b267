// Texts inside a journal line are written in double quotes. Bytes that would break the line
// or the quoting (control bytes, '"', bytes above 0x7E) appear as \xNN; a backslash stays
// as it is, so "root\WMI" reads as sent.
#pragma once
#include <string>

namespace simnb {

std::string QuoteText(const char* bytes, size_t size);
inline std::string QuoteText(const std::string& text) { return QuoteText(text.data(), text.size()); }

}  // namespace simnb
