// The tray menu's cost inside one process, printed as "SAMPLE figure who value" lines:
//   menu_paint_ms  Tarvel: measuring and painting every entry of the tray menu (built as
//                  the program builds it) into an off-screen DIB section; the baseline's
//                  plain menu has nothing of the kind to time (the system paints it)
//   menu_measure_ms, menu_draw_ms  the two halves of menu_paint_ms
//   menu_popup_ms  both: TrackPopupMenu from the call to its return, with the menu closed
//                  as soon as the menu loop first goes idle (shown and painted)
//   MenuPaintBench.exe [REPEATS]
#include "AfxWnd.h"
#include "BenchSupport.h"
#include "MenuXP.h"
#include "resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace bench;

namespace {

// The same commands and colours as the tray menu.
constexpr UINT kCmdEnable = 300;
constexpr UINT kCmdDisable = 301;
constexpr UINT kCmdAbout = 302;
constexpr UINT kCmdExit = 303;
const COLORREF kSelectedBack = RGB(120, 160, 220);
constexpr int kPopupRepeats = 200;

HICON MenuIcon(UINT nID) { return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nID)); }

// The tray menu as the program builds it with the overclock on and offered.
std::unique_ptr<CMenuXP> BuildTarvelMenu() {
    auto menu = std::make_unique<CMenuXP>();
    menu->Attach(::CreatePopupMenu());
    menu->m_clrSelBack = kSelectedBack;
    menu->m_nStyle = CMenuXP::STYLE_FLAT;
    menu->AppendSideBar(new CMenuXPSideBar());
    menu->AppendItem(new CMenuXPText(kCmdEnable, L"Enable", MenuIcon(IDI_MENU_SELECTED)));
    menu->AppendItem(new CMenuXPText(kCmdDisable, L"Disable", nullptr));
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(kCmdAbout, L"About", MenuIcon(IDI_MENU_ABOUT)));
    menu->AppendSeparator();
    menu->AppendItem(new CMenuXPText(kCmdExit, L"Exit", MenuIcon(IDI_MENU_EXIT)));
    return menu;
}

HMENU BuildPlainMenu() {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, kCmdEnable, L"Enable");
    ::AppendMenuW(menu, MF_STRING, kCmdDisable, L"Disable");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCmdAbout, L"About");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCmdExit, L"Exit");
    return menu;
}

// A top-down 32-bit DIB section selected into a memory device context.
class OffscreenCanvas {
public:
    OffscreenCanvas(int width, int height) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_previous = ::SelectObject(m_dc, m_bitmap);
    }
    ~OffscreenCanvas() {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

struct Entry {
    UINT id;
    UINT state;
    ULONG_PTR data;
};

std::vector<Entry> EntriesOf(HMENU menu) {
    std::vector<Entry> entries;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_DATA | MIIM_STATE;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
        entries.push_back({mii.wID, mii.fState, mii.dwItemData});
    }
    return entries;
}

struct PaintTimes {
    double measureMs = 0;
    double drawMs = 0;
};

// Measures every entry, lays them out as the system would (the side bar in a column of
// its own, the others below each other) and paints each one.
// checkWidth: the check-mark width the system adds to every owner-drawn entry, asked once
// by the caller, as it is the system's share of the layout and not the menu's.
PaintTimes MeasureAndPaint(CMenuXP& menu, const std::vector<Entry>& entries, HDC dc, int checkWidth) {
    PaintTimes times;
    const double start = NowMs();
    int x = 0, y = 0, columnWidth = 0, columnHeight = 0;
    std::vector<RECT> rects;
    for (const Entry& e : entries) {
        MEASUREITEMSTRUCT mis = {};
        mis.CtlType = ODT_MENU;
        mis.itemID = e.id;
        mis.itemData = e.data;
        menu.MeasureItem(&mis);
        const int width = static_cast<int>(mis.itemWidth) + checkWidth - 1;
        rects.push_back({x, y, x + width, y + static_cast<int>(mis.itemHeight)});
        columnWidth = std::max(columnWidth, width);
        y += static_cast<int>(mis.itemHeight);
        columnHeight = std::max(columnHeight, y);
        if (CMenuXPItem::FromItemData(e.data)->m_bSideBar) {
            x += columnWidth;
            y = 0;
            columnWidth = 0;
        }
    }
    const double measured = NowMs();
    times.measureMs = measured - start;
    for (size_t i = 0; i < entries.size(); ++i) {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = entries[i].id;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = entries[i].state & MFS_DISABLED ? ODS_GRAYED : 0;
        dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
        dis.hDC = dc;
        dis.rcItem = rects[i];
        if (CMenuXPItem::FromItemData(entries[i].data)->m_bSideBar)
            dis.rcItem.bottom = columnHeight;
        dis.itemData = entries[i].data;
        menu.DrawItem(&dis);
    }
    ::GdiFlush();
    times.drawMs = NowMs() - measured;
    return times;
}

void TimeOffscreenPaint(int repeats) {
    auto menu = BuildTarvelMenu();
    const auto entries = EntriesOf(*menu);
    OffscreenCanvas canvas(400, 300);
    const int checkWidth = ::GetSystemMetrics(SM_CXMENUCHECK);
    MeasureAndPaint(*menu, entries, canvas.Dc(), checkWidth);  // fonts and icons loaded once, as on a first opening
    for (int i = 0; i < repeats; ++i) {
        const PaintTimes t = MeasureAndPaint(*menu, entries, canvas.Dc(), checkWidth);
        Sample("menu_paint_ms", "tarvel", t.measureMs + t.drawMs);
        Sample("menu_measure_ms", "tarvel", t.measureMs);
        Sample("menu_draw_ms", "tarvel", t.drawMs);
    }
}

