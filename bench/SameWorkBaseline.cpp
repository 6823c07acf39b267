// The same start-up work as Tarvel, by the plainest means: the calls Tarvel's main dialog
// makes while it initialises, in the same order, with the same arguments and Tarvel's own
// resources (res/Tarvel.rc is built into this program), written out against the Windows
// API without Tarvel's framework layer, and nothing else. The benchmark holds Tarvel
// against it: what Tarvel costs beyond this program is the cost of Tarvel's own code, not
// of the work its design requires.
//   SameWorkBaseline.exe
// It is ready where Tarvel is: at its start-up write of AP:6, which the simulated
// notebook's journal records. The main dialog's Exit command (or IDCANCEL) ends it.
#include "AppMessages.h"
#include "ORVWmiAcpi.h"
#include "resource.h"
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <wbemidl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// Its own name: a Tarvel running beside it must not make it leave, nor the reverse.
const wchar_t kInstanceMutexName[] = L"ORV Tarvel same-work baseline";
const wchar_t kMessageCaption[] = L"ORV Tarvel";
const GUID kAcDcPowerSource = {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}};

constexpr int kRequestSize = 80;
constexpr int kReplySize = 800;

// Everything the main dialog keeps, as Tarvel's dialog object keeps it.
struct MainDialog {
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    CORVWmiAcpi* bridge = nullptr;
    NOTIFYICONDATAW nid = {};
    HANDLE hMutex = nullptr;
    HPOWERNOTIFY hPowerNotify = nullptr;
    HWND hBtnOverclock = nullptr;
    HWND hBtnDownclock = nullptr;
    HWND hBtnOK = nullptr;
    HWND hAbout = nullptr;
    bool ocAvailable = false;
    bool ocEnabled = true;
    bool nvidia = false;
    bool ati = false;
};

MainDialog g_dlg;

template <typename Fn>
Fn ProcAs(FARPROC pfn) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(pfn));
}

// ---- Firmware requests: the bridge's ORV_CallNamePipe with Tarvel's request strings ----

bool CallFirmware(const char* text, int32_t* value) {
    char request[kRequestSize] = {};
    char reply[kReplySize] = {};
    std::strncpy(request, text, kRequestSize - 1);
    if (ORV_CallNamePipe(request, kRequestSize, reply, kReplySize) == 0)
        return false;
    if (value != nullptr)
        *value = std::atoi(reply);
    return true;
}

bool ReadAp6(int32_t* value) { return CallFirmware("root\\WMI:Q:ORV_AP:AP:6", value); }

// The write, then the read-back that tells a kept write from a refused one.
void WriteAp6(int32_t value) {
    char text[48];
    std::snprintf(text, sizeof text, "root\\WMI:S:ORV_AP:AP:6:%ld", static_cast<long>(value));
    int32_t readBack = 0;
    if (CallFirmware(text, nullptr))
        ReadAp6(&readBack);
}

// ---- The monitor-brightness subscription through WMI, as far as the platform allows ----

// A sink that takes events and does nothing with them.
class NullSink final : public IWbemObjectSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IWbemObjectSink) {
            *ppv = static_cast<IWbemObjectSink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }
    HRESULT STDMETHODCALLTYPE Indicate(LONG, IWbemClassObject**) override { return WBEM_S_NO_ERROR; }
    HRESULT STDMETHODCALLTYPE SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override { return WBEM_S_NO_ERROR; }

private:
    ~NullSink() = default;
    LONG m_refs = 0;
};

template <class T>
void ReleaseIf(T*& p) {
    if (p != nullptr)
        p->Release();
    p = nullptr;
}

void StartBrightnessQuery(IWbemServices* services, IUnsecuredApartment* apartment) {
    NullSink* sink = new NullSink;
    sink->AddRef();
    IUnknown* stub = nullptr;
    IWbemObjectSink* stubSink = nullptr;
    if (SUCCEEDED(apartment->CreateObjectStub(sink, &stub)) && stub != nullptr &&
        SUCCEEDED(stub->QueryInterface(IID_IWbemObjectSink, reinterpret_cast<void**>(&stubSink))) &&
        stubSink != nullptr) {
        BSTR language = ::SysAllocString(L"WQL");
        BSTR query = ::SysAllocString(L"SELECT * FROM WmiMonitorBrightnessEvent");
        services->ExecNotificationQueryAsync(language, query, WBEM_FLAG_SEND_STATUS, nullptr, stubSink);
        ::SysFreeString(language);
        ::SysFreeString(query);
    }
    ReleaseIf(stub);
    ReleaseIf(stubSink);
    sink->Release();
}

