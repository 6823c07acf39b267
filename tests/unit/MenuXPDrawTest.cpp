// Entries painted through DrawItem into a canvas and read back pixel by pixel.
#include "MenuTestSupport.h"
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace menutest;

namespace {

const COLORREF kCanvas = RGB(0, 128, 0);  // never painted by the menu
const COLORREF kRed = RGB(255, 0, 0);

// A menu with colours that are told apart easily.
void Paint(CMenuXP& menu) {
    menu.m_clrBack = RGB(240, 240, 240);
    menu.m_clrIconArea = RGB(200, 200, 230);
    menu.m_clrSelBack = RGB(120, 160, 220);
    menu.m_clrText = RGB(0, 0, 0);
    menu.m_clrSelText = RGB(255, 255, 255);
    menu.m_clrGrayText = RGB(128, 128, 128);
}

void Draw(CMenuXP& menu, Canvas& canvas, const CMenuXPItem& item, const RECT& rc,
          UINT itemState = 0) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = item.m_dwID;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    dis.hDC = canvas.hdc();
    dis.rcItem = rc;
    dis.itemData = reinterpret_cast<ULONG_PTR>(&item);
    menu.DrawItem(&dis);
}

// A 20-pixel text entry at (10, 5): icon square 10..29, icon 12..27 with its opaque part at
// 16..23 x 11..18, text from x 32 to 154.
const CRect kEntry(10, 5, 170, 25);
const CRect kSquare(10, 5, 30, 25);
const CRect kShape(16, 11, 24, 19);
const CRect kTextInside(32, 6, 154, 24);  // the text rectangle less the frame's rows

struct TextEntryTest : ::testing::Test {
    Canvas canvas{180, 30, kCanvas};
    CMenuXP menu;
    std::unique_ptr<CMenuXPText> item;
    void SetUp() override {
        Paint(menu);
        item = std::make_unique<CMenuXPText>(300, L"Enable", MakeSquareIcon(kRed));
    }
    void TearDown() override { EXPECT_EQ(canvas.CountOutsideNot(kEntry, kCanvas), 0); }
};

}  // namespace

TEST_F(TextEntryTest, NormalEntryInTheFlatStyle) {
    Draw(menu, canvas, *item, kEntry);
    EXPECT_EQ(canvas.Pixel(kEntry.right - 1, kEntry.top), menu.m_clrBack);
    EXPECT_EQ(canvas.Pixel(kEntry.right - 2, kEntry.bottom - 1), menu.m_clrBack);
    EXPECT_EQ(canvas.Pixel(kSquare.left, kSquare.top), menu.m_clrIconArea);
    EXPECT_EQ(canvas.Pixel(kSquare.right - 1, kSquare.bottom - 1), menu.m_clrIconArea);
    EXPECT_EQ(canvas.Count(kShape, kRed), 64);
    EXPECT_EQ(canvas.Count(kEntry, kRed), 64);
    EXPECT_GT(canvas.Count(kTextInside, menu.m_clrText), 10);
    EXPECT_EQ(canvas.Count(kEntry, menu.m_clrSelBack), 0);
}

TEST_F(TextEntryTest, SelectedEntryIsFramedWithTheIconLiftedOverItsShadow) {
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    Draw(menu, canvas, *item, kEntry, ODS_SELECTED);
    // One-pixel black frame inside the entry, highlight everywhere else, icon column too.
    for (int x = kEntry.left; x < kEntry.right; ++x) {
        ASSERT_EQ(canvas.Pixel(x, kEntry.top), RGB(0, 0, 0)) << x;
        ASSERT_EQ(canvas.Pixel(x, kEntry.bottom - 1), RGB(0, 0, 0)) << x;
    }
    for (int y = kEntry.top; y < kEntry.bottom; ++y) {
        ASSERT_EQ(canvas.Pixel(kEntry.left, y), RGB(0, 0, 0)) << y;
        ASSERT_EQ(canvas.Pixel(kEntry.right - 1, y), RGB(0, 0, 0)) << y;
    }
    EXPECT_EQ(canvas.Pixel(kSquare.left + 1, kSquare.top + 1), menu.m_clrSelBack);
    EXPECT_EQ(canvas.Pixel(kEntry.right - 2, kEntry.top + 1), menu.m_clrSelBack);
    EXPECT_EQ(canvas.Count(kEntry, menu.m_clrIconArea), 0);

    CRect rcLifted = kShape;
    rcLifted.OffsetRect(-1, -1);
    EXPECT_EQ(canvas.Count(rcLifted, kRed), 64);
    EXPECT_EQ(canvas.Count(kEntry, kRed), 64);
    // The shadow shows right of and below the lifted icon, two pixels wide.
    EXPECT_EQ(canvas.Count(CRect(23, 11, 25, 20), shadow), 17);
    EXPECT_EQ(canvas.Count(CRect(16, 18, 23, 20), shadow), 13);
    EXPECT_EQ(canvas.Pixel(24, 11), menu.m_clrSelBack);

    EXPECT_GT(canvas.Count(kTextInside, menu.m_clrSelText), 10);
    EXPECT_EQ(canvas.Count(kTextInside, menu.m_clrText), 0);
}

