// The GPU stand-ins themselves, loaded straight from the bin folder: the simulated
// driver's own rules (clock state, its checks, the scripted faults) that the end-to-end
// tests rely on when they read "overclocked" or a status from the journal.
#include <gtest/gtest.h>

#include <cstdint>

#include "ProcessAndWindows.h"
#include "SimNotebookClient.h"
#include "VendorLibraries.h"

namespace {

typedef void*(__cdecl* QueryFn)(uint32_t);
typedef int32_t(__cdecl* InitFn)();
typedef int32_t(__cdecl* GpuValueFn)(void*, uint32_t);
typedef int32_t(__cdecl* GpuTwoValuesFn)(void*, uint32_t, uint32_t);
typedef void*(__stdcall* AllocFn)(int);
typedef int(__cdecl* CreateFn)(AllocFn, int);
typedef int(__cdecl* InfoGetFn)(int, int32_t*);
typedef int(__cdecl* ConfigSetFn)(int, const int32_t*);

void* const kGpu = reinterpret_cast<void*>(static_cast<uintptr_t>(0x10000100));

template <typename Fn>
Fn As(void* address) {
    return reinterpret_cast<Fn>(address);
}

// Owns one loaded library.
class Library {
public:
    explicit Library(const std::wstring& file) : m_module(::LoadLibraryW((e2e::BinDir() + file).c_str())) {}
    ~Library() {
        if (m_module != nullptr) ::FreeLibrary(m_module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(m_module, name)));
    }

private:
    HMODULE m_module;
};

int g_allocations = 0;
char g_workspace[256];

void* __stdcall CountingAlloc(int size) {
    ++g_allocations;
    return size <= static_cast<int>(sizeof g_workspace) ? g_workspace : nullptr;
}

}  // namespace

class GpuStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(service.Start(&error)) << error;
        ASSERT_TRUE(notebook.Ok({"reset"}));
    }
    void TearDown() override { service.Stop(); }

    simnb::SimNotebookProcess service;
    simnb::SimNotebookClient notebook;
};

class NvapiStandIn : public GpuStandIn {
protected:
    void SetUp() override {
        GpuStandIn::SetUp();
        ASSERT_TRUE(nvapi.Loaded());
        query = nvapi.Get<QueryFn>("nvapi_QueryInterface");
        ASSERT_NE(query, nullptr);
    }

    void Initialize() { ASSERT_EQ(As<InitFn>(query(0x0150E828))(), 0); }
    int32_t B23(uint32_t v) { return As<GpuValueFn>(query(0xB23B70EE))(kGpu, v); }
    int32_t FDFC(uint32_t a, uint32_t b) { return As<GpuTwoValuesFn>(query(0xFDFC7D49))(kGpu, a, b); }
    int32_t FA57(uint32_t v) { return As<GpuValueFn>(query(0xFA579A0F))(kGpu, v); }

    Library nvapi{e2e::kNvapiStandIn};
    QueryFn query = nullptr;
};

TEST_F(NvapiStandIn, OffersTheSevenIdentifiersAndNothingElse) {
    for (uint32_t id : {0x0150E828u, 0x9ABDD40Du, 0xE5AC921Fu, 0x48B3EA59u, 0xB23B70EEu, 0xFDFC7D49u, 0xFA579A0Fu})
        EXPECT_NE(query(id), nullptr) << std::hex << id;
    EXPECT_EQ(query(0x12345678), nullptr);
    auto last = notebook.Journal().back();
    EXPECT_EQ(last.text, "query id=0x12345678 name=unknown offered=no");
}

TEST_F(NvapiStandIn, WithoutTheServiceNothingIsOffered) {
    service.Stop();
    EXPECT_EQ(query(0x0150E828), nullptr);
    EXPECT_EQ(query(0xB23B70EE), nullptr);
}

TEST_F(NvapiStandIn, OnlyTheWholeApplyOrRevertSequenceChangesTheClocks) {
    Initialize();
    EXPECT_EQ(B23(1), 0);
    EXPECT_EQ(FA57(0), 0);  // FDFC7D49 left out
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(B23(1), 0);
    EXPECT_EQ(FDFC(1, 0), 0);
    EXPECT_EQ(FA57(0), 0);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(FA57(1), 0);  // B23B70EE(0) left out
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "overclocked");
    EXPECT_EQ(B23(0), 0);
    EXPECT_EQ(FA57(1), 0);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
}

