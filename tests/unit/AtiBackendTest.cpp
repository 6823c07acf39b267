// The ATI back-end's records and its apply and revert against a fake clock function.
#include "AdlLibrary.h"
#include "RecordingFirmware.h"
#include "TarvelDlg.h"
#include <gtest/gtest.h>
#include <cstddef>

TEST(AdlRecords, FieldsStandInTheLibrarysOrder) {
    EXPECT_EQ(sizeof(ADLODClockSetting), 24u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iDefaultClock), 0u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iCurrentClock), 4u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iMaxClock), 8u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iMinClock), 12u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iRequestedClock), 16u);
    EXPECT_EQ(offsetof(ADLODClockSetting, iAppliedClock), 20u);
    EXPECT_EQ(sizeof(ADLAdapterODClockInfo), 56u);
    EXPECT_EQ(offsetof(ADLAdapterODClockInfo, iFlags), 4u);
    EXPECT_EQ(offsetof(ADLAdapterODClockInfo, sMemoryClock), 8u);
    EXPECT_EQ(offsetof(ADLAdapterODClockInfo, sEngineClock), 32u);
    EXPECT_EQ(sizeof(ADLAdapterODClockConfig), 16u);
    EXPECT_EQ(offsetof(ADLAdapterODClockConfig, iFlags), 4u);
    EXPECT_EQ(offsetof(ADLAdapterODClockConfig, iMemoryClock), 8u);
    EXPECT_EQ(offsetof(ADLAdapterODClockConfig, iEngineClock), 12u);
}

namespace {

std::vector<std::string>* g_log = nullptr;
int g_configStatus = 0;

int ConfigSet(int adapter, ADLAdapterODClockConfig* c) {
    g_log->push_back("ConfigSet " + std::to_string(adapter) + " " + std::to_string(c->iSize) + " " +
                     std::to_string(c->iFlags) + " " + std::to_string(c->iMemoryClock) + " " +
                     std::to_string(c->iEngineClock));
    return g_configStatus;
}

class AtiBackend : public ::testing::Test {
protected:
    void SetUp() override {
        g_log = &log;
        g_configStatus = 0;
        g_pfnAdl[1] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ConfigSet));
        ADLAdapterODClockInfo& info = dlg.m_adlClockInfo;
        info.iSize = 56;
        info.iFlags = 3;
        info.sMemoryClock = {900, 901, 1000, 800, 0, 0};
        info.sEngineClock = {500, 501, 650, 400, 0, 0};
        fw.onRequest = [this](const std::string& t) { log.push_back(t); };
    }
    void TearDown() override {
        g_pfnAdl[1] = nullptr;
        g_log = nullptr;
    }
    std::vector<std::string> log;
    RecordingFirmware fw;
    CTarvelDlg dlg;
};

}  // namespace

TEST_F(AtiBackend, ApplySetsTheMaximumClocksOfAdapter0) {
    fw.Script({{1, "2"}, {1, ""}, {1, "3"}});
    EXPECT_TRUE(dlg.AtiApplyOverclock());
    EXPECT_EQ(log, (std::vector<std::string>{"root\\WMI:Q:ORV_AP:AP:6", "ConfigSet 0 16 3 1000 650",
                                             "root\\WMI:S:ORV_AP:AP:6:3", "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST_F(AtiBackend, FailedApplyWritesTheValueBack) {
    g_configStatus = -1;
    fw.Script({{1, "2"}, {1, ""}, {1, "2"}});
    dlg.AtiApplyOverclock();
    EXPECT_EQ(fw.requests[1].text, "root\\WMI:S:ORV_AP:AP:6:2");
}

TEST_F(AtiBackend, RevertSetsTheDefaultClocksThenClearsBit0) {
    fw.Script({{1, "259"}, {1, ""}, {1, "258"}});
    dlg.AtiRevertOverclock();
    EXPECT_EQ(log, (std::vector<std::string>{"ConfigSet 0 16 3 900 500", "root\\WMI:Q:ORV_AP:AP:6",
                                             "root\\WMI:S:ORV_AP:AP:6:258", "root\\WMI:Q:ORV_AP:AP:6"}));
}

// Which back-end a switch goes to: NVIDIA whenever it is ready (its driver is absent here,
// so it shows only as AP:6 requests without a clock change), otherwise ATI, otherwise none.
using BackendDispatch = AtiBackend;

TEST_F(BackendDispatch, NvidiaFirstThenAtiThenNothing) {
    struct { bool nv, ati; const char* expected; } cases[] = {
        {true, false, "N"}, {false, true, "A"}, {true, true, "N"}, {false, false, ""}};
    for (const auto& c : cases) {
        dlg.m_bNvidia = c.nv;
        dlg.m_bAti = c.ati;
        for (int apply = 0; apply < 2; ++apply) {
            log.clear();
            if (apply)
                dlg.ApplyOverclock();
            else
                dlg.RevertOverclock();
            bool clocks = false;
            for (const std::string& entry : log)
                clocks = clocks || entry.rfind("ConfigSet", 0) == 0;
            const std::string calls = log.empty() ? "" : clocks ? "A" : "N";
            EXPECT_EQ(calls, c.expected) << c.nv << c.ati << apply;
        }
    }
}

TEST(AdlMemory, AllocatesFromTheRuntimeHeap) {
    void* p = AdlMemoryAlloc(64);
    ASSERT_NE(p, nullptr);
    free(p);
    EXPECT_EQ(AdlMemoryAlloc(-1), nullptr);
}
