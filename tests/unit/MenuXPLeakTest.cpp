// Drawing and destroying menus leaves no GDI object or selection behind.
#include "MenuTestSupport.h"
#include <gtest/gtest.h>
#include <iterator>
#include <memory>

using namespace menutest;

namespace {

const UINT kStates[] = {0,
                        ODS_SELECTED,
                        ODS_GRAYED,
                        ODS_GRAYED | ODS_SELECTED,
                        ODS_CHECKED,
                        ODS_CHECKED | ODS_SELECTED,
                        ODS_CHECKED | ODS_GRAYED,
                        ODS_DEFAULT,
                        ODS_DEFAULT | ODS_SELECTED};

std::unique_ptr<CMenuXP> BuildMenu() {
    auto menu = std::make_unique<CMenuXP>();
    menu->Attach(::CreatePopupMenu());
    menu->AppendSideBar(new CMenuXPSideBar);
    menu->AppendItem(new CMenuXPText(300, L"Enable", MakeSquareIcon(RGB(255, 0, 0))));
    menu->AppendItem(new CMenuXPText(301, L"Disable\tCtrl+D", nullptr));
    menu->AppendSeparator();
    auto* pButton = new CMenuXPText(302, L"About", MakeSquareIcon(RGB(0, 0, 255)));
    pButton->m_bButtonOnly = true;
    menu->AppendItem(pButton);
    return menu;
}

const int kAllStyles[] = {CMenuXP::STYLE_FLAT, CMenuXP::STYLE_3D, 1};

// Measures the entry at a position, as the system asks before it shows the menu.
MEASUREITEMSTRUCT MeasureEntry(CMenuXP& menu, int pos) {
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_DATA;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &mii);
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemData = mii.dwItemData;
    menu.MeasureItem(&mis);
    return mis;
}

// Measures every entry and paints it in each of the states and styles given.
void MeasureAndPaint(CMenuXP& menu, Canvas& canvas, const UINT* pStates, size_t nStates,
                     const int* pStyles, size_t nStyles) {
    for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos) {
        const MEASUREITEMSTRUCT mis = MeasureEntry(menu, pos);
        for (size_t s = 0; s < nStyles; ++s) {
            menu.m_nStyle = pStyles[s];
            for (size_t i = 0; i < nStates; ++i) {
                DRAWITEMSTRUCT dis = {};
                dis.CtlType = ODT_MENU;
                dis.itemState = pStates[i];
                dis.hDC = canvas.hdc();
                dis.rcItem = RECT{20, 0, 180, static_cast<LONG>(mis.itemHeight)};
                dis.itemData = mis.itemData;
                menu.DrawItem(&dis);
            }
        }
    }
}

}  // namespace

TEST(MenuXPLeak, LiveObjectCountDetectsAnObjectLeftBehind) {
    const LONG before = AfxGetLiveGdiObjectCount();
    {
        CMenuXP menu;  // holds its font
        EXPECT_EQ(AfxGetLiveGdiObjectCount(), before + 1);
    }
    EXPECT_EQ(AfxGetLiveGdiObjectCount(), before);

    CBrush brush(RGB(1, 2, 3));
    HGDIOBJ hLost = brush.Detach();  // what a leak looks like
    EXPECT_EQ(AfxGetLiveGdiObjectCount(), before + 1);
    AfxNoteGdiObjectDeleted(hLost);
    ::DeleteObject(hLost);
}

TEST(MenuXPLeak, MeasuringPaintingAndDestroyingLeaveNothingBehind) {
    Canvas canvas(200, 200, RGB(0, 128, 0));
    const LONG before = AfxGetLiveGdiObjectCount();
    HGDIOBJ selected[] = {::GetCurrentObject(canvas.hdc(), OBJ_FONT),
                          ::GetCurrentObject(canvas.hdc(), OBJ_PEN),
                          ::GetCurrentObject(canvas.hdc(), OBJ_BRUSH),
                          ::GetCurrentObject(canvas.hdc(), OBJ_BITMAP)};
    const COLORREF clrBk = ::GetBkColor(canvas.hdc());
    {
        auto menu = BuildMenu();
        EXPECT_EQ(AfxGetLiveGdiObjectCount(), before + 1);
        MeasureAndPaint(*menu, canvas, kStates, std::size(kStates), kAllStyles,
                        std::size(kAllStyles));
        EXPECT_EQ(AfxGetLiveGdiObjectCount(), before + 1);
    }
    EXPECT_EQ(AfxGetLiveGdiObjectCount(), before);
    EXPECT_EQ(::GetCurrentObject(canvas.hdc(), OBJ_FONT), selected[0]);
    EXPECT_EQ(::GetCurrentObject(canvas.hdc(), OBJ_PEN), selected[1]);
    EXPECT_EQ(::GetCurrentObject(canvas.hdc(), OBJ_BRUSH), selected[2]);
    EXPECT_EQ(::GetCurrentObject(canvas.hdc(), OBJ_BITMAP), selected[3]);
    EXPECT_EQ(::GetBkColor(canvas.hdc()), clrBk);
}