void SubscribeBrightness() {
    BSTR ns = ::SysAllocString(L"ROOT\\WMI");
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                           nullptr, EOAC_NONE, nullptr);
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;
    IUnsecuredApartment* apartment = nullptr;
    bool subscribed = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                     reinterpret_cast<void**>(&locator))) &&
        SUCCEEDED(locator->ConnectServer(ns, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services)) &&
        SUCCEEDED(::CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)) &&
        // Wine has no unsecured apartment: the subscription ends here, as Tarvel's does.
        SUCCEEDED(::CoCreateInstance(CLSID_UnsecuredApartment, nullptr, CLSCTX_LOCAL_SERVER,
                                     IID_IUnsecuredApartment, reinterpret_cast<void**>(&apartment)))) {
        StartBrightnessQuery(services, apartment);
        subscribed = true;
    }
    ::SysFreeString(ns);
    ReleaseIf(apartment);
    ReleaseIf(services);
    ReleaseIf(locator);
    if (!subscribed)
        ::CoUninitialize();
}

// ---- The vendor libraries, from the system folder only ----

template <typename Char, typename GetDir>
bool SystemPath(Char (&path)[MAX_PATH], const Char* name, size_t nameLength, GetDir getDir) {
    const UINT n = getDir(path, MAX_PATH);
    if (n == 0 || n + 1 + nameLength >= MAX_PATH)
        return false;
    path[n] = static_cast<Char>('\\');
    std::memcpy(path + n + 1, name, (nameLength + 1) * sizeof(Char));
    return true;
}

HMODULE LoadSystemLibraryW(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    return SystemPath(path, name, std::wcslen(name), ::GetSystemDirectoryW) ? ::LoadLibraryW(path) : nullptr;
}

HMODULE LoadSystemLibraryA(const char* name) {
    char path[MAX_PATH];
    return SystemPath(path, name, std::strlen(name), ::GetSystemDirectoryA) ? ::LoadLibraryA(path) : nullptr;
}

// ATI: ADL's ten functions, its start and the over-drive clock ranges of adapter 0.
struct AdlClockSetting {
    int iDefaultClock, iCurrentClock, iMaxClock, iMinClock, iRequestedClock, iAppliedClock;
};
struct AdlClockInfo {
    int iSize, iFlags;
    AdlClockSetting sMemoryClock, sEngineClock;
};
struct AdlClockConfig {
    int iSize, iFlags, iMemoryClock, iEngineClock;
};
typedef void*(__stdcall* AdlAlloc)(int);
typedef int (*AdlCreate)(AdlAlloc, int);
typedef int (*AdlInfoGet)(int, AdlClockInfo*);
typedef int (*AdlConfigSet)(int, AdlClockConfig*);

const char* const kAdlFunctions[10] = {
    "ADL_Display_ODClockInfo_Get",      "ADL_Display_ODClockConfig_Set", "ADL_Main_Control_Create",
    "ADL_Main_Control_Destroy",         "ADL_Adapter_NumberOfAdapters_Get", "ADL_Adapter_AdapterInfo_Get",
    "ADL_Display_DisplayInfo_Get",      "ADL_Display_ColorCaps_Get",     "ADL_Display_Color_Get",
    "ADL_Display_Color_Set",
};
FARPROC g_adl[10] = {};
AdlClockInfo g_adlInfo = {};

void* __stdcall AdlMalloc(int size) { return size < 0 ? nullptr : std::malloc(static_cast<size_t>(size)); }

bool ProbeAti() {
    HMODULE adl = LoadSystemLibraryW(L"atiadlxx.dll");
    if (adl == nullptr)
        adl = LoadSystemLibraryW(L"atiadlxy.dll");
    if (adl == nullptr)
        return false;
    for (int i = 0; i < 10; ++i)
        g_adl[i] = ::GetProcAddress(adl, kAdlFunctions[i]);
    for (FARPROC pfn : g_adl) {
        if (pfn == nullptr)
            return false;
    }
    return ProcAs<AdlCreate>(g_adl[2])(&AdlMalloc, 1) == 0 && ProcAs<AdlInfoGet>(g_adl[0])(0, &g_adlInfo) == 0;
}

