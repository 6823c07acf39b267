// The NVIDIA back-end against a fake driver behind nvapi_QueryInterface: entry caches,
// enumeration ends, and the exact sequence of driver calls and AP:6 requests.
#include "NvidiaBackend.h"
#include "RecordingFirmware.h"
#include <gtest/gtest.h>
#include <map>

namespace {

// The fake driver: which identifiers it offers, what each entry point answers, and a log
// of every question and call, shared with the firmware requests.
struct FakeDriver {
    std::vector<std::string> log;
    std::map<uint32_t, int> asked;
    std::map<uint32_t, bool> offered;
    NvAPI_Status b23 = 0, fdf = 0, fa5 = 0;
    std::function<NvAPI_Status(uint32_t)> display = [](uint32_t i) { return i < 2 ? NVAPI_OK : NVAPI_END_ENUMERATION; };
    uint32_t displayCalls = 0;
    uint32_t physicalCount = 1;
    NvAPI_Status physical = 0, logical = 0;
};
FakeDriver* g_driver = nullptr;
NvPhysicalGpuHandle const kGpu = reinterpret_cast<NvPhysicalGpuHandle>(0x1234);

std::string Hex(const void* p) {
    char b[32];
    snprintf(b, sizeof b, "%p", p);
    return b;
}

NvAPI_Status __cdecl EnumDisplay(uint32_t i, NvDisplayHandle* h) {
    ++g_driver->displayCalls;
    *h = reinterpret_cast<NvDisplayHandle>(static_cast<uintptr_t>(0x100 + i));
    return g_driver->display(i);
}
NvAPI_Status __cdecl EnumPhysical(NvPhysicalGpuHandle* h, uint32_t* n) {
    h[0] = g_driver->physicalCount ? kGpu : nullptr;
    *n = g_driver->physicalCount;
    return g_driver->physical;
}
NvAPI_Status __cdecl EnumLogical(NvLogicalGpuHandle* h, uint32_t* n) {
    h[0] = reinterpret_cast<NvLogicalGpuHandle>(0x77);
    *n = 1;
    return g_driver->logical;
}
NvAPI_Status __cdecl B23(NvPhysicalGpuHandle h, uint32_t v) {
    g_driver->log.push_back("B23B70EE " + Hex(h) + " " + std::to_string(v));
    return g_driver->b23;
}
NvAPI_Status __cdecl FDF(NvPhysicalGpuHandle h, uint32_t v1, uint32_t v2) {
    g_driver->log.push_back("FDFC7D49 " + Hex(h) + " " + std::to_string(v1) + " " + std::to_string(v2));
    return g_driver->fdf;
}
NvAPI_Status __cdecl FA5(NvPhysicalGpuHandle h, uint32_t v) {
    g_driver->log.push_back("FA579A0F " + Hex(h) + " " + std::to_string(v));
    return g_driver->fa5;
}

void* __cdecl QueryInterface(uint32_t id) {
    ++g_driver->asked[id];
    auto it = g_driver->offered.find(id);
    if (it != g_driver->offered.end() && !it->second) return nullptr;
    switch (id) {
    case NVID_EnumNvidiaDisplayHandle: return reinterpret_cast<void*>(&EnumDisplay);
    case NVID_EnumPhysicalGPUs: return reinterpret_cast<void*>(&EnumPhysical);
    case NVID_EnumLogicalGPUs: return reinterpret_cast<void*>(&EnumLogical);
    case NVID_Private_B23B70EE: return reinterpret_cast<void*>(&B23);
    case NVID_Private_FDFC7D49: return reinterpret_cast<void*>(&FDF);
    case NVID_Private_FA579A0F: return reinterpret_cast<void*>(&FA5);
    default: return nullptr;
    }
}

class NvidiaBackend : public ::testing::Test {
protected:
    void SetUp() override {
        g_driver = &driver;
        NvapiForgetEntryPoints();
        g_pfnNvapiQueryInterface = &QueryInterface;
        g_hNvPhysicalGpu[0] = kGpu;
        fw.onRequest = [this](const std::string& t) { driver.log.push_back(t); };
    }
    void TearDown() override {
        g_pfnNvapiQueryInterface = nullptr;
        NvapiForgetEntryPoints();
        g_driver = nullptr;
    }
    FakeDriver driver;
    RecordingFirmware fw;
    const std::string G = Hex(kGpu);
};

}  // namespace

TEST_F(NvidiaBackend, WrappersBeforeInitialisationAnswerNoImplementationWithoutAsking) {
    g_pfnNvapiQueryInterface = nullptr;
    EXPECT_EQ(NvPrivate_B23B70EE(kGpu, 1), NVAPI_NO_IMPLEMENTATION);
    EXPECT_EQ(NvPrivate_FDFC7D49(kGpu, 1, 0), NVAPI_NO_IMPLEMENTATION);
    uint32_t n = 0;
    EXPECT_EQ(NvAPI_EnumPhysicalGPUs(g_hNvPhysicalGpu, &n), NVAPI_NO_IMPLEMENTATION);
    EXPECT_TRUE(driver.asked.empty());
    // Not asking is not a final answer: once the library is there, the wrapper asks.
    g_pfnNvapiQueryInterface = &QueryInterface;
    EXPECT_EQ(NvPrivate_B23B70EE(kGpu, 1), NVAPI_OK);
    EXPECT_EQ(driver.asked[NVID_Private_B23B70EE], 1);
}

