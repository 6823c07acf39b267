// The compiled resources, read back from this program's own image (the test links the same
// resource object as Tarvel.exe): the dialog templates byte by byte, the string, the icons,
// the manifest and the version record.
#include "resource.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Bytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

Bytes Resource(LPCWSTR type, WORD id) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(self, found);
    return {static_cast<const uint8_t*>(::LockResource(loaded)), ::SizeofResource(self, found)};
}

// A bounds-checked cursor over a resource: a template that is shorter than it claims fails
// the test instead of reading past the resource.
class Reader {
public:
    explicit Reader(Bytes b) : m_b(b) {}
    template <typename T> T Take() {
        T v;
        Need(sizeof v);
        std::memcpy(&v, m_b.data + m_pos, sizeof v);
        m_pos += sizeof v;
        return v;
    }
    std::wstring Text() {
        std::wstring s;
        for (wchar_t c; (c = Take<wchar_t>()) != 0;) s += c;
        return s;
    }
    void AlignToDword() { m_pos = (m_pos + 3) & ~size_t(3); }
    void Skip(size_t n) { Need(n); m_pos += n; }
    size_t Left() const { return m_b.size - m_pos; }

private:
    void Need(size_t n) const {
        if (m_pos + n > m_b.size) throw std::runtime_error("resource ends early");
    }
    Bytes m_b;
    size_t m_pos = 0;
};

// A template field that holds either a number (after 0xFFFF) or a text.
struct NameOrOrdinal {
    WORD ordinal = 0;
    std::wstring text;
    bool operator==(const NameOrOrdinal& o) const { return ordinal == o.ordinal && text == o.text; }
};
NameOrOrdinal Ordinal(WORD n) { return {n, {}}; }
NameOrOrdinal Named(const wchar_t* s) { return {0, s}; }

std::ostream& operator<<(std::ostream& os, const NameOrOrdinal& n) {
    if (n.ordinal) return os << "#" << n.ordinal;
    return os << '"' << std::string(n.text.begin(), n.text.end()) << '"';
}

NameOrOrdinal TakeNameOrOrdinal(Reader& r) {
    WORD first = r.Take<WORD>();
    if (first == 0xFFFF) return Ordinal(r.Take<WORD>());
    std::wstring s;
    for (wchar_t c = static_cast<wchar_t>(first); c != 0; c = r.Take<wchar_t>()) s += c;
    return Named(s.c_str());
}

struct Control {
    int32_t id;
    NameOrOrdinal windowClass;
    NameOrOrdinal text;
    DWORD style;
    short x, y, cx, cy;
    DWORD exStyle = 0;
    WORD extraBytes = 0;
};

bool operator==(const Control& a, const Control& b) {
    return a.id == b.id && a.windowClass == b.windowClass && a.text == b.text && a.style == b.style &&
           a.x == b.x && a.y == b.y && a.cx == b.cx && a.cy == b.cy && a.exStyle == b.exStyle &&
           a.extraBytes == b.extraBytes;
}

std::ostream& operator<<(std::ostream& os, const Control& c) {
    return os << "{id " << c.id << ", class " << c.windowClass << ", text " << c.text << std::hex
              << ", style 0x" << c.style << ", exstyle 0x" << c.exStyle << std::dec << ", " << c.x << ","
              << c.y << " " << c.cx << "x" << c.cy << ", extra " << c.extraBytes << "}";
}

struct DialogEx {
    WORD version, signature;
    DWORD exStyle, style;
    short x, y, cx, cy;
    NameOrOrdinal menu, windowClass;
    std::wstring caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<Control> controls;
};

Control TakeControl(Reader& r) {
    r.AlignToDword();
    Control c{};
    r.Take<DWORD>();  // help id
    c.exStyle = r.Take<DWORD>();
    c.style = r.Take<DWORD>();
    c.x = r.Take<short>(), c.y = r.Take<short>(), c.cx = r.Take<short>(), c.cy = r.Take<short>();
    c.id = r.Take<int32_t>();
    c.windowClass = TakeNameOrOrdinal(r);
    c.text = TakeNameOrOrdinal(r);
    c.extraBytes = r.Take<WORD>();
    r.Skip(c.extraBytes);
    return c;
}

