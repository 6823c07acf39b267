// The lightest program that does what a person sees of Tarvel: a hidden window, one tray
// icon, and a plain popup menu with the same four commands on a right click. No owner
// drawing, no firmware, no GPU. The benchmark holds Tarvel against it.
//   Baseline.exe [READY_FILE [wmi]]
// With READY_FILE, the moment the icon was added (a FILETIME, 100-ns units) is written there.
// With "wmi", it also connects to WMI's ROOT\WMI namespace before adding the icon, as
// Tarvel's brightness subscription does: the benchmark uses this to show what that costs.
#include "AppMessages.h"
#include <windows.h>
#include <shellapi.h>
#include <wbemidl.h>

#include <cstdio>

namespace {

// The same callback message and command numbers as Tarvel, so one driver serves both.
constexpr UINT kTrayNotify = WM_TRAYNOTIFY;
constexpr UINT kCmdEnable = ID_TRAY_ENABLE;
constexpr UINT kCmdDisable = ID_TRAY_DISABLE;
constexpr UINT kCmdAbout = ID_TRAY_ABOUT;
constexpr UINT kCmdExit = ID_TRAY_EXIT;

const wchar_t kWindowClass[] = L"TarvelBenchBaseline";

NOTIFYICONDATAW g_nid = {};

void ShowTrayMenu(HWND hWnd) {
    POINT pt;
    ::GetCursorPos(&pt);
    // The menu must be owned by the foreground window, or it would not close when the
    // user clicks elsewhere.
    ::SetForegroundWindow(hWnd);
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, kCmdEnable, L"Enable");
    ::AppendMenuW(menu, MF_STRING, kCmdDisable, L"Disable");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCmdAbout, L"About");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kCmdExit, L"Exit");
    ::TrackPopupMenu(menu, 0, pt.x, pt.y, 0, hWnd, nullptr);
    ::PostMessageW(hWnd, WM_NULL, 0, 0);
    ::DestroyMenu(menu);
}

LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kTrayNotify:
        if (lParam == WM_RBUTTONUP)
            ShowTrayMenu(hWnd);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kCmdExit)
            ::DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        ::Shell_NotifyIconW(NIM_DELETE, &g_nid);
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    }
}

// Kept for the life of the process, as a subscription keeps its connection.
IWbemLocator* g_pLocator = nullptr;
IWbemServices* g_pServices = nullptr;

// COM is loaded only in this mode: linked, its libraries would load into every baseline run.
struct ComEntryPoints {
    HRESULT(WINAPI* coInitializeEx)(LPVOID, DWORD);
    HRESULT(WINAPI* coCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    void(WINAPI* coUninitialize)();
    BSTR(WINAPI* sysAllocString)(const OLECHAR*);
    void(WINAPI* sysFreeString)(BSTR);
};

template <typename F>
bool Resolve(HMODULE module, const char* name, F* fn) {
    *fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return *fn != nullptr;
}

ComEntryPoints g_com = {};

void ConnectWmi() {
    HMODULE ole32 = ::LoadLibraryW(L"ole32.dll");
    HMODULE oleaut32 = ::LoadLibraryW(L"oleaut32.dll");
    if (ole32 == nullptr || oleaut32 == nullptr ||
        !Resolve(ole32, "CoInitializeEx", &g_com.coInitializeEx) ||
        !Resolve(ole32, "CoCreateInstance", &g_com.coCreateInstance) ||
        !Resolve(ole32, "CoUninitialize", &g_com.coUninitialize) ||
        !Resolve(oleaut32, "SysAllocString", &g_com.sysAllocString) ||
        !Resolve(oleaut32, "SysFreeString", &g_com.sysFreeString))
        return;
    if (FAILED(g_com.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return;
    if (FAILED(g_com.coCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      reinterpret_cast<void**>(&g_pLocator))))
        return;
    BSTR ns = g_com.sysAllocString(L"ROOT\\WMI");
    g_pLocator->ConnectServer(ns, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &g_pServices);
    g_com.sysFreeString(ns);
}

void DisconnectWmi() {
    if (g_pServices != nullptr)
        g_pServices->Release();
    if (g_pLocator != nullptr) {
        g_pLocator->Release();
        g_com.coUninitialize();
    }
}

void RecordReady(const wchar_t* path) {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    const unsigned long long t = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    if (FILE* f = _wfopen(path, L"w")) {
        std::fprintf(f, "%llu\n", t);
        std::fclose(f);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassW(&wc))
        return 1;
    HWND hWnd = ::CreateWindowExW(0, kWindowClass, L"Baseline", WS_OVERLAPPED, 0, 0, 0, 0,
                                  nullptr, nullptr, hInstance, nullptr);
    if (hWnd == nullptr)
        return 1;

    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv != nullptr && argc > 2 && lstrcmpW(argv[2], L"wmi") == 0)
        ConnectWmi();

    g_nid.cbSize = sizeof g_nid;
    g_nid.hWnd = hWnd;
    g_nid.uID = 1;
    g_nid.uCallbackMessage = kTrayNotify;
    g_nid.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    g_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    lstrcpynW(g_nid.szTip, L"Baseline", ARRAYSIZE(g_nid.szTip));
    if (!::Shell_NotifyIconW(NIM_ADD, &g_nid))
        return 2;

    if (argv != nullptr && argc > 1)
        RecordReady(argv[1]);
    ::LocalFree(argv);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    DisconnectWmi();
    return 0;
}
