// The NVIDIA back-end's loading and probing, in this process, against the real nvapi
// stand-in installed in the system folder: every way InitNvapi can fail leaves no library
// loaded, and the probe keeps within the program's arrays.
#include <gtest/gtest.h>

#include "NvidiaBackend.h"
#include "SimNotebookClient.h"
#include "TarvelSession.h"
#include "VendorLibraries.h"

using namespace e2e;

namespace {

NvPhysicalGpuHandle Handle(uintptr_t value) { return reinterpret_cast<NvPhysicalGpuHandle>(value); }

}  // namespace

class NvapiInit : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(service.Start(&error)) << error;
        ASSERT_TRUE(notebook.Ok({"reset"}));
        RemoveVendorLibraries();
    }

    void TearDown() override {
        // Back to a fresh process's state, so the next case loads the library anew.
        if (g_hNvapi != nullptr) ::FreeLibrary(g_hNvapi);
        g_hNvapi = nullptr;
        g_pfnNvapiQueryInterface = nullptr;
        NvapiForgetEntryPoints();
        RemoveVendorLibraries();
        service.Stop();
    }

    bool NvapiStillLoaded() const {
        return ::GetModuleHandleW((SystemFolder() + L"\\" + kNvapiName).c_str()) != nullptr;
    }

    simnb::SimNotebookProcess service;
    simnb::SimNotebookClient notebook;
};

TEST_F(NvapiInit, WithoutALibraryItReportsLibraryNotFound) {
    EXPECT_EQ(InitNvapi(), NVAPI_LIBRARY_NOT_FOUND);
    EXPECT_EQ(g_hNvapi, nullptr);
    EXPECT_TRUE(simnb::GpuEntries(notebook.Journal()).empty());
}

class NvapiInitFailing : public NvapiInit, public ::testing::WithParamInterface<int> {};

// 0: a library without nvapi_QueryInterface; 1: NvAPI_Initialize not offered;
// 2: NvAPI_Initialize returning -1; 3: NvAPI_Initialize returning an unusual status.
TEST_P(NvapiInitFailing, ReportsAnErrorAndUnloadsTheLibrary) {
    const std::wstring standIn = GetParam() == 0 ? kNvapiWithoutQueryStandIn : kNvapiStandIn;
    switch (GetParam()) {
    case 1: ASSERT_TRUE(notebook.Ok({"nv", "fault", "offer", "0x0150E828", "off"})); break;
    case 2: ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0x0150E828", "-1"})); break;
    case 3: ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "0x0150E828", "-104"})); break;
    }
    ASSERT_TRUE(InstallVendorLibrary(standIn, kNvapiName));

    EXPECT_EQ(InitNvapi(), NVAPI_ERROR);
    EXPECT_EQ(g_hNvapi, nullptr);
    EXPECT_EQ(g_pfnNvapiQueryInterface, nullptr);
    EXPECT_FALSE(NvapiStillLoaded());
    // The library was really there and looked at.
    EXPECT_EQ(simnb::GpuEntries(notebook.Journal(), "load").size(), 1u);
    // Nothing is asked of a library that failed.
    EXPECT_EQ(NvPrivate_B23B70EE(Handle(0x10000100), 1), NVAPI_NO_IMPLEMENTATION);
    EXPECT_TRUE(simnb::GpuEntries(notebook.Journal(), "NvPrivate_B23B70EE").empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, NvapiInitFailing, ::testing::Values(0, 1, 2, 3));

TEST_F(NvapiInit, SucceedsAndTheProbeFillsTheHandlesTheDriverGave) {
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "displays", "2"}));
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "physical", "2"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_NE(g_hNvapi, nullptr);
    ASSERT_TRUE(EnumNvidiaGpus());
    EXPECT_EQ(g_hNvDisplay[0], Handle(0x30000100));
    EXPECT_EQ(g_hNvDisplay[1], Handle(0x30000101));
    EXPECT_EQ(g_nNvPhysicalGpuCount, 2u);
    EXPECT_EQ(g_hNvPhysicalGpu[0], Handle(0x10000100));
    EXPECT_EQ(g_hNvPhysicalGpu[1], Handle(0x10000101));
    EXPECT_EQ(g_nNvLogicalGpuCount, 1u);
    EXPECT_EQ(g_hNvLogicalGpu[0], Handle(0x20000100));
}

TEST_F(NvapiInit, WrappersCalledBeforeInitialisationAskNothing) {
    ASSERT_TRUE(InstallNvapi());
    EXPECT_EQ(NvPrivate_FA579A0F(Handle(0x10000100), 0), NVAPI_NO_IMPLEMENTATION);
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_TRUE(simnb::NvQueries(notebook.Journal()) == std::vector<uint32_t>{0x0150E828});
}

TEST_F(NvapiInit, AnIdentifierNotOfferedIsAskedForOnceOnly) {
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "offer", "0xB23B70EE", "off"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_EQ(NvPrivate_B23B70EE(Handle(0x10000100), 1), NVAPI_NO_IMPLEMENTATION);
    EXPECT_EQ(NvPrivate_B23B70EE(Handle(0x10000100), 0), NVAPI_NO_IMPLEMENTATION);
    EXPECT_TRUE(simnb::NvQueries(notebook.Journal()) == (std::vector<uint32_t>{0x0150E828, 0xB23B70EE}));
}

TEST_F(NvapiInit, NoNvidiaDisplayAtAllIsNoFailure) {
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "displays", "0"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_TRUE(EnumNvidiaGpus());
    auto displays = simnb::GpuEntries(notebook.Journal(), "NvAPI_EnumNvidiaDisplayHandle");
    ASSERT_EQ(displays.size(), 1u);
    EXPECT_EQ(displays[0].Field("status"), "-7");
}

TEST_F(NvapiInit, ADisplayEnumerationErrorFailsTheProbeWithoutGoingOn) {
    ASSERT_TRUE(notebook.Ok({"nv", "fault", "status", "NvAPI_EnumNvidiaDisplayHandle", "-6", "--index", "1"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_FALSE(EnumNvidiaGpus());
    auto journal = notebook.Journal();
    EXPECT_EQ(simnb::GpuEntries(journal, "NvAPI_EnumNvidiaDisplayHandle").size(), 2u);
    EXPECT_TRUE(simnb::GpuEntries(journal, "NvAPI_EnumPhysicalGPUs").empty());
}

TEST_F(NvapiInit, ADriverWithoutPhysicalGpusIsNotUsable) {
    ASSERT_TRUE(notebook.Ok({"gpu", "set", "physical", "0"}));
    ASSERT_TRUE(InstallNvapi());
    ASSERT_EQ(InitNvapi(), NVAPI_OK);
    EXPECT_FALSE(EnumNvidiaGpus());
}
