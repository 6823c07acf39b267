// The object census (ObjectCensusView.h) as a library of its own, put into a host program on
// purpose: the host's imports of the GDI and USER object makers and releasers lead through
// counting wrappers that forward to the real functions.
#include <vector>

#include "../common/ImportPatch.h"
#include "ObjectCensusBook.h"

namespace simnb {
namespace {

// The census lives as long as the process: once the host's imports lead here they are never
// led back, so neither the book nor the published section is ever released.
struct Census {
    SRWLOCK lock = SRWLOCK_INIT;
    ObjectCensusBook book;
    CensusSection* section = nullptr;
};

Census& TheCensus() {
    static Census* census = new Census();
    return *census;
}

class CensusLock {
public:
    explicit CensusLock(Census& census) : m_census(census) { AcquireSRWLockExclusive(&m_census.lock); }
    ~CensusLock() { ReleaseSRWLockExclusive(&m_census.lock); }
    CensusLock(const CensusLock&) = delete;
    CensusLock& operator=(const CensusLock&) = delete;

private:
    Census& m_census;
};

void Publish(Census& census) {
    CensusSection* section = census.section;
    if (section == nullptr) return;
    InterlockedIncrement(&section->sequence);
    section->counts = census.book.Counts();
    InterlockedIncrement(&section->sequence);
}

template <typename Handle>
Handle Made(CensusKind kind, Handle handle) {
    if (handle == nullptr) return handle;
    Census& census = TheCensus();
    CensusLock lock(census);
    census.book.Created(kind, handle);
    Publish(census);
    return handle;
}

void Gone(const void* handle) {
    Census& census = TheCensus();
    CensusLock lock(census);
    census.book.Released(handle);
    Publish(census);
}

// Counts handle as gone when the real releaser succeeded (any result but zero).
template <typename Result>
Result Released(Result result, const void* handle) {
    if (result) Gone(handle);
    return result;
}

// Every function the census counts. Its real function, as the host's import slot held it,
// is real<name>; its counting wrapper Counted<name>.
#define CENSUS_FUNCTIONS(X) \
    X(CreateCompatibleDC) \
    X(DeleteDC) \
    X(GetDC) \
    X(GetWindowDC) \
    X(ReleaseDC) \
    X(BeginPaint) \
    X(EndPaint) \
    X(CreateBitmap) \
    X(CreateCompatibleBitmap) \
    X(CreateDIBitmap) \
    X(CreateDIBSection) \
    X(CreateFontIndirectW) \
    X(CreateFontW) \
    X(CreatePen) \
    X(CreateSolidBrush) \
    X(CreateRectRgn) \
    X(DeleteObject) \
    X(CreatePopupMenu) \
    X(CreateMenu) \
    X(DestroyMenu) \
    X(CreateIconIndirect) \
    X(CopyIcon) \
    X(DestroyIcon)

#define CENSUS_REAL(name) decltype(&::name) real##name;
CENSUS_FUNCTIONS(CENSUS_REAL)
#undef CENSUS_REAL

// --- device contexts -------------------------------------------------------------------
HDC WINAPI CountedCreateCompatibleDC(HDC dc) { return Made(CensusKind::MemoryDC, realCreateCompatibleDC(dc)); }
BOOL WINAPI CountedDeleteDC(HDC dc) { return Released(realDeleteDC(dc), dc); }
HDC WINAPI CountedGetDC(HWND window) { return Made(CensusKind::WindowDC, realGetDC(window)); }
HDC WINAPI CountedGetWindowDC(HWND window) { return Made(CensusKind::WindowDC, realGetWindowDC(window)); }
int WINAPI CountedReleaseDC(HWND window, HDC dc) { return Released(realReleaseDC(window, dc), dc); }
HDC WINAPI CountedBeginPaint(HWND window, LPPAINTSTRUCT paint) {
    return Made(CensusKind::PaintDC, realBeginPaint(window, paint));
}
BOOL WINAPI CountedEndPaint(HWND window, const PAINTSTRUCT* paint) {
    BOOL ok = realEndPaint(window, paint);
    if (ok && paint != nullptr) Gone(paint->hdc);
    return ok;
}

// --- GDI objects -----------------------------------------------------------------------
HBITMAP WINAPI CountedCreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
    return Made(CensusKind::Bitmap, realCreateBitmap(width, height, planes, bitCount, bits));
}
HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC dc, int width, int height) {
    return Made(CensusKind::Bitmap, realCreateCompatibleBitmap(dc, width, height));
}
HBITMAP WINAPI CountedCreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                                     const BITMAPINFO* info, UINT usage) {
    return Made(CensusKind::Bitmap, realCreateDIBitmap(dc, header, init, bits, info, usage));
}
HBITMAP WINAPI CountedCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                      DWORD offset) {
    return Made(CensusKind::Bitmap, realCreateDIBSection(dc, info, usage, bits, section, offset));
}
HFONT WINAPI CountedCreateFontIndirectW(const LOGFONTW* font) {
    return Made(CensusKind::Font, realCreateFontIndirectW(font));
}
HFONT WINAPI CountedCreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
    return Made(CensusKind::Font,
                realCreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, face));
}
HPEN WINAPI CountedCreatePen(int style, int width, COLORREF color) {
    return Made(CensusKind::Pen, realCreatePen(style, width, color));
}
HBRUSH WINAPI CountedCreateSolidBrush(COLORREF color) { return Made(CensusKind::Brush, realCreateSolidBrush(color)); }
HRGN WINAPI CountedCreateRectRgn(int left, int top, int right, int bottom) {
    return Made(CensusKind::Region, realCreateRectRgn(left, top, right, bottom));
}
BOOL WINAPI CountedDeleteObject(HGDIOBJ object) { return Released(realDeleteObject(object), object); }

