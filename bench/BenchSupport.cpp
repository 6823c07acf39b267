#include "BenchSupport.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

namespace bench {

uint64_t FileTimeNow() {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / ticksPerMs;
}

Program::~Program() {
    if (Running())
        Kill();
    if (m_pi.hProcess != nullptr)
        ::CloseHandle(m_pi.hProcess);
    if (m_pi.hThread != nullptr)
        ::CloseHandle(m_pi.hThread);
}

bool Program::Start(const std::wstring& commandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::wstring line = commandLine;
    return ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi) != FALSE;
}

bool Program::Running() const {
    return m_pi.hProcess != nullptr && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD timeoutMs) {
    return m_pi.hProcess == nullptr || ::WaitForSingleObject(m_pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

void Program::Kill() {
    ::TerminateProcess(m_pi.hProcess, 99);
    ::WaitForSingleObject(m_pi.hProcess, 5000);
}

namespace {

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    auto* q = reinterpret_cast<WindowQuery*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    wchar_t cls[64] = {};
    wchar_t text[128] = {};
    ::GetClassNameW(hWnd, cls, 64);
    ::GetWindowTextW(hWnd, text, 128);
    if (pid == q->pid && lstrcmpW(cls, q->className) == 0 &&
        (q->caption == nullptr || lstrcmpW(text, q->caption) == 0) &&
        (!q->visibleOnly || ::IsWindowVisible(hWnd))) {
        q->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindTopLevel(DWORD pid, const wchar_t* className, const wchar_t* caption) {
    WindowQuery q = {pid, className, caption, false, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND VisibleMenu(DWORD pid) {
    WindowQuery q = {pid, L"#32768", nullptr, true, nullptr};
    ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

Memory MemoryOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    Memory m;
    if (::GetProcessMemoryInfo(process, &pmc, sizeof pmc)) {
        m.committed = pmc.PagefileUsage;
        m.workingSet = pmc.WorkingSetSize;
    }
    return m;
}

std::vector<Module> ModulesOf(HANDLE process) {
    HMODULE modules[512];
    DWORD needed = 0;
    std::vector<Module> result;
    if (!::EnumProcessModulesEx(process, modules, sizeof modules, &needed, LIST_MODULES_ALL))
        return result;
    const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 512);
    for (DWORD i = 0; i < count; ++i) {
        char name[MAX_PATH] = {};
        MODULEINFO info = {};
        ::GetModuleBaseNameA(process, modules[i], name, MAX_PATH);
        ::GetModuleInformation(process, modules[i], &info, sizeof info);
        result.push_back({name, info.SizeOfImage / 1024});
    }
    return result;
}

unsigned ThreadCount(DWORD pid) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    unsigned n = 0;
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    for (BOOL more = ::Thread32First(snapshot, &te); more; more = ::Thread32Next(snapshot, &te))
        n += te.th32OwnerProcessID == pid ? 1 : 0;
    ::CloseHandle(snapshot);
    return n;
}

std::vector<DWORD> CaptureScreen(const RECT& r) {
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    std::vector<DWORD> pixels;
    if (w <= 0 || h <= 0)
        return pixels;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD* px = static_cast<const DWORD*>(bits);
    pixels.assign(px, px + static_cast<size_t>(w) * h);
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

void Sample(const char* figure, const char* who, double value) {
    std::printf("SAMPLE %s %s %.6f\n", figure, who, value);
    std::fflush(stdout);
}

void Note(const char* text) {
    std::printf("NOTE %s\n", text);
    std::fflush(stdout);
}

}  // namespace bench