TEST_F(NvidiaBackend, EachIdentifierIsAskedForOnce) {
    driver.b23 = -5;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(NvPrivate_B23B70EE(kGpu, 1), -5);  // the status passes through unchanged
        EXPECT_EQ(NvPrivate_FA579A0F(kGpu, 0), NVAPI_OK);
    }
    EXPECT_EQ(driver.asked[NVID_Private_B23B70EE], 1);
    EXPECT_EQ(driver.asked[NVID_Private_FA579A0F], 1);
}

TEST_F(NvidiaBackend, ANullAnswerIsFinal) {
    driver.offered[NVID_Private_FDFC7D49] = false;
    EXPECT_EQ(NvPrivate_FDFC7D49(kGpu, 1, 0), NVAPI_NO_IMPLEMENTATION);
    driver.offered[NVID_Private_FDFC7D49] = true;
    EXPECT_EQ(NvPrivate_FDFC7D49(kGpu, 1, 0), NVAPI_NO_IMPLEMENTATION);
    EXPECT_EQ(driver.asked[NVID_Private_FDFC7D49], 1);
}

TEST_F(NvidiaBackend, EnumerationEnds) {
    // No NVIDIA display at all is not a failure.
    driver.display = [](uint32_t) { return NVAPI_END_ENUMERATION; };
    EXPECT_TRUE(EnumNvidiaGpus());
    EXPECT_EQ(driver.displayCalls, 1u);

    // Another status at index 1 is.
    driver.displayCalls = 0;
    driver.display = [](uint32_t i) { return i == 0 ? NVAPI_OK : -6; };
    EXPECT_FALSE(EnumNvidiaGpus());
    EXPECT_EQ(driver.displayCalls, 2u);

    // A driver that never ends the list is stopped at the array's end.
    driver.displayCalls = 0;
    driver.display = [](uint32_t) { return NVAPI_OK; };
    EXPECT_TRUE(EnumNvidiaGpus());
    EXPECT_EQ(driver.displayCalls, NVAPI_MAX_DISPLAYS);
    EXPECT_EQ(g_hNvDisplay[127], reinterpret_cast<NvDisplayHandle>(static_cast<uintptr_t>(0x100 + 127)));
}

TEST_F(NvidiaBackend, GpuEnumerationsDecide) {
    EXPECT_TRUE(EnumNvidiaGpus());
    EXPECT_EQ(g_nNvPhysicalGpuCount, 1u);
    EXPECT_EQ(g_nNvLogicalGpuCount, 1u);
    driver.physical = -1;
    EXPECT_FALSE(EnumNvidiaGpus());
    driver.physical = 0;
    driver.logical = -1;
    EXPECT_FALSE(EnumNvidiaGpus());
    driver.logical = 0;
    driver.physicalCount = 0;  // a driver without a GPU does not make the back-end ready
    EXPECT_FALSE(EnumNvidiaGpus());
}

TEST_F(NvidiaBackend, ApplyReadsApFlagsThenMakesThreeCallsThenWritesBit0) {
    fw.Script({{1, "4"}, {1, ""}, {1, "5"}});
    NvApplyOverclock();
    EXPECT_EQ(driver.log, (std::vector<std::string>{
                              "root\\WMI:Q:ORV_AP:AP:6", "B23B70EE " + G + " 1", "FDFC7D49 " + G + " 1 0",
                              "FA579A0F " + G + " 0", "root\\WMI:S:ORV_AP:AP:6:5", "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST_F(NvidiaBackend, ApplyMakesEveryCallEvenAfterAFailureAndKeepsBit0) {
    driver.fdf = -1;
    fw.Script({{1, "4"}, {1, ""}, {1, "4"}});
    NvApplyOverclock();
    EXPECT_EQ(driver.log, (std::vector<std::string>{
                              "root\\WMI:Q:ORV_AP:AP:6", "B23B70EE " + G + " 1", "FDFC7D49 " + G + " 1 0",
                              "FA579A0F " + G + " 0", "root\\WMI:S:ORV_AP:AP:6:4", "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST_F(NvidiaBackend, RevertMakesTwoCallsThenReadsAndClearsBit0) {
    fw.Script({{1, "5"}, {1, ""}, {1, "4"}});
    NvRevertOverclock();
    EXPECT_EQ(driver.log, (std::vector<std::string>{"B23B70EE " + G + " 0", "FA579A0F " + G + " 1",
                                                    "root\\WMI:Q:ORV_AP:AP:6", "root\\WMI:S:ORV_AP:AP:6:4",
                                                    "root\\WMI:Q:ORV_AP:AP:6"}));
}

TEST_F(NvidiaBackend, ADriverWithoutThePrivateEntryPointsLeavesBit0) {
    driver.offered[NVID_Private_B23B70EE] = false;
    fw.Script({{1, "0"}, {1, ""}, {1, "0"}, {1, "0"}, {1, ""}, {1, "0"}});
    NvApplyOverclock();
    NvRevertOverclock();
    EXPECT_EQ(fw.requests[1].text, "root\\WMI:S:ORV_AP:AP:6:0");
    EXPECT_EQ(fw.requests[4].text, "root\\WMI:S:ORV_AP:AP:6:0");
    EXPECT_EQ(driver.asked[NVID_Private_B23B70EE], 1);
}