// --- USER objects ----------------------------------------------------------------------
HMENU WINAPI CountedCreatePopupMenu() { return Made(CensusKind::Menu, realCreatePopupMenu()); }
HMENU WINAPI CountedCreateMenu() { return Made(CensusKind::Menu, realCreateMenu()); }

// DestroyMenu takes the menu's submenus with it; they are gone without a call of their own.
void CollectSubmenus(HMENU menu, std::vector<HMENU>& found, int depth) {
    if (depth > 16) return;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub == nullptr) continue;
        found.push_back(sub);
        CollectSubmenus(sub, found, depth + 1);
    }
}

BOOL WINAPI CountedDestroyMenu(HMENU menu) {
    std::vector<HMENU> submenus;
    if (menu != nullptr) CollectSubmenus(menu, submenus, 0);
    BOOL ok = realDestroyMenu(menu);
    if (!ok) return ok;
    Census& census = TheCensus();
    CensusLock lock(census);
    census.book.Released(menu);
    for (HMENU sub : submenus) census.book.ReleasedAlong(sub);
    Publish(census);
    return ok;
}

HICON WINAPI CountedCreateIconIndirect(PICONINFO info) { return Made(CensusKind::Icon, realCreateIconIndirect(info)); }
HICON WINAPI CountedCopyIcon(HICON icon) { return Made(CensusKind::Icon, realCopyIcon(icon)); }
BOOL WINAPI CountedDestroyIcon(HICON icon) { return Released(realDestroyIcon(icon), icon); }

// --- installing ------------------------------------------------------------------------
// A function the host does not import stays uncounted, and so does everything other modules
// create.
uint32_t PatchHost(HMODULE host) {
    uint32_t patched = 0;
#define CENSUS_REDIRECT(name) patched += RedirectImports(host, #name, &real##name, &Counted##name);
    CENSUS_FUNCTIONS(CENSUS_REDIRECT)
#undef CENSUS_REDIRECT
    return patched;
}

BOOL CALLBACK InstallOnce(PINIT_ONCE, PVOID, PVOID*) {
    Census& census = TheCensus();
    {
        CensusLock lock(census);
        census.section =
            CreateLifelongSectionOf<CensusSection>(CensusSectionName(GetCurrentProcessId()), kCensusVersion);
        Publish(census);
    }
    uint32_t patched = PatchHost(GetModuleHandleW(nullptr));
    CensusLock lock(census);
    census.book.SetPatchedImports(patched);
    Publish(census);
    return TRUE;
}

}  // namespace
}  // namespace simnb

// Called by whoever put the census into the process, after loading it (not from DllMain,
// so that nothing of it runs under the loader lock); later calls return at once.
extern "C" __declspec(dllexport) void __cdecl InstallObjectCensus() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, &simnb::InstallOnce, nullptr, nullptr);
}