TEST_F(TextEntryTest, DisabledEntryShowsEmbossedIconAndEtchedGreyText) {
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    for (UINT state : {UINT{ODS_GRAYED}, UINT{ODS_GRAYED | ODS_SELECTED}}) {
        canvas.Fill(CRect(0, 0, 180, 30), kCanvas);
        Draw(menu, canvas, *item, kEntry, state);
        EXPECT_EQ(canvas.Pixel(kEntry.right - 1, kEntry.top), menu.m_clrBack) << state;
        EXPECT_EQ(canvas.Pixel(kSquare.left, kSquare.top), menu.m_clrIconArea) << state;
        EXPECT_EQ(canvas.Count(kEntry, menu.m_clrSelBack), 0) << state;
        EXPECT_EQ(canvas.Count(kEntry, kRed), 0) << state;
        EXPECT_EQ(canvas.Count(kShape, shadow), 64) << state;
        EXPECT_EQ(canvas.Count(CRect(24, 12, 25, 20), highlight), 8) << state;

        CRect grey = canvas.Bounds(kTextInside, menu.m_clrGrayText);
        CRect etch = canvas.Bounds(kTextInside, menu.m_clrSelText);
        ASSERT_FALSE(grey.IsRectEmpty()) << state;
        ASSERT_FALSE(etch.IsRectEmpty()) << state;
        EXPECT_EQ(etch.right, grey.right + 1) << state;
        EXPECT_EQ(etch.bottom, grey.bottom + 1) << state;
        EXPECT_EQ(canvas.Count(kTextInside, menu.m_clrText), 0) << state;
    }
}

TEST_F(TextEntryTest, CheckedEntryWithoutIconShowsTheThreeStrokeMark) {
    CMenuXPText plain(301, L"Disable", nullptr);
    Draw(menu, canvas, plain, kEntry, ODS_CHECKED);
    // The icon column becomes a framed highlight square.
    EXPECT_EQ(canvas.Pixel(kSquare.left, kSquare.top), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(kSquare.right - 1, kSquare.bottom - 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(kSquare.left + 1, kSquare.top + 1), menu.m_clrSelBack);
    EXPECT_EQ(canvas.Pixel(kSquare.right, kSquare.top), menu.m_clrBack);

    // The mark: x0 = 16, y0 = 11; strokes (16,14+k)-(18,16+k)-(23,11+k), end points open.
    const int x0 = 16, y0 = 11;
    const CRect rcMark(x0, y0, x0 + 7, y0 + 8);
    int nBlack = 0;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(canvas.Pixel(x0 + i, y0 + 3 + k + i), RGB(0, 0, 0)) << k << "," << i;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(canvas.Pixel(x0 + 2 + i, y0 + 5 + k - i), RGB(0, 0, 0)) << k << "," << i;
    }
    nBlack = canvas.Count(rcMark, RGB(0, 0, 0));
    EXPECT_EQ(nBlack, 3 * 7);
    EXPECT_EQ(canvas.Pixel(x0 + 7, y0), menu.m_clrSelBack);
    EXPECT_EQ(canvas.Pixel(x0, y0 + 2), menu.m_clrSelBack);
}

TEST_F(TextEntryTest, CheckedSelectedEntryDrawsItsIconInPlace) {
    Draw(menu, canvas, *item, kEntry, ODS_CHECKED | ODS_SELECTED);
    EXPECT_EQ(canvas.Count(kShape, kRed), 64);
    EXPECT_EQ(canvas.Count(kEntry, ::GetSysColor(COLOR_BTNSHADOW)), 0);
}