namespace {

// Takes up a process's GDI or USER handle table until only nRoom entries are left, and gives
// them back when it goes.
template <class THandle>
class Ballast {
public:
    // pfnDestroy is a system function (DeleteObject, DestroyMenu): __stdcall on 32-bit.
    Ballast(THandle (*pfnCreate)(), BOOL(WINAPI* pfnDestroy)(THandle), size_t nRoom)
        : m_pfnDestroy(pfnDestroy) {
        for (;;) {
            THandle h = pfnCreate();
            if (h == nullptr)
                break;
            m_handles.push_back(h);
        }
        m_nMeasuredCapacity = m_handles.size();
        for (size_t i = 0; i < nRoom && !m_handles.empty(); ++i) {
            pfnDestroy(m_handles.back());
            m_handles.pop_back();
        }
    }
    ~Ballast() {
        for (THandle h : m_handles)
            m_pfnDestroy(h);
    }
    size_t Capacity() const { return m_nMeasuredCapacity; }

private:
    BOOL(WINAPI* m_pfnDestroy)(THandle);
    std::vector<THandle> m_handles;
    size_t m_nMeasuredCapacity = 0;
};

HGDIOBJ NewBrush() { return ::CreateSolidBrush(RGB(1, 2, 3)); }
HMENU NewMenu() { return ::CreatePopupMenu(); }

// How many more brushes fit, looking no further than nLimit.
size_t RoomForBrushes(size_t nLimit) {
    std::vector<HGDIOBJ> made;
    while (made.size() < nLimit) {
        HGDIOBJ h = NewBrush();
        if (h == nullptr)
            break;
        made.push_back(h);
    }
    for (HGDIOBJ h : made)
        ::DeleteObject(h);
    return made.size();
}

}  // namespace

// Wine cannot count a process's GDI objects (GetGuiResources answers 0). Instead the handle
// tables are filled until little room is left, and more menus are painted and destroyed than
// that room holds: an object, icon or menu lost per round would make a later creation fail.
TEST(MenuXPLeak, ManyMenusPaintedAndDestroyedInLittleRoom) {
    const size_t kGdiRoom = 8000;
    const size_t kUserRoom = 2500;
    const int kRounds = 12000;  // more than either room; every 4th round has an icon
    Canvas canvas(200, 40, RGB(0, 128, 0));
    const LONG before = AfxGetLiveGdiObjectCount();
    Ballast<HGDIOBJ> gdi(NewBrush, ::DeleteObject, kGdiRoom);
    Ballast<HMENU> user(NewMenu, ::DestroyMenu, kUserRoom);
    ASSERT_GT(gdi.Capacity(), kGdiRoom);
    ASSERT_GT(user.Capacity(), kUserRoom);
    ASSERT_LT(RoomForBrushes(kGdiRoom * 2), kGdiRoom + 100) << "the room is really limited";

    for (int round = 0; round < kRounds; ++round) {
        auto menu = std::make_unique<CMenuXP>();
        ASSERT_TRUE(menu->Attach(::CreatePopupMenu())) << round;
        HICON hIcon = round % 4 == 0 ? MakeSquareIcon(RGB(255, 0, 0)) : nullptr;
        ASSERT_TRUE(round % 4 != 0 || hIcon != nullptr) << round;
        menu->AppendSideBar(new CMenuXPSideBar);
        menu->AppendItem(new CMenuXPText(300, L"Enable", hIcon));
        menu->AppendSeparator();
        const UINT* pState = &kStates[static_cast<size_t>(round) % std::size(kStates)];
        MeasureAndPaint(*menu, canvas, pState, 1, &kAllStyles[round % 2], 1);
        menu.reset();
        ASSERT_EQ(AfxGetLiveGdiObjectCount(), before) << round;
    }
    EXPECT_GT(RoomForBrushes(kGdiRoom), kGdiRoom - 100);
    HMENU hMenu = ::CreatePopupMenu();
    EXPECT_NE(hMenu, nullptr);
    ::DestroyMenu(hMenu);
}

// Measuring keeps a device context and a bold font for a whole round of entries; they are
// gone once painting starts, and with the menu if it is never painted.
TEST(MenuXPLeak, MeasuringObjectsLastUntilThePaintOrTheMenuGoes) {
    Canvas canvas(200, 40, RGB(0, 128, 0));
    const LONG before = AfxGetLiveGdiObjectCount();
    auto MeasureAll = [](CMenuXP& menu) {
        for (int pos = 0; pos < menu.GetMenuItemCount(); ++pos)
            MeasureEntry(menu, pos);
    };
    {
        auto menu = BuildMenu();
        MeasureAll(*menu);
        const LONG measuring = AfxGetLiveGdiObjectCount();
        EXPECT_GT(measuring, before + 1);
        MeasureAll(*menu);
        EXPECT_EQ(AfxGetLiveGdiObjectCount(), measuring) << "one set for the whole menu";

        MeasureAndPaint(*menu, canvas, kStates, 1, kAllStyles, 1);
        EXPECT_EQ(AfxGetLiveGdiObjectCount(), before + 1);
        MeasureAll(*menu);  // measured again, never painted
    }
    EXPECT_EQ(AfxGetLiveGdiObjectCount(), before);
}
