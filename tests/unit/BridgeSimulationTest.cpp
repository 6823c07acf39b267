// The bridge library stand-in against the simulated notebook's firmware service: what the
// program hands to ORV_CallNamePipe arrives whole, replies never overrun the caller's
// buffer, failures are quick, and firmware events reach the registered window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ORVWmiAcpi.h"
#include "SimNotebookClient.h"

namespace {

constexpr int kRequestBytes = 80;
constexpr int kReplyBytes = 800;
const wchar_t kEventQuery[] = L"Select * from ORV_Event";

// An 80-byte request laid out as the program lays it: text, terminator, zeros.
struct Request {
    char bytes[kRequestBytes] = {};
    explicit Request(const std::string& text) { std::memcpy(bytes, text.data(), text.size()); }
};

// A reply buffer with a guard zone behind the part the bridge is told about.
struct Reply {
    static constexpr int kGuard = 64;
    char bytes[kReplyBytes + kGuard];
    Reply() { std::memset(bytes, 'x', sizeof bytes); }
    bool GuardIntact(int from) const {
        for (int i = from; i < static_cast<int>(sizeof bytes); ++i) {
            if (bytes[i] != 'x') return false;
        }
        return true;
    }
};

int Call(Request& request, Reply& reply, int replySize = kReplyBytes) {
    return ORV_CallNamePipe(request.bytes, kRequestBytes, reply.bytes, replySize);
}

// A message-only window that collects WM_FIRMWARE_EVENT.
class EventWindow {
public:
    EventWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BridgeSimulationTestSink";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~EventWindow() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

    // The wParam of the next firmware event, or nothing within timeoutMs.
    bool Next(WPARAM* wParam, DWORD timeoutMs = 3000) const {
        DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, m_hwnd, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_FIRMWARE_EVENT) {
                    *wParam = msg.wParam;
                    return true;
                }
            }
            DWORD elapsed = GetTickCount() - start;
            if (elapsed >= timeoutMs) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        }
    }

private:
    HWND m_hwnd = nullptr;
};

class BridgeSimulation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_service = new simnb::SimNotebookProcess();
        s_started = s_service->Start(&s_startError);
    }
    static void TearDownTestSuite() {
        delete s_service;
        s_service = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_started) << s_startError;
        ASSERT_TRUE(m_ctl.Ok({"reset"}));
    }

    // The journal's firmware request entries, oldest first.
    std::vector<simnb::JournalEntry> Calls() const {
        std::vector<simnb::JournalEntry> calls;
        for (auto& entry : m_ctl.Journal()) {
            if (entry.source == "fw" && entry.Action() == "call") calls.push_back(entry);
        }
        return calls;
    }
    simnb::JournalEntry LastCall() const {
        auto calls = Calls();
        return calls.empty() ? simnb::JournalEntry() : calls.back();
    }
    bool WaitForSubscribers(const char* count) const {
        for (int i = 0; i < 60; ++i) {
            if (m_ctl.StatusValue("subscribers") == std::optional<std::string>(count)) return true;
            Sleep(50);
        }
        return false;
    }

    simnb::SimNotebookClient m_ctl;
    static simnb::SimNotebookProcess* s_service;
    static bool s_started;
    static std::string s_startError;
};

simnb::SimNotebookProcess* BridgeSimulation::s_service = nullptr;
bool BridgeSimulation::s_started = false;
std::string BridgeSimulation::s_startError;

TEST_F(BridgeSimulation, QueryAnswersDecimalTextAndIsJournalledAsReceived) {
    ASSERT_TRUE(m_ctl.SetVar("AP:6", 254));
    Request request("root\\WMI:Q:ORV_AP:AP:6");
    Reply reply;
    EXPECT_NE(0, Call(request, reply));
    EXPECT_STREQ("254", reply.bytes);
    EXPECT_EQ('x', reply.bytes[4]) << "only the text and its terminator are written";

    simnb::JournalEntry call = LastCall();
    EXPECT_EQ(std::optional<std::string>("root\\WMI:Q:ORV_AP:AP:6"), call.Field("text")) << call.text;
    EXPECT_EQ(std::optional<std::string>("80"), call.Field("requestSize"));
    EXPECT_EQ(std::optional<std::string>("800"), call.Field("replySize"));
    EXPECT_EQ(std::optional<std::string>("yes"), call.Field("zeroPadded"));
    EXPECT_EQ(std::optional<std::string>("1"), call.Field("result"));
    EXPECT_EQ(std::optional<std::string>("254"), call.Field("reply"));

    // A stray byte far behind the terminator is still seen: the whole buffer travels.
    request.bytes[kRequestBytes - 1] = 'Z';
    EXPECT_NE(0, Call(request, reply));
    EXPECT_EQ(std::optional<std::string>("no"), LastCall().Field("zeroPadded"));
}

