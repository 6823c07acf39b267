// The object census: live counts of the GDI and USER objects that a host program's own code
// creates and releases, kept by simcensus.dll inside that program and published in a
// named section that another process can read. Wine answers GetGuiResources with 0, so this is
// how a test outside the program sees whether its objects stay flat.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace simnb {

enum class CensusKind : uint32_t {
    MemoryDC,   // CreateCompatibleDC / DeleteDC
    WindowDC,   // GetDC, GetWindowDC / ReleaseDC
    PaintDC,    // BeginPaint / EndPaint
    Bitmap,     // CreateBitmap, CreateCompatibleBitmap, CreateDIBitmap, CreateDIBSection / DeleteObject
    Font,       // CreateFontIndirectW, CreateFontW / DeleteObject
    Pen,        // CreatePen / DeleteObject
    Brush,      // CreateSolidBrush / DeleteObject
    Region,     // CreateRectRgn / DeleteObject
    Menu,       // CreatePopupMenu, CreateMenu / DestroyMenu (with its submenus)
    Icon,       // CreateIconIndirect, CopyIcon / DestroyIcon
    Count
};

constexpr uint32_t kCensusKindCount = static_cast<uint32_t>(CensusKind::Count);

inline const char* CensusKindName(CensusKind kind) {
    static const char* const names[kCensusKindCount] = {"memoryDC", "windowDC", "paintDC", "bitmap", "font",
                                                        "pen",      "brush",    "region",  "menu",   "icon"};
    uint32_t index = static_cast<uint32_t>(kind);
    return index < kCensusKindCount ? names[index] : "?";
}

inline bool IsGdiKind(CensusKind kind) { return kind != CensusKind::Menu && kind != CensusKind::Icon; }

struct CensusKindCounts {
    int32_t live;
    int32_t created;    // successful creations seen
    int32_t destroyed;  // successful releases of handles seen created
};

struct CensusCounts {
    uint32_t patchedImports;       // import slots of the host that lead to the census
    CensusKindCounts kinds[kCensusKindCount];
    int32_t foreignReleases;       // successful releases of handles the census never saw made (stock objects, ...)
    int32_t reusedWhileLive;       // a creation returned a handle still counted live: it was freed out of sight
};

// The section's layout. sequence is odd while the owner writes; a reader copies counts
// between two equal even readings.
constexpr uint32_t kCensusVersion = 1;

struct CensusSection {
    uint32_t version;
    uint32_t size;  // sizeof(CensusSection)
    volatile LONG sequence;
    uint32_t reserved;
    CensusCounts counts;
};

// One section per host process, so that two programs that carry the census never mix counts.
inline std::wstring CensusSectionName(DWORD processId) {
    return L"Local\\ORV_SimObjectCensus." + std::to_wstring(processId);
}

}  // namespace simnb