DialogEx ReadDialogEx(WORD id) {
    Bytes bytes = Resource(RT_DIALOG, id);
    if (!bytes.data) throw std::runtime_error("no dialog resource");
    Reader r(bytes);
    DialogEx d{};
    d.version = r.Take<WORD>();
    d.signature = r.Take<WORD>();
    r.Take<DWORD>();  // help id
    d.exStyle = r.Take<DWORD>();
    d.style = r.Take<DWORD>();
    WORD count = r.Take<WORD>();
    d.x = r.Take<short>(), d.y = r.Take<short>(), d.cx = r.Take<short>(), d.cy = r.Take<short>();
    d.menu = TakeNameOrOrdinal(r);
    d.windowClass = TakeNameOrOrdinal(r);
    d.caption = r.Text();
    if (d.style & DS_SETFONT) {
        d.pointSize = r.Take<WORD>();
        d.weight = r.Take<WORD>();
        d.italic = r.Take<BYTE>();
        d.charset = r.Take<BYTE>();
        d.face = r.Text();
    }
    for (WORD i = 0; i < count; ++i) d.controls.push_back(TakeControl(r));
    return d;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const NameOrOrdinal kButton = Ordinal(0x0080);
const NameOrOrdinal kStatic = Ordinal(0x0082);

}  // namespace

TEST(MainDialogTemplate, HeaderHoldsExactlyTheDesignedStylesCaptionAndFont) {
    DialogEx d = ReadDialogEx(IDD_TARVEL_DIALOG);
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.signature, 0xFFFF);
    EXPECT_EQ(d.style, DWORD(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT));
    EXPECT_EQ(d.exStyle, DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ(d.cx, 129);
    EXPECT_EQ(d.cy, 86);
    EXPECT_EQ(d.menu, Named(L""));
    EXPECT_EQ(d.windowClass, Named(L""));
    EXPECT_EQ(d.caption, L"NVIDIA Tarvel");
    EXPECT_EQ(d.pointSize, 11);
    EXPECT_EQ(d.weight, 400);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 136);
    EXPECT_FALSE(d.face.empty());
}

TEST(MainDialogTemplate, ControlsInTabOrderWithExactStylesAndRectangles) {
    const std::vector<Control> expected = {
        {IDC_RADIO_OVERCLOCK, kButton, Named(L"Overclock VGA"), kChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 28, 23, 63, 10},
        {IDC_RADIO_DOWNCLOCK, kButton, Named(L"Downclock VGA"), kChild | BS_AUTORADIOBUTTON, 28, 40, 63, 10},
        {IDOK, kButton, Named(L"OK"), kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 16, 66, 50, 14},
        {IDCANCEL, kButton, Named(L"Exit"), kChild | WS_TABSTOP | BS_PUSHBUTTON, 66, 66, 50, 14},
    };
    EXPECT_EQ(ReadDialogEx(IDD_TARVEL_DIALOG).controls, expected);
}

TEST(AboutDialogTemplate, HeaderIsHiddenWithShellFontAndTitle) {
    DialogEx d = ReadDialogEx(IDD_ABOUTBOX);
    EXPECT_EQ(d.version, 1);
    EXPECT_EQ(d.signature, 0xFFFF);
    EXPECT_EQ(d.style, DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS));
    EXPECT_EQ(d.exStyle, 0u);
    EXPECT_EQ(d.x, 0);
    EXPECT_EQ(d.y, 0);
    EXPECT_EQ(d.cx, 205);
    EXPECT_EQ(d.cy, 62);
    EXPECT_EQ(d.caption, L"About Tarvel");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.weight, 0);
    EXPECT_EQ(d.italic, 0);
    EXPECT_EQ(d.charset, 1);
    EXPECT_EQ(d.face, L"MS Shell Dlg");
}

TEST(AboutDialogTemplate, ControlsShowIconVersionCopyrightAndOk) {
    std::vector<Control> controls = ReadDialogEx(IDD_ABOUTBOX).controls;
    ASSERT_EQ(controls.size(), 4u);
    // The maker's line is free text: it has to name the maker and keep its place and style.
    const std::wstring& copyright = controls[2].text.text;
    EXPECT_NE(copyright.find(L"Copyright"), std::wstring::npos);
    EXPECT_NE(copyright.find(L"ORV"), std::wstring::npos);

    const std::vector<Control> expected = {
        {-1, kStatic, Ordinal(IDR_MAINFRAME), kChild | SS_ICON, 14, 14, 20, 20},
        {-1, kStatic, Named(L"Tarvel, Version 2.0.1107.2101"), kChild | WS_GROUP | SS_NOPREFIX | SS_LEFT, 42, 14, 153, 8},
        {-1, kStatic, Named(copyright.c_str()), kChild | WS_GROUP | SS_LEFT, 42, 26, 114, 8},
        {IDOK, kButton, Named(L"OK"), kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 148, 41, 50, 14},
    };
    EXPECT_EQ(controls, expected);
}

namespace {
INT_PTR CALLBACK plain(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

// The dialog manager itself must accept both templates: the About box comes up hidden, the
// main dialog visible, each with its controls and the About box with the program's icon.
TEST(DialogTemplates, WindowsBuildsBothDialogsFromThem) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);

