// A whole tray-style menu painted the way the system lays it out, saved as a picture for a
// person to look at (MenuXP.bmp in the working folder).
#include "MenuTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

using namespace menutest;

namespace {

// A 32 x 32 icon drawn at 16 x 16, like the product's menu icons: a coloured disc-ish
// square with a transparent border.
HICON MakeMenuIcon(COLORREF clr) { return MakeIcon(32, clr, RECT{6, 6, 26, 26}); }

struct Entry {
    ULONG_PTR data;
    UINT width;
    UINT height;
};

}  // namespace

TEST(MenuXPPicture, TrayMenuWithSideBarIconsSelectionAndDisabledEntry) {
    auto menu = std::make_unique<CMenuXP>();
    menu->Attach(::CreatePopupMenu());
    menu->m_clrSelBack = RGB(120, 160, 220);
    menu->m_nStyle = CMenuXP::STYLE_FLAT;
    menu->AppendSideBar(new CMenuXPSideBar);
    menu->AppendItem(new CMenuXPText(300, L"Enable", MakeMenuIcon(RGB(220, 30, 30))));
    menu->AppendItem(new CMenuXPText(301, L"Disable", nullptr));
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(302, L"About", MakeMenuIcon(RGB(200, 40, 40))));
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(303, L"Exit", MakeMenuIcon(RGB(180, 20, 20))));

    // Sizes as the system takes them: it adds the check-mark width less one to each.
    const int nCheck = ::GetSystemMetrics(SM_CXMENUCHECK);
    std::vector<Entry> entries;
    for (int pos = 0; pos < menu->GetMenuItemCount(); ++pos) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_DATA;
        ::GetMenuItemInfoW(*menu, static_cast<UINT>(pos), TRUE, &mii);
        MEASUREITEMSTRUCT mis = {};
        mis.CtlType = ODT_MENU;
        mis.itemData = mii.dwItemData;
        menu->MeasureItem(&mis);
        entries.push_back(Entry{mii.dwItemData, mis.itemWidth + static_cast<UINT>(nCheck - 1),
                                mis.itemHeight});
    }
    const int nBar = static_cast<int>(entries[0].width);
    int nColumn = 0, nHeight = 0;
    for (size_t i = 1; i < entries.size(); ++i) {
        nColumn = std::max(nColumn, static_cast<int>(entries[i].width));
        nHeight += static_cast<int>(entries[i].height);
    }
    EXPECT_EQ(nBar, 16);

    // The firmware option off: "Enable" (the current choice, with its icon) and "Disable"
    // greyed; the pointer over "About".
    const UINT states[] = {0, ODS_GRAYED, ODS_GRAYED, 0, ODS_SELECTED, 0, 0};
    Canvas canvas(nBar + nColumn, nHeight, RGB(255, 0, 255));
    int y = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemState = states[i];
        dis.hDC = canvas.hdc();
        dis.itemData = entries[i].data;
        if (i == 0) {
            dis.rcItem = RECT{0, 0, nBar, 0};
        } else {
            dis.rcItem = RECT{nBar, y, nBar + nColumn, y + static_cast<int>(entries[i].height)};
            y += static_cast<int>(entries[i].height);
        }
        menu->DrawItem(&dis);
    }
    ASSERT_TRUE(canvas.SaveBmp("MenuXP.bmp"));

    EXPECT_EQ(canvas.Count(CRect(0, 0, canvas.Width(), canvas.Height()), RGB(255, 0, 255)), 0)
        << "every pixel of the menu is painted";
    EXPECT_EQ(canvas.Pixel(1, nHeight - 1), RGB(225, 225, 225));
    EXPECT_LE(GetRValue(canvas.Pixel(1, 0)), 4) << "nearly black at the top";
    EXPECT_EQ(canvas.Pixel(nBar, 0), menu->m_clrIconArea);  // greyed "Enable"
    const int yAbout = 40 + static_cast<int>(entries[3].height);
    EXPECT_EQ(canvas.Pixel(nBar, yAbout), RGB(0, 0, 0));  // the hovered entry's frame
    EXPECT_EQ(canvas.Pixel(nBar + 1, yAbout + 1), menu->m_clrSelBack);
    const CRect rcAboutIcon(nBar + 2, yAbout + 2, nBar + 18, yAbout + 18);
    EXPECT_GT(canvas.Count(rcAboutIcon, ::GetSysColor(COLOR_BTNSHADOW)), 10)
        << "the hovered icon's shadow, in the shadow colour after greyed text";
    EXPECT_EQ(canvas.Count(CRect(nBar + 2, 2, nBar + 18, 18), RGB(220, 30, 30)), 0)
        << "a greyed entry shows no colour of its icon";
    menu.reset();
}