TEST_F(TextEntryTest, ThreeDStyleSelectedDisabledEntryIsHighlightedWithoutEtch) {
    menu.m_nStyle = CMenuXP::STYLE_3D;
    Draw(menu, canvas, *item, kEntry, ODS_SELECTED | ODS_GRAYED);
    EXPECT_EQ(canvas.Pixel(kEntry.right - 1, kEntry.top), menu.m_clrSelBack);  // no frame
    EXPECT_EQ(canvas.Pixel(kEntry.right - 2, kEntry.bottom - 2), menu.m_clrSelBack);
    EXPECT_EQ(canvas.Pixel(kSquare.left, kSquare.top), menu.m_clrBack);  // the button
    EXPECT_EQ(canvas.Count(kEntry, menu.m_clrIconArea), 0);
    EXPECT_EQ(canvas.Count(kEntry, kRed), 0);
    EXPECT_EQ(canvas.Count(kShape, ::GetSysColor(COLOR_BTNSHADOW)), 64);
    EXPECT_GT(canvas.Count(kTextInside, menu.m_clrGrayText), 10);
    EXPECT_EQ(canvas.Count(kTextInside, menu.m_clrSelText), 0);
}

TEST_F(TextEntryTest, TabbedTextSplitsIntoLeftAndRightParts) {
    CRect rcLeftHalf(32, 6, 93, 24), rcRightHalf(93, 6, 154, 24);
    CMenuXPText tabbed(302, L"Open\tCtrl+O", nullptr);
    Draw(menu, canvas, tabbed, kEntry);
    EXPECT_GT(canvas.Count(rcLeftHalf, menu.m_clrText), 10);
    EXPECT_GT(canvas.Count(rcRightHalf, menu.m_clrText), 10);
    CRect right = canvas.Bounds(rcRightHalf, menu.m_clrText);
    EXPECT_GE(right.right, 154 - 5) << "the part after the tab ends at the text's right edge";

    canvas.Fill(kEntry, kCanvas);
    CMenuXPText leading(303, L"\tCtrl+O", nullptr);
    Draw(menu, canvas, leading, kEntry);
    EXPECT_EQ(canvas.Count(kTextInside, menu.m_clrText), 0);
}

TEST_F(TextEntryTest, DefaultEntryIsDrawnBold) {
    CMenuXPText plain(301, L"Disable", nullptr);
    Draw(menu, canvas, plain, kEntry);
    const int nNormal = canvas.CountNot(kTextInside, menu.m_clrBack);
    const CRect rcNormal = canvas.Bounds(kTextInside, menu.m_clrText);
    canvas.Fill(kEntry, kCanvas);
    Draw(menu, canvas, plain, kEntry, ODS_DEFAULT);
    EXPECT_GT(canvas.CountNot(kTextInside, menu.m_clrBack), nNormal + 10);
    EXPECT_GT(canvas.Bounds(kTextInside, menu.m_clrText).right, rcNormal.right);
}

TEST(MenuXPDraw, SeparatorLineStartsAtTheIconColumn) {
    Canvas canvas(180, 40, kCanvas);
    CMenuXP menu;
    Paint(menu);
    CMenuXPSeparator separator;
    const CRect rc(10, 5, 170, 15);
    Draw(menu, canvas, separator, rc);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    // Etched line across the middle (y 10 and 11), covered by the 20-pixel icon column.
    for (int x = 30; x < 170; ++x) {
        ASSERT_EQ(canvas.Pixel(x, 10), shadow) << x;
        ASSERT_EQ(canvas.Pixel(x, 11), highlight) << x;
        ASSERT_EQ(canvas.Pixel(x, 9), menu.m_clrBack) << x;
        ASSERT_EQ(canvas.Pixel(x, 12), menu.m_clrBack) << x;
    }
    // The column's square is taller than the separator: only its part inside the entry shows.
    EXPECT_EQ(canvas.Count(CRect(10, 5, 30, 15), menu.m_clrIconArea), 200);
    EXPECT_EQ(canvas.CountOutsideNot(rc, kCanvas), 0);

    menu.m_nStyle = CMenuXP::STYLE_3D;  // no icon column: the line runs across
    canvas.Fill(CRect(0, 0, 180, 40), kCanvas);
    Draw(menu, canvas, separator, rc);
    EXPECT_EQ(canvas.Count(CRect(10, 10, 170, 11), shadow), 160);
    EXPECT_EQ(canvas.CountOutsideNot(rc, kCanvas), 0);
}

