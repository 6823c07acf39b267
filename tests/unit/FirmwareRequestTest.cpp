// The request layout and the reply parser: the exact bytes the bridge receives and the
// exact values read back from its text.
#include "FirmwareRequest.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <climits>
#include <cstring>
#include <string>

using namespace firmware;

namespace {

std::string TextOf(const char (&request)[kRequestSize]) { return std::string(request, strnlen(request, kRequestSize)); }

bool ZeroAfterText(const char (&request)[kRequestSize]) {
    for (size_t i = strnlen(request, kRequestSize); i < kRequestSize; ++i)
        if (request[i] != 0) return false;
    return true;
}

int32_t Parse(const std::string& s) { return ParseReplyValue(s.c_str(), s.size() + 1); }

}  // namespace

TEST(FirmwareRequest, QueryTextIsFollowedByZeroBytesToTheEnd) {
    char request[kRequestSize];
    std::memset(request, 'x', sizeof request);
    LayRequest(kQueryAp6, request);
    EXPECT_EQ(TextOf(request), "root\\WMI:Q:ORV_AP:AP:6");
    EXPECT_TRUE(ZeroAfterText(request));
}

TEST(FirmwareRequest, WriteCarriesTheValueAsSignedDecimalText) {
    struct { int32_t value; const char* text; } cases[] = {
        {254, "root\\WMI:S:ORV_AP:AP:6:254"},
        {-1, "root\\WMI:S:ORV_AP:AP:6:-1"},
        {0, "root\\WMI:S:ORV_AP:AP:6:0"},
        {0x1FE, "root\\WMI:S:ORV_AP:AP:6:510"},
        // Values of eight characters and more fit too: the text is never cut.
        {10000000, "root\\WMI:S:ORV_AP:AP:6:10000000"},
        {INT32_MAX, "root\\WMI:S:ORV_AP:AP:6:2147483647"},
        {INT32_MIN, "root\\WMI:S:ORV_AP:AP:6:-2147483648"},
    };
    for (const auto& c : cases) {
        char request[kRequestSize];
        std::memset(request, 'x', sizeof request);
        LayWriteAp6Request(c.value, request);
        EXPECT_EQ(TextOf(request), c.text);
        EXPECT_TRUE(ZeroAfterText(request)) << c.value;
    }
    EXPECT_EQ(std::strlen(kWriteAp6Prefix), 23u);
}

TEST(FirmwareReply, ReadsLikeAtoi) {
    EXPECT_EQ(Parse("2"), 2);
    EXPECT_EQ(Parse("6"), 6);
    EXPECT_EQ(Parse("   12abc"), 12);
    EXPECT_EQ(Parse("\t\n\v\f\r 7"), 7);
    EXPECT_EQ(Parse("-5"), -5);
    EXPECT_EQ(Parse("+9"), 9);
    EXPECT_EQ(Parse("007"), 7);
    EXPECT_EQ(Parse(""), 0);
    EXPECT_EQ(Parse("abc"), 0);
    EXPECT_EQ(Parse("- 5"), 0);
    EXPECT_EQ(Parse("12 34"), 12);
}

TEST(FirmwareReply, ValuesBeyond32BitsSaturate) {
    EXPECT_EQ(Parse("2147483647"), INT32_MAX);
    EXPECT_EQ(Parse("2147483648"), INT32_MAX);
    EXPECT_EQ(Parse("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(Parse("-2147483648"), INT32_MIN);
    EXPECT_EQ(Parse("-2147483649"), INT32_MIN);
    EXPECT_EQ(Parse("-99999999999999999999999"), INT32_MIN);
}

// A reply that fills the whole buffer with digits and no terminator is read up to the
// buffer's end and not one byte further: the buffer sits right before an inaccessible
// page, so a read past it would fault.
TEST(FirmwareReply, UnterminatedReplyIsNeverReadPastItsBuffer) {
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    char* region = static_cast<char*>(::VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(region, nullptr);
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(region + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
    char* reply = region + si.dwPageSize - kReplySize;
    std::memset(reply, '7', kReplySize);
    EXPECT_EQ(ParseReplyValue(reply, kReplySize), INT32_MAX);
    std::memset(reply, ' ', kReplySize);
    EXPECT_EQ(ParseReplyValue(reply, kReplySize), 0);
    reply[kReplySize - 1] = '-';
    EXPECT_EQ(ParseReplyValue(reply, kReplySize), 0);
    ::VirtualFree(region, 0, MEM_RELEASE);
}
