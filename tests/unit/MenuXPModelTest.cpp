// The menu object: defaults, how entries are appended, and what it frees.
#include "MenuTestSupport.h"
#include <gtest/gtest.h>
#include <memory>

using namespace menutest;

namespace {

struct EntryInfo {
    UINT fType;
    UINT wID;
    ULONG_PTR dwItemData;
};

EntryInfo Entry(HMENU hMenu, int nPos) {
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    EXPECT_TRUE(::GetMenuItemInfoW(hMenu, static_cast<UINT>(nPos), TRUE, &mii));
    return EntryInfo{mii.fType, mii.wID, mii.dwItemData};
}

std::unique_ptr<CMenuXP> NewPopup() {
    auto menu = std::make_unique<CMenuXP>();
    menu->Attach(::CreatePopupMenu());
    return menu;
}

}  // namespace

TEST(MenuXPModel, UsesTheSystemMenuFontAndIsRecognisedAsCMenuXP) {
    CMenuXP menu;
    EXPECT_TRUE(menu.IsKindOf(RUNTIME_CLASS(CMenuXP)));
    EXPECT_TRUE(menu.IsKindOf(RUNTIME_CLASS(CMenu)));
    EXPECT_STREQ(RUNTIME_CLASS(CMenuXP)->m_lpszClassName, "CMenuXP");

    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof(ncm);
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0));
    LOGFONTW lf = {};
    ASSERT_NE(menu.m_fontMenu.GetLogFont(&lf), 0);
    EXPECT_STREQ(lf.lfFaceName, ncm.lfMenuFont.lfFaceName);
    EXPECT_EQ(lf.lfHeight, ncm.lfMenuFont.lfHeight);
    EXPECT_EQ(lf.lfWeight, ncm.lfMenuFont.lfWeight);
}

TEST(MenuXPModel, AppendItemTurnsPendingBreaksIntoFlagsAndClearsThem) {
    struct Case {
        BOOL bBreak, bBreakBar;
        UINT fType;
    };
    const Case cases[] = {{FALSE, FALSE, 0x100}, {TRUE, FALSE, 0x140},
                          {FALSE, TRUE, 0x120},  {TRUE, TRUE, 0x160}};
    auto menu = NewPopup();
    UINT nID = 500;
    for (const Case& c : cases) {
        menu->m_bBreak = c.bBreak;
        menu->m_bBreakBar = c.bBreakBar;
        auto* pItem = new CMenuXPText(nID, L"Entry", nullptr);
        menu->AppendItem(pItem);
        EXPECT_FALSE(menu->m_bBreak);
        EXPECT_FALSE(menu->m_bBreakBar);
        EntryInfo e = Entry(*menu, menu->GetMenuItemCount() - 1);
        EXPECT_EQ(e.fType, c.fType) << "break " << c.bBreak << " bar " << c.bBreakBar;
        EXPECT_EQ(e.wID, nID);
        EXPECT_EQ(e.dwItemData, reinterpret_cast<ULONG_PTR>(pItem));
        ++nID;
    }
}

TEST(MenuXPModel, SideBarStandsAloneInTheFirstColumn) {
    auto menu = NewPopup();
    auto* pBar = new CMenuXPSideBar;
    menu->AppendSideBar(pBar);
    EXPECT_TRUE(menu->m_bBreak);
    EXPECT_FALSE(menu->m_bBreakBar);
    menu->AppendItem(new CMenuXPText(300, L"Enable", nullptr));
    menu->AppendItem(new CMenuXPText(301, L"Disable", nullptr));
    menu->AppendSeparator();

    EntryInfo bar = Entry(*menu, 0);
    EXPECT_EQ(bar.fType, 0x900u);
    EXPECT_EQ(bar.wID, 0u);
    EXPECT_EQ(bar.dwItemData, reinterpret_cast<ULONG_PTR>(pBar));
    EXPECT_EQ(Entry(*menu, 1).fType, 0x140u);
    EXPECT_EQ(Entry(*menu, 2).fType, 0x100u);
    EntryInfo separator = Entry(*menu, 3);
    EXPECT_EQ(separator.fType, 0x900u);
    EXPECT_EQ(separator.wID, 0u);
    const CMenuXPItem* pSeparator = CMenuXPItem::FromItemData(separator.dwItemData);
    ASSERT_NE(pSeparator, nullptr);
    EXPECT_TRUE(pSeparator->m_bSeparator);
}

TEST(MenuXPModel, SeparatorAfterSideBarDropsThePendingBreak) {
    auto menu = NewPopup();
    menu->AppendSideBar(new CMenuXPSideBar);
    menu->m_bBreakBar = TRUE;
    menu->AppendSeparator();
    EXPECT_FALSE(menu->m_bBreak);
    EXPECT_FALSE(menu->m_bBreakBar);
    menu->AppendItem(new CMenuXPText(300, L"Enable", nullptr));
    EXPECT_EQ(Entry(*menu, 1).fType, 0x900u);
    EXPECT_EQ(Entry(*menu, 2).fType, 0x100u);
}

