// Seeded random tests of the menu's measuring and drawing: random item data (texts,
// icons, kinds), random states, styles and rectangles, and foreign item data. Nothing may
// crash, every GDI object made is deleted again, and each draw leaves the device context
// with the objects it had.
#include "AfxGdi.h"
#include "MenuTestSupport.h"
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace menutest;

namespace {

const uint32_t kSeed = 20261207;
const int kMenus = 300;
const int kDrawsPerMenu = 40;

std::wstring RandomText(std::mt19937& rng) {
    static const wchar_t kChars[] = L"aZ &\t\x00e9\x4e2d\x0627 .0";
    std::uniform_int_distribution<int> length(0, 60), pick(0, sizeof kChars / sizeof kChars[0] - 2), longOne(0, 20);
    int n = longOne(rng) == 0 ? 600 : length(rng);
    std::wstring text;
    for (int i = 0; i < n; ++i) text += kChars[pick(rng)];
    return text;
}

CMenuXPItem* RandomItem(std::mt19937& rng) {
    std::uniform_int_distribution<int> kind(0, 9), coin(0, 1);
    switch (kind(rng)) {
    case 0: return new CMenuXPSeparator;
    case 1: {
        auto* bar = new CMenuXPSideBar;
        if (coin(rng)) bar->m_strText = RandomText(rng).c_str();
        return bar;
    }
    default: {
        HICON icon = coin(rng) ? MakeSquareIcon(RGB(rng() & 255, rng() & 255, rng() & 255)) : nullptr;
        auto* item = new CMenuXPText(300 + kind(rng), RandomText(rng).c_str(), icon);
        item->m_bButtonOnly = coin(rng) && coin(rng);
        return item;
    }
    }
}

RECT RandomRect(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(-300, 600), kind(0, 9);
    if (kind(rng) == 0) return RECT{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
    return RECT{coord(rng), coord(rng), coord(rng), coord(rng)};  // also empty and inverted
}

struct DcObjects {
    HGDIOBJ font, pen, brush, bitmap;
    explicit DcObjects(HDC dc)
        : font(::GetCurrentObject(dc, OBJ_FONT)), pen(::GetCurrentObject(dc, OBJ_PEN)),
          brush(::GetCurrentObject(dc, OBJ_BRUSH)), bitmap(::GetCurrentObject(dc, OBJ_BITMAP)) {}
    bool operator==(const DcObjects& o) const {
        return font == o.font && pen == o.pen && brush == o.brush && bitmap == o.bitmap;
    }
};

}  // namespace

TEST(FuzzMenu, RandomItemsStatesAndRectanglesMeasureAndDrawSafely) {
    std::mt19937 rng(kSeed);
    Canvas canvas(400, 300, RGB(1, 2, 3));
    const LONG gdiBefore = AfxGetLiveGdiObjectCount();
    std::uniform_int_distribution<int> items(0, 8), style(0, 3), pickItem(0, 1000);
    for (int m = 0; m < kMenus; ++m) {
        auto menu = std::make_unique<CMenuXP>();
        menu->Attach(::CreatePopupMenu());
        menu->m_nStyle = style(rng) == 3 ? static_cast<int>(rng()) : (style(rng) == 0 ? CMenuXP::STYLE_3D : CMenuXP::STYLE_FLAT);
        std::vector<ULONG_PTR> data;
        int n = items(rng);
        for (int i = 0; i < n; ++i) {
            CMenuXPItem* item = RandomItem(rng);
            data.push_back(reinterpret_cast<ULONG_PTR>(item));
            if (item->m_bSideBar) menu->AppendSideBar(static_cast<CMenuXPSideBar*>(item));
            else if (item->m_bSeparator) { delete item; data.back() = 0; menu->AppendSeparator(); }
            else menu->AppendItem(item);
        }
        // Foreign item data: a number, a pointer to something else, a freed item.
        data.push_back(0x12345678);
        data.push_back(reinterpret_cast<ULONG_PTR>(&canvas));
        {
            auto* gone = new CMenuXPText(1, L"gone", nullptr);
            data.push_back(reinterpret_cast<ULONG_PTR>(gone));
            delete gone;
        }
        for (int d = 0; d < kDrawsPerMenu; ++d) {
            ULONG_PTR itemData = data[static_cast<size_t>(pickItem(rng)) % data.size()];
            MEASUREITEMSTRUCT mis = {};
            mis.CtlType = ODT_MENU;
            mis.itemData = itemData;
            menu->MeasureItem(&mis);
            ASSERT_LT(mis.itemWidth, 100000u);
            ASSERT_LT(mis.itemHeight, 10000u);
            DRAWITEMSTRUCT dis = {};
            dis.CtlType = ODT_MENU;
            dis.itemState = static_cast<UINT>(rng()) & 0x1FFF;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.hDC = canvas.hdc();
            dis.rcItem = RandomRect(rng);
            dis.itemData = itemData;
            DcObjects before(canvas.hdc());
            menu->DrawItem(&dis);
            ASSERT_TRUE(DcObjects(canvas.hdc()) == before) << "menu " << m << " draw " << d;
        }
        menu->DestroyItems();
        menu.reset();
        ASSERT_EQ(AfxGetLiveGdiObjectCount(), gdiBefore) << "after menu " << m;
    }
}