    HWND about = ::CreateDialogParamW(self, MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, plain, 0);
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(::IsWindowVisible(about));
    HWND iconControl = ::GetWindow(about, GW_CHILD);
    ASSERT_NE(iconControl, nullptr);
    EXPECT_NE(::SendMessageW(iconControl, STM_GETICON, 0, 0), 0);
    ::DestroyWindow(about);

    HWND main = ::CreateDialogParamW(self, MAKEINTRESOURCEW(IDD_TARVEL_DIALOG), nullptr, plain, 0);
    ASSERT_NE(main, nullptr);
    wchar_t text[64] = {};
    ::GetDlgItemTextW(main, IDC_RADIO_DOWNCLOCK, text, 64);
    EXPECT_STREQ(text, L"Downclock VGA");
    ::GetDlgItemTextW(main, IDCANCEL, text, 64);
    EXPECT_STREQ(text, L"Exit");
    ::DestroyWindow(main);
}

TEST(StringTable, AboutItemText) {
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_STREQ(text, L"&About Tarvel...");
}

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD iconId;
};
#pragma pack(pop)

// One icon image as the resource holds it: a 32-bit bottom-up DIB of twice the icon's height
// whose lower half is the 1-bit AND mask.
struct IconImage {
    BITMAPINFOHEADER header{};
    std::vector<uint32_t> bgra;  // top row first
    std::vector<bool> maskSet;   // top row first

    BYTE Alpha(size_t i) const { return BYTE(bgra[i] >> 24); }
    BYTE Red(size_t i) const { return BYTE(bgra[i] >> 16); }
    BYTE Green(size_t i) const { return BYTE(bgra[i] >> 8); }
    BYTE Blue(size_t i) const { return BYTE(bgra[i]); }
};

GroupIconEntry OnlyGroupEntry(WORD group) {
    Reader r(Resource(RT_GROUP_ICON, group));
    EXPECT_EQ(r.Take<WORD>(), 0);  // reserved
    EXPECT_EQ(r.Take<WORD>(), 1);  // icons, not cursors
    EXPECT_EQ(r.Take<WORD>(), 1);  // one image
    return r.Take<GroupIconEntry>();
}

IconImage ReadIconImage(WORD group) {
    GroupIconEntry entry = OnlyGroupEntry(group);
    Reader r(Resource(RT_ICON, entry.iconId));
    IconImage image;
    image.header = r.Take<BITMAPINFOHEADER>();
    const int size = image.header.biWidth;
    if (size <= 0 || image.header.biHeight != 2 * size || image.header.biBitCount != 32)
        throw std::runtime_error("not a square 32-bit icon image");
    std::vector<uint32_t> bottomUp(size_t(size) * size);
    for (auto& px : bottomUp) px = r.Take<uint32_t>();
    const size_t stride = ((size + 31) / 32) * 4;
    std::vector<uint8_t> mask(stride * size);
    for (auto& b : mask) b = r.Take<uint8_t>();
    for (int row = size - 1; row >= 0; --row)
        for (int x = 0; x < size; ++x) {
            image.bgra.push_back(bottomUp[size_t(row) * size + x]);
            image.maskSet.push_back(mask[row * stride + x / 8] & (0x80 >> (x % 8)));
        }
    return image;
}

struct IconCase {
    WORD id;
    int size;
};

// Named in full, so that the test names CTest records never show the padding bytes.
void PrintTo(const IconCase& c, std::ostream* os) { *os << "icon " << c.id << ", " << c.size << " x " << c.size; }

class IconResource : public ::testing::TestWithParam<IconCase> {};

}  // namespace

TEST_P(IconResource, OneSquare32BitImageWithAlphaAndAMatchingMask) {
    const IconCase c = GetParam();
    GroupIconEntry entry = OnlyGroupEntry(c.id);
    EXPECT_EQ(entry.width, c.size);
    EXPECT_EQ(entry.height, c.size);
    EXPECT_EQ(entry.bitCount, 32);
    EXPECT_EQ(entry.planes, 1);

    IconImage image = ReadIconImage(c.id);
    ASSERT_EQ(image.header.biWidth, c.size);
    size_t transparent = 0, opaque = 0;
    for (size_t i = 0; i < image.bgra.size(); ++i) {
        transparent += image.Alpha(i) == 0;
        opaque += image.Alpha(i) == 255;
        ASSERT_EQ(image.maskSet[i], image.Alpha(i) == 0) << "pixel " << i;
    }
    EXPECT_GT(transparent, image.bgra.size() / 10) << "the background must be transparent";
    EXPECT_GT(opaque, image.bgra.size() / 10);
    EXPECT_TRUE(image.maskSet.front()) << "the corner is background";

    HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.id), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(icon, nullptr) << "the menu draws it at 16 x 16";
    if (icon) ::DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(AllIcons, IconResource,
                         ::testing::Values(IconCase{IDR_MAINFRAME, 64}, IconCase{IDI_MENU_SELECTED, 32},
                                           IconCase{IDI_MENU_SELECTED_GRAY, 32}, IconCase{IDI_MENU_ABOUT, 32},
                                           IconCase{IDI_MENU_EXIT, 32}),
                         [](const ::testing::TestParamInfo<IconCase>& info) { return "Icon" + std::to_string(info.param.id); });

