// The request-string protocol of the firmware bridge: how a request buffer is laid out
// and how a reply's decimal text is read.
#pragma once
#include <cstddef>
#include <cstdint>

namespace firmware {

constexpr int kRequestSize = 80;
constexpr int kReplySize = 800;

constexpr const char kQuerySystem0[] = "root\\WMI:Q:ORV_System:System:0";
constexpr const char kQuerySystem1[] = "root\\WMI:Q:ORV_System:System:1";
constexpr const char kQueryAp6[] = "root\\WMI:Q:ORV_AP:AP:6";
constexpr const char kWriteAp6Prefix[] = "root\\WMI:S:ORV_AP:AP:6:";

// Lays text into the request buffer followed by zero bytes up to its end. The texts are
// the program's own constants; one that does not fit is cut so that a terminator remains.
void LayRequest(const char* text, char (&request)[kRequestSize]);

// The write request for AP:6: the prefix followed by value as signed decimal text.
// Every 32-bit value fits (at most 23 + 11 characters).
void LayWriteAp6Request(int32_t value, char (&request)[kRequestSize]);

// Reads a reply as the C runtime's atoi reads text: leading white space, an optional
// sign, then decimal digits up to the first other character; no digits gives 0. It never
// reads past size bytes (a reply need not be terminated) and saturates at the 32-bit
// limits instead of overflowing.
int32_t ParseReplyValue(const char* reply, size_t size);

// The firmware's own form of a value: an optional minus sign, decimal digits, the
// terminator, and nothing else, within the 32-bit range. A value that is about to be
// written back must be read this way: anything looser (no digits, trailing text, a
// saturated overflow) would be written back as a value the firmware never held.
bool ParseExactReplyValue(const char* reply, size_t size, int32_t* pValue);

}  // namespace firmware