TEST(MenuXPModel, ItemRefusedByTheMenuIsFreedAtOnce) {
    CMenuXP menu;  // no menu handle: every append fails
    CountedItem::s_nDestroyed = 0;
    HICON hIcon = MakeSquareIcon(RGB(255, 0, 0));
    menu.AppendItem(new CountedItem(300, L"Lost", hIcon));
    EXPECT_EQ(CountedItem::s_nDestroyed, 1);
    EXPECT_FALSE(IconIsAlive(hIcon));
}

TEST(MenuXPModel, DestructionFreesEveryItemAndIcon) {
    CountedItem::s_nDestroyed = 0;
    HICON hIcons[3] = {MakeSquareIcon(RGB(255, 0, 0)), MakeSquareIcon(RGB(0, 255, 0)),
                       MakeSquareIcon(RGB(0, 0, 255))};
    auto menu = NewPopup();
    HMENU hMenu = *menu;
    menu->AppendSideBar(new CMenuXPSideBar);
    menu->AppendItem(new CountedItem(300, L"Enable", hIcons[0]));
    menu->AppendItem(new CountedItem(301, L"Disable", nullptr));
    menu->AppendSeparator();
    menu->AppendItem(new CountedItem(302, L"About", hIcons[1]));
    menu->AppendSeparator();
    menu->AppendItem(new CountedItem(303, L"Exit", hIcons[2]));
    std::vector<ULONG_PTR> data;
    for (int i = 0; i < menu->GetMenuItemCount(); ++i)
        data.push_back(Entry(hMenu, i).dwItemData);

    menu.reset();
    EXPECT_EQ(CountedItem::s_nDestroyed, 4);
    for (HICON hIcon : hIcons)
        EXPECT_FALSE(IconIsAlive(hIcon));
    for (ULONG_PTR d : data)  // side bar and separators too
        EXPECT_EQ(CMenuXPItem::FromItemData(d), nullptr);
    EXPECT_FALSE(::IsMenu(hMenu));
    EXPECT_EQ(CMenu::FromHandlePermanent(hMenu), nullptr);
}

TEST(MenuXPModel, DestroyItemsLeavesForeignDataAndPlainSubMenusAlone) {
    struct Foreign {
        DWORD dwFirst = 0x12345678;
        DWORD dwSecond = 0;
    } foreign;
    Counted<CMenu>::s_nDestroyed = 0;
    auto* pPlain = new Counted<CMenu>;
    pPlain->Attach(::CreatePopupMenu());
    HMENU hPlain = *pPlain;

    auto menu = NewPopup();
    ::AppendMenuW(*menu, MF_OWNERDRAW, 400, reinterpret_cast<LPCWSTR>(&foreign));
    ::AppendMenuW(*menu, MF_OWNERDRAW, 401, reinterpret_cast<LPCWSTR>(ULONG_PTR{42}));
    ::AppendMenuW(*menu, MF_OWNERDRAW, 402, nullptr);
    ::AppendMenuW(*menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(hPlain), L"Plain");
    menu->DestroyItems();
    EXPECT_EQ(foreign.dwFirst, 0x12345678u);
    EXPECT_EQ(Counted<CMenu>::s_nDestroyed, 0);
    EXPECT_EQ(CMenu::FromHandlePermanent(hPlain), pPlain);
    EXPECT_EQ(menu->GetMenuItemCount(), 4);  // entries stay, only objects go

    menu.reset();  // destroys the parent menu and with it the sub-menu handle
    pPlain->Detach();
    delete pPlain;
}

TEST(MenuXPModel, NestedMenuXPIsFreedWithItsItems) {
    CountedItem::s_nDestroyed = 0;
    Counted<CMenuXP>::s_nDestroyed = 0;
    auto* pSub = new Counted<CMenuXP>;
    pSub->Attach(::CreatePopupMenu());
    HICON hIcon = MakeSquareIcon(RGB(255, 0, 0));
    pSub->AppendItem(new CountedItem(600, L"Inner", hIcon));
    pSub->AppendItem(new CountedItem(601, L"Inner 2", nullptr));

    auto menu = NewPopup();
    menu->AppendItem(new CountedItem(300, L"Outer", nullptr));
    ::AppendMenuW(*menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(pSub->m_hMenu), L"Sub");
    menu->DestroyItems();
    EXPECT_EQ(Counted<CMenuXP>::s_nDestroyed, 1);
    EXPECT_EQ(CountedItem::s_nDestroyed, 3);
    EXPECT_FALSE(IconIsAlive(hIcon));
}

TEST(MenuXPModel, EmptyMenuFreesOnlyItsBackgroundPicture) {
    CMenuXP noHandle;
    noHandle.DestroyItems();  // no menu at all: nothing to walk

    auto menu = NewPopup();
    HBITMAP hPicture = ::CreateBitmap(4, 4, 1, 32, nullptr);
    menu->m_hBackBitmap = hPicture;
    menu->DestroyItems();
    EXPECT_EQ(menu->m_hBackBitmap, nullptr);
    EXPECT_EQ(::GetObjectType(hPicture), 0u);
    EXPECT_EQ(menu->GetMenuItemCount(), 0);
}
