#include "ScreenAndPointer.h"
#include "ProcessAndWindows.h"
#include <algorithm>

namespace e2e {

bool Xdotool(const std::string& args) {
    std::wstring cmd = L"/usr/bin/xdotool " + std::wstring(args.begin(), args.end());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(L"Z:\\usr\\bin\\xdotool", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    bool done = ::WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    return done;
}

void MoveTo(int x, int y) { Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)); }

void Click(int x, int y, int button, int repeat) {
    Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click --repeat " + std::to_string(repeat) +
            " --delay 80 " + std::to_string(button));
}

void ClickThenMove(int x, int y, int button, int toX, int toY) {
    Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " + std::to_string(button) +
            " mousemove " + std::to_string(toX) + " " + std::to_string(toY));
}

namespace {

// A 32-bit top-down DIB selected into a memory device context, for as long as it lives.
class DibCanvas {
public:
    DibCanvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        m_screen = ::GetDC(nullptr);
        m_dc = ::CreateCompatibleDC(m_screen);
        m_dib = ::CreateDIBSection(m_screen, &bi, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_dib);
    }
    ~DibCanvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_dib);
        ::DeleteDC(m_dc);
        ::ReleaseDC(nullptr, m_screen);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    HDC Screen() const { return m_screen; }
    Picture Read(const RECT& where) const {
        ::GdiFlush();
        Picture p;
        p.where = where;
        p.width = m_width;
        p.height = m_height;
        const DWORD* px = static_cast<const DWORD*>(m_bits);
        for (int i = 0; i < m_width * m_height; ++i)
            p.pixels.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
        return p;
    }

private:
    int m_width, m_height;
    HDC m_screen = nullptr;
    HDC m_dc = nullptr;
    HBITMAP m_dib = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

}  // namespace

Picture Capture(const RECT& r) {
    DibCanvas canvas(r.right - r.left, r.bottom - r.top);
    ::BitBlt(canvas.Dc(), 0, 0, r.right - r.left, r.bottom - r.top, canvas.Screen(), r.left, r.top, SRCCOPY);
    return canvas.Read(r);
}

Picture SteadyCapture(const RECT& r, const std::function<bool(const Picture&)>& ready,
                      std::chrono::milliseconds timeout, std::chrono::milliseconds poll) {
    Picture now, previous;
    WaitUntil([&] {
        previous = std::move(now);
        now = Capture(r);
        return now.pixels == previous.pixels && ready(now);
    }, timeout, poll);
    return now;
}

Picture Render(int width, int height, const std::function<void(HDC)>& draw) {
    DibCanvas canvas(width, height);
    draw(canvas.Dc());
    return canvas.Read(RECT{0, 0, width, height});
}

std::wstring StandardIconShown(HWND iconControl) {
    RECT r;
    ::GetWindowRect(iconControl, &r);
    int w = ::GetSystemMetrics(SM_CXICON), h = ::GetSystemMetrics(SM_CYICON);
    const struct { LPCWSTR id; const wchar_t* name; } icons[] = {
        {IDI_HAND, L"hand"}, {IDI_QUESTION, L"question"}, {IDI_EXCLAMATION, L"exclamation"}, {IDI_ASTERISK, L"asterisk"}};
    std::vector<Picture> drawn;
    for (const auto& i : icons)
        drawn.push_back(Render(w, h, [&](HDC dc) {
            HBRUSH brush = ::CreateSolidBrush(::GetSysColor(COLOR_3DFACE));
            RECT all = {0, 0, w, h};
            ::FillRect(dc, &all, brush);
            ::DeleteObject(brush);
            ::DrawIconEx(dc, 0, 0, ::LoadIconW(nullptr, i.id), w, h, 0, nullptr, DI_NORMAL);
        }));
    auto match = [&](const Picture& shown) {
        for (size_t k = 0; k < drawn.size(); ++k)
            if (drawn[k].pixels == shown.pixels) return static_cast<int>(k);
        return -1;
    };
    // A box can be visible a moment before its icon is painted (a slow, emulated 32-bit
    // process shows it): wait for the screen to settle on one of the icons, not longer.
    Picture shown = SteadyCapture(RECT{r.left, r.top, r.left + w, r.top + h},
                                  [&](const Picture& p) { return match(p) >= 0; }, std::chrono::seconds(5),
                                  std::chrono::milliseconds(50));
    int k = match(shown);
    return k >= 0 ? icons[k].name : L"";
}

std::wstring Picture::Save(const std::wstring& name) const {
    std::wstring path = BinDir() + name;
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = static_cast<DWORD>(stride * height);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
    bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::vector<char> row(static_cast<size_t>(stride), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            COLORREF c = At(x, y);
            row[static_cast<size_t>(x * 3)] = static_cast<char>(GetBValue(c));
            row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>(GetGValue(c));
            row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>(GetRValue(c));
        }
        bytes.append(row.data(), static_cast<size_t>(stride));
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return path;
}

RECT TrayIconsArea() {
    RECT empty = {0, 0, 0, 0};
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskbar == nullptr)
        return empty;
    RECT bar;
    ::GetWindowRect(taskbar, &bar);
    // The icons sit at the right end; the left part holds the start button.
    RECT strip = {bar.right - 160, bar.top, bar.right, bar.bottom};
    Picture p = Capture(strip);
    COLORREF background = p.At(0, p.height / 2);
    int left = p.width, right = -1, top = p.height, bottom = -1;
    for (int y = 2; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.At(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return empty;
    return RECT{strip.left + left, strip.top + top, strip.left + right + 1, strip.top + bottom + 1};
}

HWND VisibleMenu(DWORD pid) {
    for (HWND h : TopLevelWindows(pid, L"#32768"))
        if (::IsWindowVisible(h))
            return h;
    return nullptr;
}

}  // namespace e2e