TEST_F(NvapiStandIn, AFaultOnTheNthCallFailsThatCallOnlyAndBreaksTheSequence) {
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0xFDFC7D49", "-5", "--at", "2"}));
    Initialize();
    EXPECT_EQ(FDFC(1, 0), 0);
    EXPECT_EQ(B23(1), 0);
    EXPECT_EQ(FDFC(1, 0), -5);
    EXPECT_EQ(FA57(0), 0);
    EXPECT_EQ(notebook.StatusValue("nv-clocks"), "default");
    EXPECT_EQ(FDFC(1, 0), 0);
    auto calls = simnb::GpuEntries(notebook.Journal(), "NvPrivate_FDFC7D49");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].Field("fault"), "yes");
}

TEST_F(NvapiStandIn, RefusesCallsBeforeInitialisationAndUnknownGpus) {
    EXPECT_EQ(B23(1), -4);
    Initialize();
    EXPECT_EQ(As<GpuValueFn>(query(0xB23B70EE))(nullptr, 1), -101);
    EXPECT_EQ(As<GpuValueFn>(query(0xB23B70EE))(reinterpret_cast<void*>(static_cast<uintptr_t>(0x10000101)), 1), -101);
}

TEST_F(GpuStandIn, TheVariantWithoutTheQueryFunctionLacksIt) {
    Library noquery(L"nvapi_noquery.dll");
    ASSERT_TRUE(noquery.Loaded());
    EXPECT_EQ(noquery.Get<QueryFn>("nvapi_QueryInterface"), nullptr);
}

class AdlStandIn : public GpuStandIn {
protected:
    void SetUp() override {
        GpuStandIn::SetUp();
        ASSERT_TRUE(adl.Loaded());
        create = adl.Get<CreateFn>("ADL_Main_Control_Create");
        infoGet = adl.Get<InfoGetFn>("ADL_Display_ODClockInfo_Get");
        configSet = adl.Get<ConfigSetFn>("ADL_Display_ODClockConfig_Set");
        ASSERT_TRUE(create && infoGet && configSet);
        g_allocations = 0;
    }

    int Set(int memory, int engine) {
        int32_t config[4] = {16, 3, memory, engine};
        return configSet(0, config);
    }

    Library adl{L"atiadlxx.dll"};
    CreateFn create = nullptr;
    InfoGetFn infoGet = nullptr;
    ConfigSetFn configSet = nullptr;
};

TEST_F(AdlStandIn, CreateAllocatesOnceThroughTheCallerAndReportsTheClockInfo) {
    EXPECT_EQ(Set(1000, 650), -2);  // not initialised yet
    EXPECT_EQ(create(nullptr, 1), -11);
    ASSERT_EQ(create(&CountingAlloc, 1), 0);
    EXPECT_EQ(g_allocations, 1);
    int32_t info[14] = {};
    ASSERT_EQ(infoGet(0, info), 0);
    const int32_t expected[14] = {56, 3, 900, 900, 1000, 300, 900, 900, 500, 500, 650, 100, 500, 500};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(info[i], expected[i]) << "field " << i;
    EXPECT_EQ(infoGet(1, info), -5);
    auto creates = simnb::GpuEntries(notebook.Journal(), "ADL_Main_Control_Create");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_EQ(creates[0].Field("callback"), "no");
    EXPECT_EQ(creates[1].Field("allocated"), "yes");
    EXPECT_EQ(creates[1].Field("iEnumConnectedAdapters"), "1");
}

TEST_F(AdlStandIn, ClockStateFollowsTheLastConfigurationSet) {
    ASSERT_EQ(create(&CountingAlloc, 1), 0);
    EXPECT_EQ(Set(1000, 650), 0);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "overclocked");
    EXPECT_EQ(Set(950, 600), 0);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "custom");
    EXPECT_EQ(Set(1001, 650), -3);  // beyond the maximum: refused, clocks kept
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "custom");
    EXPECT_EQ(Set(900, 500), 0);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "default");
    int32_t wrongSize[4] = {56, 3, 1000, 650};
    EXPECT_EQ(configSet(0, wrongSize), -4);
    ASSERT_TRUE(notebook.Ok({"adl", "fault", "status", "ADL_Display_ODClockConfig_Set", "-1"}));
    EXPECT_EQ(Set(1000, 650), -1);
    EXPECT_EQ(notebook.StatusValue("adl-clocks"), "default");
    auto sets = simnb::GpuEntries(notebook.Journal(), "ADL_Display_ODClockConfig_Set");
    ASSERT_EQ(sets.size(), 6u);
    EXPECT_EQ(sets[0].text,
              "ADL_Display_ODClockConfig_Set iAdapterIndex=0 iSize=16 iFlags=3 iMemoryClock=1000 iEngineClock=650 "
              "status=0 clocks=overclocked");
}
