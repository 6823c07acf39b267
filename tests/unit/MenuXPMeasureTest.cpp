// Entry sizes reported to the system.
#include "MenuTestSupport.h"
#include <gtest/gtest.h>

using namespace menutest;

namespace {

MEASUREITEMSTRUCT Measure(CMenuXP& menu, ULONG_PTR itemData, UINT ctlType = ODT_MENU) {
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ctlType;
    mis.itemData = itemData;
    mis.itemWidth = 777;
    mis.itemHeight = 777;
    menu.MeasureItem(&mis);
    return mis;
}

ULONG_PTR Data(const CMenuXPItem& item) { return reinterpret_cast<ULONG_PTR>(&item); }

// The text's size in the bold menu font, measured here independently of the menu code.
SIZE BoldTextSize(LPCWSTR psz) {
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof(ncm);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    ncm.lfMenuFont.lfWeight = FW_BOLD;
    HFONT hFont = ::CreateFontIndirectW(&ncm.lfMenuFont);
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hFont);
    SIZE size = {};
    ::GetTextExtentPoint32W(hdc, psz, lstrlenW(psz), &size);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(nullptr, hdc);
    ::DeleteObject(hFont);
    return size;
}

const int kCheckWidth = ::GetSystemMetrics(SM_CXMENUCHECK);

}  // namespace

TEST(MenuXPMeasure, TextEntryIsTwentyHighAndFitsIconTextAndMargins) {
    CMenuXP menu;
    for (LPCWSTR psz : {L"Enable", L"Disable", L"About", L"Exit"}) {
        CMenuXPText item(300, psz, nullptr);
        SIZE text = BoldTextSize(psz);
        ASSERT_LT(text.cy, 20) << "the menu font is unexpectedly large";
        MEASUREITEMSTRUCT mis = Measure(menu, Data(item));
        EXPECT_EQ(mis.itemHeight, 20u) << psz;
        EXPECT_EQ(static_cast<int>(mis.itemWidth), 2 * 16 + 12 + text.cx + 1 - kCheckWidth)
            << psz;
    }
}

TEST(MenuXPMeasure, TallTextAndIconOnlyEntries) {
    CMenuXP menu;
    LOGFONTW lf = {};
    menu.m_fontMenu.GetLogFont(&lf);
    lf.lfHeight = -48;  // far taller than the 16-pixel icon
    menu.m_fontMenu.DeleteObject();
    menu.m_fontMenu.CreateFontIndirect(&lf);
    lf.lfWeight = FW_BOLD;
    HFONT hBold = ::CreateFontIndirectW(&lf);
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hBold);
    SIZE text = {};
    ::GetTextExtentPoint32W(hdc, L"Enable", 6, &text);
    ::SelectObject(hdc, hOld);
    ::ReleaseDC(nullptr, hdc);
    ::DeleteObject(hBold);

    CMenuXPText item(300, L"Enable", nullptr);
    MEASUREITEMSTRUCT mis = Measure(menu, Data(item));
    EXPECT_GT(mis.itemHeight, 20u) << "the text's height wins over the icon's";
    EXPECT_LE(static_cast<int>(mis.itemHeight), text.cy);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), 2 * 16 + 12 + text.cx + 1 - kCheckWidth);

    CMenuXPText button(301, L"Ignored text", nullptr);
    button.m_bButtonOnly = true;
    CMenuXP small;
    mis = Measure(small, Data(button));
    EXPECT_EQ(mis.itemHeight, 20u);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), 20 + 1 - kCheckWidth);
}

TEST(MenuXPMeasure, SeparatorWidthWrapsBelowZero) {
    CMenuXP menu;
    CMenuXPSeparator separator;
    MEASUREITEMSTRUCT mis = Measure(menu, Data(separator));
    EXPECT_EQ(mis.itemHeight, static_cast<UINT>(::GetSystemMetrics(SM_CYMENUCHECK) / 2));
    EXPECT_EQ(mis.itemWidth, static_cast<UINT>(1 - kCheckWidth));
    if (kCheckWidth == 13) {
        EXPECT_EQ(mis.itemWidth, 0xFFFFFFF4u);
    }
    EXPECT_GT(mis.itemWidth, 0x80000000u) << "stored wrapped, not clamped to 0";
}

TEST(MenuXPMeasure, SideBarHasNoHeight) {
    CMenuXP menu;
    CMenuXPSideBar bar;
    MEASUREITEMSTRUCT mis = Measure(menu, Data(bar));
    EXPECT_EQ(mis.itemHeight, 0u);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), 16 + 1 - kCheckWidth);
}

TEST(MenuXPMeasure, ForeignDataAndOtherControlsAreNotSized) {
    CMenuXP menu;
    struct {
        void* vtable;
        DWORD dwTag;
    } lookalike = {nullptr, MENUXP_ITEM_TAG};  // carries the tag but is no item
    CMenuXPText item(300, L"Enable", nullptr);
    for (ULONG_PTR data : {ULONG_PTR{0}, ULONG_PTR{42}, reinterpret_cast<ULONG_PTR>(&lookalike)}) {
        MEASUREITEMSTRUCT mis = Measure(menu, data);
        EXPECT_EQ(mis.itemWidth, 777u);
        EXPECT_EQ(mis.itemHeight, 777u);
    }
    MEASUREITEMSTRUCT mis = Measure(menu, Data(item), ODT_LISTBOX);
    EXPECT_EQ(mis.itemWidth, 777u);
    EXPECT_EQ(mis.itemHeight, 777u);
}

TEST(MenuXPMeasure, MenuFontReplacedBetweenEntriesIsUsedForTheNextEntry) {
    CMenuXP menu;
    CMenuXPText item(300, L"Enable", nullptr);
    const MEASUREITEMSTRUCT small = Measure(menu, Data(item));
    EXPECT_EQ(small.itemHeight, 20u);

    LOGFONTW lf = {};
    menu.m_fontMenu.GetLogFont(&lf);
    lf.lfHeight = -48;
    menu.m_fontMenu.DeleteObject();
    menu.m_fontMenu.CreateFontIndirect(&lf);
    const MEASUREITEMSTRUCT tall = Measure(menu, Data(item));
    EXPECT_GT(tall.itemHeight, 20u) << "measured with the bold copy of the old font";
    EXPECT_GT(tall.itemWidth, small.itemWidth);
}