// The menu repaints single entries as the highlight moves, in the order Wine sends them when
// the pointer goes from Exit over the separator onto About: no repaint of one entry may
// change its neighbours. The separator's repaint used to cover the top of Exit's icon.
TEST(MenuXPDraw, RepaintingOneEntryLeavesItsNeighboursAlone) {
    Canvas canvas(130, 100, kCanvas);
    CMenuXP menu;
    Paint(menu);
    CMenuXPText about(302, L"About", MakeSquareIcon(kRed));
    CMenuXPSeparator separator;
    CMenuXPText exit(303, L"Exit", MakeSquareIcon(RGB(0, 0, 255)));
    const CRect rcAbout(25, 49, 117, 69), rcSeparator(25, 69, 117, 75), rcExit(25, 75, 117, 95);
    // The context comes with a clip region of its own, which must survive the painting.
    const CRect rcClip(3, 3, 117, 95);
    HRGN hClip = ::CreateRectRgnIndirect(rcClip);
    ::SelectClipRgn(canvas.hdc(), hClip);
    ::DeleteObject(hClip);

    struct Step { const CMenuXPItem* item; CRect rc; UINT action, state; } const first[] = {
        {&about, rcAbout, ODA_DRAWENTIRE, 0},
        {&separator, rcSeparator, ODA_DRAWENTIRE, ODS_GRAYED | ODS_DISABLED},
        {&exit, rcExit, ODA_DRAWENTIRE, 0}};
    auto draw = [&](const Step& p) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = p.item->m_dwID;
        dis.itemAction = p.action;
        dis.itemState = p.state;
        dis.hDC = canvas.hdc();
        dis.rcItem = p.rc;
        dis.itemData = reinterpret_cast<ULONG_PTR>(p.item);
        menu.DrawItem(&dis);
    };
    for (const Step& p : first) draw(p);
    const std::vector<DWORD> painted = canvas.Snapshot();
    ASSERT_EQ(canvas.Count(rcExit, RGB(0, 0, 255)), 64);

    const Step hover[] = {
        {&exit, rcExit, ODA_SELECT, ODS_SELECTED},                        // pointer on Exit
        {&exit, rcExit, ODA_SELECT, 0},                                   // on the separator
        {&separator, rcSeparator, ODA_SELECT, ODS_GRAYED | ODS_DISABLED},  // on About: the
        {&about, rcAbout, ODA_SELECT, ODS_SELECTED}};                      // separator first
    for (const Step& p : hover) draw(p);
    const std::vector<DWORD> hovered = canvas.Snapshot();
    int changedOutsideAbout = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const size_t i = static_cast<size_t>(y * canvas.Width() + x);
            if (!rcAbout.PtInRect(POINT{x, y}) && hovered[i] != painted[i]) ++changedOutsideAbout;
        }
    EXPECT_EQ(changedOutsideAbout, 0);
    EXPECT_EQ(canvas.Count(rcExit, RGB(0, 0, 255)), 64) << "Exit's icon";
    EXPECT_EQ(canvas.Pixel(rcAbout.left, rcAbout.top), RGB(0, 0, 0)) << "About hovered";

    HRGN hNow = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetClipRgn(canvas.hdc(), hNow), 1);
    RECT rcNow = {};
    ::GetRgnBox(hNow, &rcNow);
    EXPECT_TRUE(rcClip == rcNow);
    ::DeleteObject(hNow);
    ::SelectClipRgn(canvas.hdc(), nullptr);
}

