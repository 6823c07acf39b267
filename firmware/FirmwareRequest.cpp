#include "FirmwareRequest.h"
#include <charconv>
#include <cstring>
#include <limits>

namespace firmware {

void LayRequest(const char* text, char (&request)[kRequestSize]) {
    std::memset(request, 0, sizeof request);
    size_t n = std::strlen(text);
    if (n > sizeof request - 1)
        n = sizeof request - 1;
    std::memcpy(request, text, n);
}

void LayWriteAp6Request(int32_t value, char (&request)[kRequestSize]) {
    LayRequest(kWriteAp6Prefix, request);
    constexpr size_t prefixLength = sizeof kWriteAp6Prefix - 1;
    static_assert(prefixLength + 11 < kRequestSize, "every 32-bit value must fit the request");
    // The last byte stays zero: the request is always terminated.
    std::to_chars(request + prefixLength, request + kRequestSize - 1, value);
}

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
}  // namespace

int32_t ParseReplyValue(const char* reply, size_t size) {
    size_t i = 0;
    while (i < size && IsBlank(reply[i]))
        ++i;
    bool negative = false;
    if (i < size && (reply[i] == '+' || reply[i] == '-')) {
        negative = reply[i] == '-';
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range.
    constexpr int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < size && reply[i] >= '0' && reply[i] <= '9'; ++i) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (reply[i] - '0');
    }
    if (negative)
        return magnitude >= limit ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(-magnitude);
    return magnitude >= limit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

bool ParseExactReplyValue(const char* reply, size_t size, int32_t* pValue) {
    const void* terminator = std::memchr(reply, 0, size);
    if (terminator == nullptr)
        return false;
    const char* end = static_cast<const char*>(terminator);
    int32_t value = 0;
    auto result = std::from_chars(reply, end, value);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    *pValue = value;
    return true;
}

}  // namespace firmware