TEST_F(BridgeSimulation, WriteTakesOnlyWellFormedRequests) {
    Request write("root\\WMI:S:ORV_AP:AP:6:-1");
    Reply reply;
    EXPECT_NE(0, Call(write, reply));
    EXPECT_EQ(std::optional<int64_t>(-1), m_ctl.GetVar("AP:6"));

    const char* malformed[] = {
        "root\\WMI:S:ORV_AP:AP:6:",   "root\\WMI:S:ORV_AP:AP:6:12a",     "root\\WMI:S:ORV_AP:AP:6:+5",
        "root\\WMI:S:ORV_AP:AP:6:007", "root\\WMI:S:ORV_AP:AP:6:99999999999999999999",
        "root\\WMI:S:ORV_System:AP:6:1", "root\\WMI:X:ORV_AP:AP:6",       "root\\WMI:Q:ORV_AP:AP:7",
        "root\\CIMV2:Q:ORV_AP:AP:6",   "root\\WMI:Q:ORV_AP:AP:6:",        "",
    };
    for (const char* text : malformed) {
        Request request(text);
        EXPECT_EQ(0, Call(request, reply)) << text;
        EXPECT_EQ(std::optional<std::string>("0"), LastCall().Field("result")) << text;
        EXPECT_TRUE(LastCall().Field("why").has_value()) << text;
    }
    EXPECT_EQ(std::optional<int64_t>(-1), m_ctl.GetVar("AP:6"));

    Request unterminated("");
    std::memset(unterminated.bytes, 'A', kRequestBytes);
    EXPECT_EQ(0, Call(unterminated, reply));
    EXPECT_EQ(std::optional<std::string>("unterminated"), LastCall().Field("why"));
}

TEST_F(BridgeSimulation, AcceptedWriteCanLeaveAnotherValue) {
    ASSERT_TRUE(m_ctl.Ok({"fault", "keep", "AP:6", std::to_string(7)}));
    Request write("root\\WMI:S:ORV_AP:AP:6:1");
    Reply reply;
    EXPECT_NE(0, Call(write, reply));
    Request read("root\\WMI:Q:ORV_AP:AP:6");
    EXPECT_NE(0, Call(read, reply));
    EXPECT_STREQ("7", reply.bytes);
}

TEST_F(BridgeSimulation, ReplyNeverExceedsTheCallersBuffer) {
    Request request("root\\WMI:Q:ORV_System:System:0");
    {
        ASSERT_TRUE(m_ctl.Ok({"fault", "reply", std::string(100, '9')}));
        Reply reply;
        EXPECT_NE(0, Call(request, reply, 10));
        EXPECT_EQ(std::string(10, '9'), std::string(reply.bytes, 10));
        EXPECT_TRUE(reply.GuardIntact(10));
    }
    {
        ASSERT_TRUE(m_ctl.Ok({"fault", "reply", "digits800", "--once"}));
        Reply reply;
        EXPECT_NE(0, Call(request, reply));
        EXPECT_EQ(std::string(kReplyBytes, '7'), std::string(reply.bytes, kReplyBytes)) << "no terminator";
        EXPECT_TRUE(reply.GuardIntact(kReplyBytes));
        EXPECT_EQ(std::optional<std::string>("no"), LastCall().Field("terminated"));
    }
    {
        Reply reply;  // the fault above was for one reply only
        EXPECT_NE(0, Call(request, reply));
        EXPECT_STREQ("2", reply.bytes);
    }
    {
        ASSERT_TRUE(m_ctl.Ok({"fault", "reply", "  12abc"}));
        Reply reply;
        EXPECT_NE(0, Call(request, reply));
        EXPECT_STREQ("  12abc", reply.bytes);
    }
}

TEST_F(BridgeSimulation, RefusedOrAbsentFirmwareFailsQuicklyAndLeavesTheReplyAlone) {
    Request request("root\\WMI:Q:ORV_AP:AP:6");
    Reply reply;
    ASSERT_TRUE(m_ctl.Ok({"fault", "refuse", "next", "2"}));
    EXPECT_EQ(0, Call(request, reply));
    EXPECT_EQ(0, Call(request, reply));
    EXPECT_TRUE(reply.GuardIntact(0));
    EXPECT_EQ(std::optional<std::string>("fault"), LastCall().Field("why"));
    EXPECT_NE(0, Call(request, reply));

    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "on"}));
    Reply untouched;
    DWORD start = GetTickCount();
    EXPECT_EQ(0, Call(request, untouched));
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_TRUE(untouched.GuardIntact(0));
    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "off"}));
    EXPECT_NE(0, Call(request, untouched));
}

TEST_F(BridgeSimulation, JournalLongerThanOnePipeReadComesBackWhole) {
    Request request("root\\WMI:Q:ORV_System:System:1");
    Reply reply;
    for (int i = 0; i < 60; ++i) ASSERT_NE(0, Call(request, reply));
    std::vector<simnb::JournalEntry> calls = Calls();
    ASSERT_EQ(60u, calls.size());
    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i - 1].seq + 1, calls[i].seq);
        EXPECT_LE(calls[i - 1].time, calls[i].time);
    }
}