TEST(MenuXPDraw, SideBarIsAGradientOverTheClipBoxWithAWhiteCaption) {
    Canvas canvas(40, 200, kCanvas);
    CMenuXP menu;
    CMenuXPSideBar bar;
    Draw(menu, canvas, bar, CRect(0, 0, 16, 0));  // measured 0 high, painted full height
    EXPECT_EQ(canvas.Pixel(0, 199), RGB(225, 225, 225));
    EXPECT_EQ(canvas.Pixel(18, 199), RGB(225, 225, 225));
    EXPECT_EQ(canvas.Pixel(18, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(15, 0), RGB(0, 0, 0));
    // Away from the caption each row has one grey, darker towards the top.
    BYTE previous = 255;
    for (int y = 199; y >= 0; --y) {
        COLORREF c = canvas.Pixel(18, y);
        ASSERT_EQ(GetRValue(c), GetGValue(c));
        ASSERT_LE(GetRValue(c), previous) << y;
        previous = GetRValue(c);
    }
    // Widened by 3 pixels, not more.
    EXPECT_EQ(canvas.CountOutsideNot(CRect(0, 0, 19, 200), kCanvas), 0);

    // The caption runs upwards from near the bottom: white, within the bar, in its lower part.
    CRect caption = canvas.Bounds(CRect(0, 0, 40, 200), RGB(255, 255, 255));
    ASSERT_FALSE(caption.IsRectEmpty());
    EXPECT_GE(caption.left, 2);
    EXPECT_LE(caption.right, 19);
    EXPECT_LE(caption.bottom, 200 - 2);
    EXPECT_GT(caption.Height(), caption.Width()) << "the caption is rotated";
    EXPECT_GT(caption.top, 100);
}

TEST(MenuXPDraw, SideBarDrawsItsCaptionEvenWithoutGradient) {
    Canvas canvas(40, 100, kCanvas);
    CMenuXP menu;
    CMenuXPSideBar bar;
    menu.DrawSideBar(canvas.dc(), CRect(0, 50, 16, 50), nullptr, bar.m_strText);  // 0 rows
    EXPECT_GT(canvas.Count(CRect(0, 0, 40, 100), RGB(255, 255, 255)), 10);
    // Only the caption, upwards from (2, 46), 12 pixels high.
    EXPECT_EQ(canvas.CountOutsideNot(CRect(2, 0, 16, 46), kCanvas), 0);
}

TEST(MenuXPDraw, ForeignItemDataIsNeverDrawn) {
    Canvas canvas(180, 30, kCanvas);
    CMenuXP menu;
    auto* pFreed = new CMenuXPText(1, L"Gone", nullptr);
    const ULONG_PTR freed = reinterpret_cast<ULONG_PTR>(pFreed);
    delete pFreed;
    for (ULONG_PTR data : {ULONG_PTR{0}, ULONG_PTR{42}, freed}) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.hDC = canvas.hdc();
        dis.rcItem = kEntry;
        dis.itemData = data;
        menu.DrawItem(&dis);
    }
    EXPECT_EQ(canvas.CountOutsideNot(CRect(), kCanvas), 0);
}

namespace {

// Replaces one drawing step; the others stay.
class CNoIconMenu : public CMenuXP {
public:
    CRect m_rcIcon;
    int m_nCalls = 0;
    void DrawIcon(CDC*, CRect rect, HICON, BOOL, BOOL, BOOL) override {
        m_rcIcon = rect;
        ++m_nCalls;
    }
};

}  // namespace

TEST(MenuXPDraw, SubclassCanReplaceASingleStep) {
    Canvas canvas(180, 30, kCanvas);
    CNoIconMenu menu;
    Paint(menu);
    CMenuXPText item(300, L"Enable", MakeSquareIcon(kRed));
    Draw(menu, canvas, item, kEntry, ODS_SELECTED);
    EXPECT_EQ(menu.m_nCalls, 1);
    EXPECT_TRUE(menu.m_rcIcon == CRect(12, 7, 28, 23));
    EXPECT_EQ(canvas.Count(kEntry, kRed), 0);
    EXPECT_GT(canvas.Count(kTextInside, menu.m_clrSelText), 10);
}

TEST(MenuXPDraw, OwnerWindowHandsEntriesToTheMenuObject) {
    Canvas canvas(180, 30, kCanvas);
    CMenuXP menu;
    menu.Attach(::CreatePopupMenu());
    Paint(menu);
    auto* pItem = new CMenuXPText(300, L"Enable", nullptr);
    menu.AppendItem(pItem);

    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemData = reinterpret_cast<ULONG_PTR>(pItem);
    // Measuring belongs to the menu being shown; none is, so nobody takes it.
    EXPECT_FALSE(AfxRouteOwnerDrawMenu(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&mis)));

    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    dis.hDC = canvas.hdc();
    dis.rcItem = kEntry;
    dis.itemData = reinterpret_cast<ULONG_PTR>(pItem);
    EXPECT_TRUE(AfxRouteOwnerDrawMenu(WM_DRAWITEM, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(canvas.Pixel(kEntry.right - 1, kEntry.top), menu.m_clrBack);
}