// NVIDIA: every entry point through nvapi_QueryInterface, each identifier asked once.
typedef void*(__cdecl* NvQuery)(uint32_t);
typedef int32_t(__cdecl* NvInitialize)();
typedef int32_t(__cdecl* NvEnumDisplay)(uint32_t, void**);
typedef int32_t(__cdecl* NvEnumGpus)(void**, uint32_t*);
typedef int32_t(__cdecl* NvGpuValue)(void*, uint32_t);
typedef int32_t(__cdecl* NvGpuTwoValues)(void*, uint32_t, uint32_t);

#ifdef _WIN64
const char kNvapiName[] = "nvapi64.dll";
#else
const char kNvapiName[] = "nvapi.dll";
#endif

NvQuery g_nvQuery = nullptr;
void* g_nvDisplays[128];
void* g_nvPhysical[64];
uint32_t g_nvPhysicalCount = 0;
void* g_nvLogical[64];
uint32_t g_nvLogicalCount = 0;

bool ProbeNvidia() {
    HMODULE nvapi = LoadSystemLibraryA(kNvapiName);
    if (nvapi == nullptr)
        return false;
    g_nvQuery = ProcAs<NvQuery>(::GetProcAddress(nvapi, "nvapi_QueryInterface"));
    auto initialize = g_nvQuery ? reinterpret_cast<NvInitialize>(g_nvQuery(0x0150E828)) : nullptr;
    if (initialize == nullptr || initialize() != 0) {
        g_nvQuery = nullptr;
        ::FreeLibrary(nvapi);
        return false;
    }
    auto enumDisplay = reinterpret_cast<NvEnumDisplay>(g_nvQuery(0x9ABDD40D));
    int32_t status = 0;
    for (uint32_t i = 0; i < 128 && status == 0; ++i) {
        status = enumDisplay ? enumDisplay(i, &g_nvDisplays[i]) : -3;
        if (status != 0 && status != -7)
            return false;
    }
    auto enumPhysical = reinterpret_cast<NvEnumGpus>(g_nvQuery(0xE5AC921F));
    if (enumPhysical == nullptr || enumPhysical(g_nvPhysical, &g_nvPhysicalCount) != 0)
        return false;
    auto enumLogical = reinterpret_cast<NvEnumGpus>(g_nvQuery(0x48B3EA59));
    if (enumLogical == nullptr || enumLogical(g_nvLogical, &g_nvLogicalCount) != 0)
        return false;
    return g_nvPhysicalCount > 0;
}

void ApplyNvidia() {
    int32_t ap6 = 0;
    const bool read = ReadAp6(&ap6);
    void* gpu = g_nvPhysical[0];
    auto b23b70ee = reinterpret_cast<NvGpuValue>(g_nvQuery(0xB23B70EE));
    const int32_t a = b23b70ee ? b23b70ee(gpu, 1) : -3;
    auto fdfc7d49 = reinterpret_cast<NvGpuTwoValues>(g_nvQuery(0xFDFC7D49));
    const int32_t b = fdfc7d49 ? fdfc7d49(gpu, 1, 0) : -3;
    auto fa579a0f = reinterpret_cast<NvGpuValue>(g_nvQuery(0xFA579A0F));
    const int32_t c = fa579a0f ? fa579a0f(gpu, 0) : -3;
    if (read)
        WriteAp6(a == 0 && b == 0 && c == 0 ? (ap6 | 1) : ap6);
}

void ApplyAti() {
    int32_t ap6 = 0;
    const bool read = ReadAp6(&ap6);
    AdlClockConfig config = {static_cast<int>(sizeof(AdlClockConfig)), g_adlInfo.iFlags,
                             g_adlInfo.sMemoryClock.iMaxClock, g_adlInfo.sEngineClock.iMaxClock};
    const int status = ProcAs<AdlConfigSet>(g_adl[1])(0, &config);
    if (read)
        WriteAp6(status == 0 ? (ap6 | 1) : ap6);
}

// ---- The dialogs ----

INT_PTR CALLBACK AboutProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::ShowWindow(hDlg, SW_HIDE);
        return TRUE;
    }
    return FALSE;
}

void AddSystemMenuItem(HWND hDlg) {
    HMENU sysMenu = ::GetSystemMenu(hDlg, FALSE);
    wchar_t text[256];
    if (sysMenu != nullptr && ::LoadStringW(g_dlg.hInstance, IDS_ABOUTBOX, text, 256) > 0) {
        ::AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, text);
    }
}