// The owner of the popups: hands owner-drawn entries to their menu object and closes the
// menu the first time its loop goes idle.
LRESULT CALLBACK OwnerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (AfxRouteOwnerDrawMenu(msg, lParam))
            return TRUE;
        break;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU)
            ::EndMenu();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND CreateOwner() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TarvelBenchMenuOwner";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
}

// The median cost of one call of f, in microseconds.
template <typename F>
double MedianMicroseconds(F f) {
    std::vector<double> times;
    for (int i = 0; i < 1000; ++i) {
        const double start = NowMs();
        f();
        times.push_back((NowMs() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The two system calls that measuring an entry makes each time: a screen device context
// and a bold font.
void NoteMeasuringCosts() {
    const double screenDc = MedianMicroseconds([] { ::ReleaseDC(nullptr, ::GetDC(nullptr)); });
    const double windowDc = MedianMicroseconds([] { ::ReleaseDC(nullptr, ::GetWindowDC(nullptr)); });
    const double checkMetric = MedianMicroseconds([] { ::GetSystemMetrics(SM_CXMENUCHECK); });
    const double plainMetric = MedianMicroseconds([] { ::GetSystemMetrics(SM_CXICON); });
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof ncm;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMenuFont.lfWeight = FW_BOLD;
    HDC dc = ::GetDC(nullptr);
    const double freshFont = MedianMicroseconds([&] {
        HFONT font = ::CreateFontIndirectW(&ncm.lfMenuFont);
        HGDIOBJ old = ::SelectObject(dc, font);
        RECT r = {};
        ::DrawTextW(dc, L"Disable", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
    });
    HFONT bold = ::CreateFontIndirectW(&ncm.lfMenuFont);
    HGDIOBJ previous = ::SelectObject(dc, bold);
    const double text = MedianMicroseconds([&] {
        RECT r = {};
        ::DrawTextW(dc, L"Disable", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    });
    ::SelectObject(dc, previous);
    ::DeleteObject(bold);
    ::ReleaseDC(nullptr, dc);
    std::printf("NOTE per call, median of 1,000: GetDC+ReleaseDC of the screen %.1f us, GetWindowDC(null)+ReleaseDC %.1f us, "
                "a new bold menu font created, selected, text measured and deleted %.1f us, "
                "the same text measured with a font kept selected %.1f us, "
                "GetSystemMetrics(SM_CXMENUCHECK) %.1f us, GetSystemMetrics(SM_CXICON) %.1f us\n",
                screenDc, windowDc, freshFont, text, checkMetric, plainMetric);
}

// Where painting goes: the median cost of DrawItem for each entry of the tray menu on its
// own (side bar, text entries with and without an icon, separators).
void NoteEntryPaintCosts() {
    auto menu = BuildTarvelMenu();
    const auto entries = EntriesOf(*menu);
    OffscreenCanvas canvas(400, 300);
    const int checkWidth = ::GetSystemMetrics(SM_CXMENUCHECK);
    MeasureAndPaint(*menu, entries, canvas.Dc(), checkWidth);
    std::string line = "NOTE painting one entry, median of 1,000:";
    for (const Entry& e : entries) {
        const CMenuXPItem* item = CMenuXPItem::FromItemData(e.data);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = e.id;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hDC = canvas.Dc();
        dis.rcItem = item->m_bSideBar ? RECT{0, 0, 16, 100} : RECT{19, 0, 120, item->m_bSeparator ? 6 : 20};
        dis.itemData = e.data;
        const double us = MedianMicroseconds([&] {
            menu->DrawItem(&dis);
            ::GdiFlush();
        });
        char part[96];
        const char* kind = item->m_bSideBar ? "side bar" : item->m_bSeparator ? "separator" : item->m_hIcon ? "text with icon" : "text";
        std::snprintf(part, sizeof part, " %s %.1f us%s", kind, us, &e == &entries.back() ? "" : ",");
        line += part;
    }
    std::printf("%s\n", line.c_str());
}

// The two menus take turns, so that a busy moment of the machine falls on both alike.
template <typename TrackA, typename TrackB>
void TimePopups(TrackA trackTarvel, TrackB trackPlain) {
    // The first popup of a process creates the menu class's resources.
    trackTarvel();
    trackPlain();
    for (int i = 0; i < kPopupRepeats; ++i) {
        double start = NowMs();
        trackTarvel();
        Sample("menu_popup_ms", "tarvel", NowMs() - start);
        start = NowMs();
        trackPlain();
        Sample("menu_popup_ms", "baseline", NowMs() - start);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int repeats = argc > 1 ? _wtoi(argv[1]) : 1000;
    TimeOffscreenPaint(repeats);
    NoteMeasuringCosts();
    NoteEntryPaintCosts();

    HWND owner = CreateOwner();
    if (owner == nullptr) {
        Note("no window for the popup timing");
        return 1;
    }
    CWnd ownerWnd;
    ownerWnd.m_hWnd = owner;
    ::SetForegroundWindow(owner);
    TimePopups(
        [&] {
            auto menu = BuildTarvelMenu();
            menu->TrackPopupMenu(0, 100, 100, &ownerWnd);
        },
        [&] {
            HMENU menu = BuildPlainMenu();
            ::TrackPopupMenu(menu, 0, 100, 100, 0, owner, nullptr);
            ::DestroyMenu(menu);
        });
    ownerWnd.m_hWnd = nullptr;
    ::DestroyWindow(owner);
    return 0;
}
