// Seeded random tests of the firmware protocol: the request builder and both reply
// readers, on random values and random reply bytes. Fixed seed, fixed case count.
#include "FirmwareAccessors.h"
#include "FirmwareRequest.h"
#include "RecordingFirmware.h"
#include <gtest/gtest.h>
#include <charconv>
#include <cstring>
#include <random>
#include <string>

using namespace firmware;

namespace {

const uint32_t kSeed = 20261207;
const int kCases = 200000;

// A reply of random length built from characters that matter to a number reader.
std::string RandomReply(std::mt19937& rng) {
    static const char kAlphabet[] = "0123456789-+ \t\nax\x7f\x80\xff";
    std::uniform_int_distribution<int> length(0, 40), pick(0, sizeof kAlphabet - 2), kind(0, 9);
    std::string text;
    int n = kind(rng) == 0 ? 800 : length(rng);
    for (int i = 0; i < n; ++i) text += kAlphabet[pick(rng)];
    return text;
}

// What a C runtime's atoi gives, computed in 64 bits and saturated like our reader.
int32_t ReferenceAtoi(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && std::strchr(" \t\n\v\f\r", s[i]) != nullptr && s[i] != '\0') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int64_t m = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (m <= (int64_t{1} << 31)) m = m * 10 + (s[i] - '0');
    if (negative) return m >= (int64_t{1} << 31) ? INT32_MIN : static_cast<int32_t>(-m);
    return m >= (int64_t{1} << 31) ? INT32_MAX : static_cast<int32_t>(m);
}

}  // namespace

TEST(FuzzFirmware, WriteRequestCarriesEveryValueExactlyAndStaysTerminated) {
    std::mt19937 rng(kSeed);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    const int32_t edges[] = {INT32_MIN, INT32_MAX, 0, -1};
    for (int i = 0; i < kCases; ++i) {
        int32_t value = i < 4 ? edges[i] : any(rng);
        char request[kRequestSize];
        std::memset(request, 0x55, sizeof request);
        LayWriteAp6Request(value, request);
        size_t length = strnlen(request, sizeof request);
        ASSERT_LT(length, sizeof request);
        for (size_t k = length; k < sizeof request; ++k) ASSERT_EQ(request[k], 0) << value;
        std::string text(request, length);
        ASSERT_EQ(text.rfind(kWriteAp6Prefix, 0), 0u);
        ASSERT_EQ(text.substr(sizeof kWriteAp6Prefix - 1), std::to_string(value));
    }
}

TEST(FuzzFirmware, RepliesReadAsAtoiWithinTheBufferAndExactOnlyWhenWellFormed) {
    std::mt19937 rng(kSeed);
    for (int i = 0; i < kCases; ++i) {
        std::string reply = RandomReply(rng);
        // Bytes beyond the reply are poison: neither reader may look past size.
        std::vector<char> buffer(reply.begin(), reply.end());
        buffer.push_back('9');
        int32_t lenient = ParseReplyValue(buffer.data(), reply.size());
        ASSERT_EQ(lenient, ReferenceAtoi(reply)) << '"' << reply << '"';

        std::string terminated = reply + '\0';
        int32_t exact = 12345;
        bool ok = ParseExactReplyValue(terminated.data(), terminated.size(), &exact);
        std::string first = reply.substr(0, reply.find('\0'));
        int32_t expected = 0;
        auto r = std::from_chars(first.data(), first.data() + first.size(), expected);
        bool wellFormed = !first.empty() && r.ec == std::errc() && r.ptr == first.data() + first.size();
        ASSERT_EQ(ok, wellFormed) << '"' << first << '"';
        if (ok) ASSERT_EQ(exact, expected);
        else ASSERT_EQ(exact, 12345) << "a rejected reply leaves the value alone";
        // Without a terminator inside the buffer nothing is exact.
        ASSERT_FALSE(reply.find('\0') == std::string::npos && ParseExactReplyValue(reply.data(), reply.size(), &exact));
    }
}

// Through the accessors: a random reply never turns into an AP:6 write that changes more
// than bit 0 of what the firmware holds, and a rejected read is never followed by a write.
TEST(FuzzFirmware, ApFlagsReadersNeverInventAValue) {
    std::mt19937 rng(kSeed);
    for (int i = 0; i < 20000; ++i) {
        RecordingFirmware fw;
        std::string reply = RandomReply(rng);
        fw.Script({{1, reply, reply.size() < 800}});
        int32_t value = -7;
        bool read = TryReadApFlags(&value);
        std::string first = reply.substr(0, reply.find('\0'));
        int32_t expected = 0;
        auto r = std::from_chars(first.data(), first.data() + first.size(), expected);
        bool wellFormed = reply.size() < 800 && !first.empty() && r.ec == std::errc() && r.ptr == first.data() + first.size();
        ASSERT_EQ(read, wellFormed) << '"' << reply << '"';
        ASSERT_EQ(value, read ? expected : -7);
        ASSERT_EQ(fw.requests.size(), 1u);
    }
}