void AddTrayIcon(HWND hDlg) {
    NOTIFYICONDATAW& nid = g_dlg.nid;
    nid.cbSize = sizeof nid;
    nid.hWnd = hDlg;
    nid.uID = 1;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = ::LoadIconW(g_dlg.hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wcscpy_s(nid.szTip, sizeof nid.szTip / sizeof nid.szTip[0], L"ORV Tarvel");
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ::Shell_NotifyIconW(NIM_ADD, &nid);
}

void SubscribeFirmwareEvents(HWND hDlg) {
    g_dlg.bridge->AddHWND(hDlg);
    char buffer[260];
    std::memset(buffer, 0, sizeof buffer);
    g_dlg.bridge->ORVWMIEvent(L"Select * from ORV_Event", buffer, L"root\\wmi", L"WQL");
}

void SetButtons() {
    const BOOL enable = g_dlg.ocAvailable ? TRUE : FALSE;
    ::EnableWindow(g_dlg.hBtnOverclock, enable);
    ::EnableWindow(g_dlg.hBtnDownclock, enable);
    ::EnableWindow(g_dlg.hBtnOK, enable);
    ::SendMessageW(g_dlg.hBtnOverclock, BM_SETCHECK, g_dlg.ocEnabled ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(g_dlg.hBtnDownclock, BM_SETCHECK, g_dlg.ocEnabled ? BST_UNCHECKED : BST_CHECKED, 0);
}

// Tarvel's OnInitDialog, step for step.
BOOL InitMainDialog(HWND hDlg) {
    g_dlg.hBtnOverclock = ::GetDlgItem(hDlg, IDC_RADIO_OVERCLOCK);
    g_dlg.hBtnDownclock = ::GetDlgItem(hDlg, IDC_RADIO_DOWNCLOCK);
    g_dlg.hBtnOK = ::GetDlgItem(hDlg, IDOK);
    AddSystemMenuItem(hDlg);
    ::SendMessageW(hDlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_dlg.hIcon));
    ::SendMessageW(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_dlg.hIcon));

    if (::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName) != nullptr) {
        ::EndDialog(hDlg, IDCANCEL);
        return FALSE;
    }
    g_dlg.hMutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    AddTrayIcon(hDlg);
    SubscribeFirmwareEvents(hDlg);
    SubscribeBrightness();

    g_dlg.ati = ProbeAti();
    g_dlg.nvidia = ProbeNvidia();
    if (!g_dlg.nvidia && !g_dlg.ati) {
        ::MessageBoxW(hDlg, L"Your system doesn't have NVIDIA or ATI graphic chipset", kMessageCaption,
                      MB_OK | MB_ICONEXCLAMATION);
        ::Shell_NotifyIconW(NIM_DELETE, &g_dlg.nid);
        std::exit(1);
    }
    int32_t system0 = 0;
    g_dlg.ocAvailable = CallFirmware("root\\WMI:Q:ORV_System:System:0", &system0) && (system0 & 2) != 0;
    if (g_dlg.ocAvailable && g_dlg.ocEnabled) {
        if (g_dlg.nvidia)
            ApplyNvidia();
        else
            ApplyAti();
    }
    SetButtons();
    g_dlg.hAbout = ::CreateDialogParamW(g_dlg.hInstance, MAKEINTRESOURCEW(IDD_ABOUTBOX), hDlg, AboutProc, 0);
    g_dlg.hPowerNotify = ::RegisterPowerSettingNotification(hDlg, &kAcDcPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE);
    return TRUE;
}

// Gives back what the start-up registered outside the process.
void ReleaseRegistrations() {
    ::Shell_NotifyIconW(NIM_DELETE, &g_dlg.nid);
    if (g_dlg.hPowerNotify != nullptr)
        ::UnregisterPowerSettingNotification(g_dlg.hPowerNotify);
    if (g_dlg.hMutex != nullptr)
        ::ReleaseMutex(g_dlg.hMutex);
    g_dlg.hPowerNotify = nullptr;
    g_dlg.hMutex = nullptr;
}

INT_PTR CALLBACK MainDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return InitMainDialog(hDlg);
    case WM_WINDOWPOSCHANGING:
        // The dialog is never seen, as Tarvel's is not.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        return FALSE;
    case WM_COMMAND:
        if (wParam == ID_TRAY_EXIT || wParam == IDCANCEL) {
            ::EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        ReleaseRegistrations();
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    INITCOMMONCONTROLSEX initCtrls = {};
    initCtrls.dwSize = sizeof initCtrls;
    initCtrls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&initCtrls);

    CORVWmiAcpi bridge;
    g_dlg.hInstance = hInstance;
    g_dlg.bridge = &bridge;
    g_dlg.hIcon = ::LoadIconW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_TARVEL_DIALOG), nullptr, MainDialogProc, 0);
    return 0;
}