namespace {

// Whether nine in ten of the fully opaque pixels are of the kind `is`.
template <typename Predicate> bool MostlyOf(const IconImage& image, Predicate is) {
    size_t matching = 0, solid = 0;
    for (size_t i = 0; i < image.bgra.size(); ++i) {
        if (image.Alpha(i) < 255) continue;
        ++solid;
        matching += is(image.Red(i), image.Green(i), image.Blue(i));
    }
    return solid && matching * 10 >= solid * 9;
}

bool MostlyRed(const IconImage& image) {
    return MostlyOf(image, [](int r, int g, int b) { return r > 90 && r > 2 * g && r > 2 * b; });
}

bool MostlyBlack(const IconImage& image) {
    return MostlyOf(image, [](int r, int g, int b) { return r < 0x50 && g < 0x50 && b < 0x50; });
}

}  // namespace

TEST(MenuIcons, CheckMarksAreRedAndBlackTwinsAndTheOthersRed) {
    IconImage selected = ReadIconImage(IDI_MENU_SELECTED);
    IconImage gray = ReadIconImage(IDI_MENU_SELECTED_GRAY);
    EXPECT_TRUE(MostlyRed(selected));
    EXPECT_TRUE(MostlyBlack(gray));
    EXPECT_EQ(selected.maskSet, gray.maskSet) << "the two check marks must have the same outline";
    EXPECT_TRUE(MostlyRed(ReadIconImage(IDI_MENU_ABOUT)));
    EXPECT_TRUE(MostlyRed(ReadIconImage(IDI_MENU_EXIT)));
}

TEST(Manifest, AsksForCommonControls6AndNoElevation) {
    Bytes manifest = Resource(RT_MANIFEST, 1);
    ASSERT_NE(manifest.data, nullptr);
    std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
}

namespace {

class VersionRecord : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[MAX_PATH];
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        DWORD ignored = 0;
        m_block.resize(::GetFileVersionInfoSizeW(path, &ignored));
        ASSERT_FALSE(m_block.empty());
        ASSERT_TRUE(::GetFileVersionInfoW(path, 0, DWORD(m_block.size()), m_block.data()));
    }
    template <typename T> const T* Query(const std::wstring& key) {
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(m_block.data(), key.c_str(), &value, &length) || length == 0) return nullptr;
        return static_cast<const T*>(value);
    }
    std::wstring StringValue(const wchar_t* name) {
        const WORD* translation = Query<WORD>(L"\\VarFileInfo\\Translation");
        if (!translation) return L"<no translation>";
        wchar_t key[96];
        swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
        const wchar_t* value = Query<wchar_t>(key);
        return value ? value : L"<missing>";
    }
    std::vector<uint8_t> m_block;
};

}  // namespace

TEST_F(VersionRecord, FixedInfoIsApplication2_0_1107_2101) {
    const VS_FIXEDFILEINFO* info = Query<VS_FIXEDFILEINFO>(L"\\");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info->dwFileVersionMS, DWORD((2 << 16) | 0));
    EXPECT_EQ(info->dwFileVersionLS, DWORD((1107 << 16) | 2101));
    EXPECT_EQ(info->dwProductVersionMS, DWORD((2 << 16) | 0));
    EXPECT_EQ(info->dwProductVersionLS, DWORD((1107 << 16) | 2101));
    EXPECT_EQ(info->dwFileType, DWORD(VFT_APP));
}

TEST_F(VersionRecord, StringsAreFoundThroughTheDeclaredTranslation) {
    EXPECT_EQ(StringValue(L"CompanyName"), L"ORV");
    EXPECT_EQ(StringValue(L"FileDescription"), L"Tarvel");
    EXPECT_EQ(StringValue(L"ProductName"), L"Tarvel");
    EXPECT_EQ(StringValue(L"InternalName"), L"Tarvel.exe");
    EXPECT_EQ(StringValue(L"OriginalFilename"), L"Tarvel.exe");
    EXPECT_EQ(StringValue(L"FileVersion"), L"2.0.1107.2101");
    EXPECT_EQ(StringValue(L"ProductVersion"), L"2.0.1107.2101");
}