TEST_F(BridgeSimulation, UnusableArgumentsFailWithoutReachingTheFirmware) {
    Request request("root\\WMI:Q:ORV_AP:AP:6");
    Reply reply;
    std::vector<char> huge(5000, 0);
    std::memcpy(huge.data(), request.bytes, kRequestBytes);
    EXPECT_EQ(0, ORV_CallNamePipe(nullptr, kRequestBytes, reply.bytes, kReplyBytes));
    EXPECT_EQ(0, ORV_CallNamePipe(request.bytes, 0, reply.bytes, kReplyBytes));
    EXPECT_EQ(0, ORV_CallNamePipe(request.bytes, -80, reply.bytes, kReplyBytes));
    EXPECT_EQ(0, ORV_CallNamePipe(huge.data(), static_cast<int>(huge.size()), reply.bytes, kReplyBytes));
    EXPECT_EQ(0, ORV_CallNamePipe(request.bytes, kRequestBytes, nullptr, kReplyBytes));
    EXPECT_EQ(0, ORV_CallNamePipe(request.bytes, kRequestBytes, reply.bytes, 0));
    EXPECT_TRUE(reply.GuardIntact(0));
    EXPECT_TRUE(Calls().empty());
}

TEST_F(BridgeSimulation, EventReachesTheRegisteredWindowWithItsExactWParam) {
    EventWindow window;
    CORVWmiAcpi bridge;
    bridge.AddHWND(window.Handle());
    char buffer[260] = {};
    EXPECT_TRUE(bridge.ORVWMIEvent(kEventQuery, buffer, L"root\\wmi", L"WQL"));
    EXPECT_NE(nullptr, std::memchr(buffer, 0, sizeof buffer));

    bool journalled = false;
    for (auto& entry : m_ctl.Journal()) {
        if (entry.Action() != "subscribe") continue;
        journalled = entry.Field("query") == std::optional<std::string>("Select * from ORV_Event") &&
                     entry.Field("namespace") == std::optional<std::string>("root\\wmi") &&
                     entry.Field("language") == std::optional<std::string>("WQL");
    }
    EXPECT_TRUE(journalled);

    EXPECT_EQ(1, m_ctl.RaiseEvent(0x160));
    WPARAM wParam = 0;
    ASSERT_TRUE(window.Next(&wParam));
    EXPECT_EQ(static_cast<WPARAM>(0x160), wParam);
}

TEST_F(BridgeSimulation, EventsResumeWhenTheFirmwareComesBack) {
    EventWindow window;
    CORVWmiAcpi bridge;
    bridge.AddHWND(window.Handle());
    char buffer[260] = {};
    ASSERT_TRUE(bridge.ORVWMIEvent(kEventQuery, buffer, L"root\\wmi", L"WQL"));

    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "on"}));
    EXPECT_EQ(0, m_ctl.RaiseEvent(0x60));
    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "off"}));
    ASSERT_TRUE(WaitForSubscribers("1"));
    EXPECT_EQ(1, m_ctl.RaiseEvent(0x5D));
    WPARAM wParam = 0;
    ASSERT_TRUE(window.Next(&wParam));
    EXPECT_EQ(static_cast<WPARAM>(0x5D), wParam);
}

TEST_F(BridgeSimulation, SubscriptionMadeWhileAbsentStartsLaterAndStopsPromptly) {
    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "on"}));
    EventWindow window;
    auto bridge = std::make_unique<CORVWmiAcpi>();
    bridge->AddHWND(window.Handle());
    char buffer[260] = {};
    EXPECT_FALSE(bridge->ORVWMIEvent(kEventQuery, buffer, L"root\\wmi", L"WQL"));

    ASSERT_TRUE(m_ctl.Ok({"fault", "absent", "off"}));
    ASSERT_TRUE(WaitForSubscribers("1"));
    EXPECT_EQ(1, m_ctl.RaiseEvent(0x79));
    WPARAM wParam = 0;
    ASSERT_TRUE(window.Next(&wParam));
    EXPECT_EQ(static_cast<WPARAM>(0x79), wParam);

    DWORD start = GetTickCount();
    bridge.reset();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(WaitForSubscribers("0"));
}

TEST_F(BridgeSimulation, OnlyTheFirmwareEventQueryIsAccepted) {
    CORVWmiAcpi bridge;
    char buffer[260] = {};
    EXPECT_FALSE(bridge.ORVWMIEvent(L"Select * from Win32_Process", buffer, L"root\\wmi", L"WQL"));
    EXPECT_EQ(std::optional<std::string>("0"), m_ctl.StatusValue("subscribers"));
    Sleep(600);  // a refused subscription is not tried again and again
    int attempts = 0;
    for (auto& entry : m_ctl.Journal()) attempts += entry.Action() == "subscribe" ? 1 : 0;
    EXPECT_EQ(1, attempts);
}

}  // namespace
