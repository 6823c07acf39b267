// The five firmware accessors against a recording channel: the requests they send, the
// bits they test and what they yield when the firmware fails.
#include "FirmwareAccessors.h"
#include "RecordingFirmware.h"
#include <gtest/gtest.h>

namespace {

void ExpectWellFormed(const RecordedRequest& r) {
    EXPECT_EQ(r.requestSize, 80);
    EXPECT_EQ(r.bytes.size(), 80u);
    EXPECT_EQ(r.replySize, 800);
    EXPECT_TRUE(r.replyWasZeroed) << r.text;
    for (size_t i = r.text.size(); i < r.bytes.size(); ++i)
        ASSERT_EQ(r.bytes[i], 0) << r.text << " byte " << i;
}

}  // namespace

TEST(FirmwareAccessors, EachQuerySendsItsRequestInFullSizedBuffers) {
    RecordingFirmware fw;
    QueryOverclockOption();
    QueryOverclockBlockA();
    QueryOverclockBlockB();
    ReadApFlags();
    WriteApFlags(254);
    ASSERT_EQ(fw.Texts(), (std::vector<std::string>{
                              "root\\WMI:Q:ORV_System:System:0",
                              "root\\WMI:Q:ORV_System:System:0",
                              "root\\WMI:Q:ORV_System:System:1",
                              "root\\WMI:Q:ORV_AP:AP:6",
                              "root\\WMI:S:ORV_AP:AP:6:254",
                              "root\\WMI:Q:ORV_AP:AP:6",
                          }));
    for (const auto& r : fw.requests)
        ExpectWellFormed(r);
}

TEST(FirmwareAccessors, System0BitsSelectOptionAndBlockA) {
    struct { const char* reply; bool option; bool blockA; } cases[] = {
        {"2", true, false}, {"6", true, true}, {"4", false, true}, {"0", false, false},
        {"  3 trailing", true, false}, {"", false, false}, {"x6", false, false}, {"-1", true, true},
    };
    for (const auto& c : cases) {
        RecordingFirmware fw;
        fw.Reply(1, c.reply);
        fw.Reply(1, c.reply);
        EXPECT_EQ(QueryOverclockOption(), c.option) << c.reply;
        EXPECT_EQ(QueryOverclockBlockA(), c.blockA) << c.reply;
    }
}

TEST(FirmwareAccessors, System1Bit0IsBlockB) {
    struct { const char* reply; bool blockB; } cases[] = {{"1", true}, {"3", true}, {"2", false}, {"0", false}, {"abc", false}};
    for (const auto& c : cases) {
        RecordingFirmware fw;
        fw.Reply(1, c.reply);
        EXPECT_EQ(QueryOverclockBlockB(), c.blockB) << c.reply;
    }
}

TEST(FirmwareAccessors, RefusedRequestsYieldFalseAndMinusOne) {
    RecordingFirmware fw;
    fw.Script({{0, "6"}, {0, "6"}, {0, "1"}, {0, "5"}, {0, "5"}});
    EXPECT_FALSE(QueryOverclockOption());
    EXPECT_FALSE(QueryOverclockBlockA());
    EXPECT_FALSE(QueryOverclockBlockB());
    EXPECT_EQ(ReadApFlags(), -1);
    int32_t value = 12345;
    EXPECT_FALSE(TryReadApFlags(&value));
    EXPECT_EQ(value, 12345);
}

TEST(FirmwareAccessors, ApFlagsReadsTheWholeValue) {
    RecordingFirmware fw;
    fw.Script({{1, "259"}, {7, " -3x"}, {1, "99999999999"}});
    EXPECT_EQ(ReadApFlags(), 259);
    EXPECT_EQ(ReadApFlags(), -3);  // any non-zero result counts as success
    EXPECT_EQ(ReadApFlags(), INT32_MAX);
}

TEST(FirmwareAccessors, UnterminatedFullReplyIsReadWithinTheBuffer) {
    RecordingFirmware fw;
    fw.Script({{1, std::string(800, '9'), false}});
    EXPECT_EQ(ReadApFlags(), INT32_MAX);
}

TEST(FirmwareAccessors, WriteIsVerifiedByReadingBack) {
    {
        RecordingFirmware fw;
        fw.Script({{1, ""}, {1, "5"}});
        EXPECT_TRUE(WriteApFlags(5));
        EXPECT_EQ(fw.requests.size(), 2u);
    }
    {   // accepted, but the firmware kept another value
        RecordingFirmware fw;
        fw.Script({{1, ""}, {1, "4"}});
        EXPECT_FALSE(WriteApFlags(5));
        EXPECT_EQ(fw.requests.size(), 2u);
    }
    {   // refused: no read-back at all
        RecordingFirmware fw;
        fw.Script({{0, ""}});
        EXPECT_FALSE(WriteApFlags(5));
        ASSERT_EQ(fw.requests.size(), 1u);
        EXPECT_EQ(fw.requests[0].text, "root\\WMI:S:ORV_AP:AP:6:5");
    }
    {   // the read-back fails: not a success, even for -1
        RecordingFirmware fw;
        fw.Script({{1, ""}, {0, "-1"}});
        EXPECT_FALSE(WriteApFlags(-1));
    }
}
