// The object census put into this test program by the bridge stand-in, read through the
// published section as another process would read it: this program's own calls of the GDI
// and USER object makers are counted, other modules' are not.
#include <gtest/gtest.h>
#include <windows.h>

#include "ORVWmiAcpi.h"
#include "ObjectCensusReader.h"

using simnb::CensusKind;

namespace {

simnb::CensusCounts Census() {
    std::optional<simnb::CensusCounts> counts = simnb::ReadObjectCensus(GetCurrentProcessId());
    EXPECT_TRUE(counts.has_value());
    return counts.value_or(simnb::CensusCounts{});
}

int32_t Live(const simnb::CensusCounts& c, CensusKind kind) { return c.kinds[static_cast<uint32_t>(kind)].live; }

class ObjectCensusHost : public ::testing::Test {
protected:
    // The census is loaded when asked for, and begins with the bridge's first use.
    static void SetUpTestSuite() {
        ::SetEnvironmentVariableW(L"ORV_SIM_OBJECT_CENSUS", L"1");
        s_bridge = new CORVWmiAcpi();
    }
    static void TearDownTestSuite() {
        delete s_bridge;
        s_bridge = nullptr;
    }
    static CORVWmiAcpi* s_bridge;
};

CORVWmiAcpi* ObjectCensusHost::s_bridge = nullptr;

}  // namespace

TEST_F(ObjectCensusHost, CountsThisProgramsObjectsUntilTheyAreReleased) {
    simnb::CensusCounts before = Census();
    EXPECT_GT(before.patchedImports, 0u);

    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HMENU menu = CreatePopupMenu();
    simnb::CensusCounts during = Census();
    EXPECT_EQ(Live(during, CensusKind::Brush), Live(before, CensusKind::Brush) + 1);
    EXPECT_EQ(Live(during, CensusKind::WindowDC), Live(before, CensusKind::WindowDC) + 1);
    EXPECT_EQ(Live(during, CensusKind::MemoryDC), Live(before, CensusKind::MemoryDC) + 1);
    EXPECT_EQ(Live(during, CensusKind::Bitmap), Live(before, CensusKind::Bitmap) + 1);
    EXPECT_EQ(Live(during, CensusKind::Menu), Live(before, CensusKind::Menu) + 1);
    EXPECT_EQ(simnb::LiveObjects(during, true), simnb::LiveObjects(before, true) + 4);
    EXPECT_EQ(simnb::LiveObjects(during, false), simnb::LiveObjects(before, false) + 1);

    // A leak shows as a live count that stays up.
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(Live(Census(), CensusKind::Brush), Live(before, CensusKind::Brush));

    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_TRUE(DestroyMenu(menu));
    simnb::CensusCounts after = Census();
    for (uint32_t i = 0; i < simnb::kCensusKindCount; ++i) EXPECT_EQ(after.kinds[i].live, before.kinds[i].live) << i;
    EXPECT_EQ(after.foreignReleases, before.foreignReleases);
}

TEST_F(ObjectCensusHost, FailuresStockObjectsAndSubmenusAreNotMiscounted) {
    simnb::CensusCounts before = Census();
    // A failed creation and a failed release change nothing.
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, -5, -5), nullptr);
    EXPECT_FALSE(DestroyMenu(reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x7ff0))));
    // Deleting a stock object is a no-op the census notes as foreign, not as a release.
    DeleteObject(GetStockObject(BLACK_BRUSH));
    simnb::CensusCounts afterStock = Census();
    EXPECT_EQ(Live(afterStock, CensusKind::Brush), Live(before, CensusKind::Brush));
    EXPECT_EQ(afterStock.kinds[static_cast<uint32_t>(CensusKind::Bitmap)].created,
              before.kinds[static_cast<uint32_t>(CensusKind::Bitmap)].created);

    // Destroying a menu destroys its submenus with it.
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 1, L"inner"));
    ASSERT_TRUE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"outer"));
    EXPECT_EQ(Live(Census(), CensusKind::Menu), Live(before, CensusKind::Menu) + 2);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_EQ(Live(Census(), CensusKind::Menu), Live(before, CensusKind::Menu));
}
