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

Picture Capture(const RECT& r) {
    Picture p;
    p.where = r;
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, p.width, p.height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD* px = static_cast<const DWORD*>(bits);
    for (int i = 0; i < p.width * p.height; ++i)
        p.pixels.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return p;
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
