// SubscribeBrightnessEvents against the platform's own COM and WMI as Wine provides them:
// the locator, the connection and the proxy security work, but there is no unsecured
// apartment, so the real subscription always ends at that step. What is checked here is
// that it ends cleanly: the right result, every interface given back, COM uninitialised
// exactly once.
#include "BrightnessEvents.h"
#include "ComEntryPoints.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <wbemidl.h>
#include <vector>

#include "common/SimSync.h"

namespace {

// Passes every call on to the system and keeps count; holds an extra reference on the
// locator and the namespace connection so that the test can see they were released.
struct ComWitness {
    int initialized = 0;
    int securityInitialized = 0;
    int uninitialized = 0;
    std::vector<HRESULT> created;
    std::vector<HRESULT> blankets;
    IUnknown* locator = nullptr;
    IUnknown* services = nullptr;
};
ComWitness* g_witness = nullptr;

HRESULT WINAPI WitnessCoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
    ++g_witness->initialized;
    return ::CoInitializeEx(pvReserved, dwCoInit);
}
HRESULT WINAPI WitnessCoInitializeSecurity(PSECURITY_DESCRIPTOR a, LONG b, SOLE_AUTHENTICATION_SERVICE* c, void* d,
                                           DWORD e, DWORD f, void* g, DWORD h, void* i) {
    ++g_witness->securityInitialized;
    return ::CoInitializeSecurity(a, b, c, d, e, f, g, h, i);
}
HRESULT WINAPI WitnessCoCreateInstance(REFCLSID rclsid, LPUNKNOWN outer, DWORD context, REFIID riid, LPVOID* ppv) {
    HRESULT hr = ::CoCreateInstance(rclsid, outer, context, riid, ppv);
    g_witness->created.push_back(hr);
    if (SUCCEEDED(hr) && IsEqualGUID(rclsid, CLSID_WbemLocator)) {
        g_witness->locator = static_cast<IUnknown*>(*ppv);
        g_witness->locator->AddRef();
    }
    return hr;
}
HRESULT WINAPI WitnessCoSetProxyBlanket(IUnknown* proxy, DWORD a, DWORD b, OLECHAR* c, DWORD d, DWORD e,
                                        RPC_AUTH_IDENTITY_HANDLE f, DWORD g) {
    g_witness->services = proxy;
    proxy->AddRef();
    HRESULT hr = ::CoSetProxyBlanket(proxy, a, b, c, d, e, f, g);
    g_witness->blankets.push_back(hr);
    return hr;
}
void WINAPI WitnessCoUninitialize() {
    ++g_witness->uninitialized;
    ::CoUninitialize();
}

class WitnessedCom {
public:
    explicit WitnessedCom(ComWitness& witness) : m_saved(BrightnessComEntryPoints()) {
        g_witness = &witness;
        BrightnessComEntryPoints() = ComEntryPoints{&WitnessCoInitializeEx, &WitnessCoInitializeSecurity,
                                                    &WitnessCoCreateInstance, &WitnessCoSetProxyBlanket,
                                                    &WitnessCoUninitialize};
    }
    ~WitnessedCom() {
        BrightnessComEntryPoints() = m_saved;
        g_witness = nullptr;
    }

private:
    ComEntryPoints m_saved;
};

// Subscribes on a new thread and reports how that thread's COM state was left: a thread
// the subscription uninitialised accepts a single-threaded apartment like a fresh one.
struct ThreadOutcome {
    int result = -1;
    HRESULT apartmentAfterwards = E_UNEXPECTED;
};

ThreadOutcome SubscribeOnFreshThread() {
    ThreadOutcome outcome;
    simnb::Thread thread;
    thread.Start([&outcome] {
        outcome.result = SubscribeBrightnessEvents();
        outcome.apartmentAfterwards = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(outcome.apartmentAfterwards))
            ::CoUninitialize();
    });
    thread.Join();
    return outcome;
}

TEST(BrightnessUnderWine, EndsWithoutUnsecuredApartmentAndLeavesComAsItFoundIt) {
    ThreadOutcome outcome = SubscribeOnFreshThread();

    EXPECT_EQ(BRIGHTNESS_NO_UNSECURED_APARTMENT, outcome.result);
    EXPECT_EQ(S_OK, outcome.apartmentAfterwards);
}

TEST(BrightnessUnderWine, ReleasesLocatorAndConnectionAndUninitializesOnce) {
    // Keeps the process's multithreaded apartment, and with it WMI's objects, alive after
    // the subscribing thread has left it.
    ASSERT_EQ(S_OK, ::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ComWitness witness;
    ThreadOutcome outcome;
    {
        WitnessedCom witnessed(witness);
        outcome = SubscribeOnFreshThread();
    }

    EXPECT_EQ(BRIGHTNESS_NO_UNSECURED_APARTMENT, outcome.result);
    EXPECT_EQ(S_OK, outcome.apartmentAfterwards);
    EXPECT_EQ(1, witness.initialized);
    EXPECT_EQ(1, witness.securityInitialized);
    EXPECT_EQ(std::vector<HRESULT>({S_OK, REGDB_E_CLASSNOTREG}), witness.created);
    EXPECT_EQ(std::vector<HRESULT>({S_OK}), witness.blankets);
    EXPECT_EQ(1, witness.uninitialized);
    ASSERT_NE(nullptr, witness.services);
    ASSERT_NE(nullptr, witness.locator);
    EXPECT_EQ(0u, witness.services->Release());
    EXPECT_EQ(0u, witness.locator->Release());
    ::CoUninitialize();
}

}  // namespace
