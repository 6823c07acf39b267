#include "BrightnessEvents.h"
#include "ComEntryPoints.h"
#include "ComGuards.h"
#include "ConsoleLine.h"
#include "EventSink.h"
#include <wbemidl.h>

namespace {

const wchar_t kNamespace[] = L"ROOT\\WMI";
const wchar_t kQueryLanguage[] = L"WQL";
const wchar_t kBrightnessQuery[] = L"SELECT * FROM WmiMonitorBrightnessEvent";

// A call counts as done only when it succeeded and handed over its interface: nothing
// goes on with a missing one.
template <class T>
bool Obtained(HRESULT hr, const ComRef<T>& ref) {
    return SUCCEEDED(hr) && ref;
}

// One subscription attempt and everything it obtains on the way. Each way out gives the
// strings back first, then the interfaces in the order that way prescribes.
class BrightnessSubscription {
public:
    explicit BrightnessSubscription(const ComEntryPoints& com) : m_com(com) {}
    int Run();

private:
    void InitializeCom();
    // Each answers BRIGHTNESS_SUBSCRIBED when it got everything it needs, else why not.
    int ConnectNamespace();
    int CreateSinkStub();
    int StartQuery();
    void FreeStrings();
    int Fail(int result);
    int Succeed();

    const ComEntryPoints& m_com;
    BstrGuard m_namespace;
    BstrGuard m_queryLanguage;
    BstrGuard m_query;
    ComRef<IWbemLocator> m_locator;
    ComRef<IWbemServices> m_services;
    ComRef<IUnsecuredApartment> m_apartment;
    ComRef<EventSink> m_sink;
    ComRef<IUnknown> m_stub;
    ComRef<IWbemObjectSink> m_stubSink;
};

int BrightnessSubscription::Run() {
    m_namespace.Allocate(kNamespace);
    InitializeCom();
    int failure = ConnectNamespace();
    if (failure == BRIGHTNESS_SUBSCRIBED)
        failure = CreateSinkStub();
    return failure == BRIGHTNESS_SUBSCRIBED ? StartQuery() : Fail(failure);
}

// Either may already have been done by the thread or the process; that is no reason to stop.
void BrightnessSubscription::InitializeCom() {
    m_com.CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    m_com.CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

int BrightnessSubscription::ConnectNamespace() {
    HRESULT hr = m_com.CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWbemLocator, m_locator.PutVoid());
    if (!Obtained(hr, m_locator))
        return BRIGHTNESS_NO_LOCATOR;
    hr = m_locator->ConnectServer(m_namespace.Get(), nullptr, nullptr, nullptr, 0, nullptr,
                                  nullptr, m_services.Put());
    if (!Obtained(hr, m_services))
        return BRIGHTNESS_NO_NAMESPACE;
    hr = m_com.CoSetProxyBlanket(m_services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE);
    if (FAILED(hr))
        return BRIGHTNESS_NO_PROXY_SECURITY;
    return BRIGHTNESS_SUBSCRIBED;
}

// WMI calls back from another process's security context; the unsecured apartment's stub
// lets those calls reach a sink in this process.
int BrightnessSubscription::CreateSinkStub() {
    HRESULT hr = m_com.CoCreateInstance(CLSID_UnsecuredApartment, nullptr, CLSCTX_LOCAL_SERVER,
                                        IID_IUnsecuredApartment, m_apartment.PutVoid());
    if (!Obtained(hr, m_apartment))
        return BRIGHTNESS_NO_UNSECURED_APARTMENT;
    m_sink.Adopt(new EventSink);
    m_sink->AddRef();
    hr = m_apartment->CreateObjectStub(m_sink.Get(), m_stub.Put());
    if (!Obtained(hr, m_stub))
        return BRIGHTNESS_NO_STUB;
    hr = m_stub->QueryInterface(IID_IWbemObjectSink, m_stubSink.PutVoid());
    if (!Obtained(hr, m_stubSink))
        return BRIGHTNESS_STUB_NOT_A_SINK;
    return BRIGHTNESS_SUBSCRIBED;
}

int BrightnessSubscription::StartQuery() {
    m_queryLanguage.Allocate(kQueryLanguage);
    m_query.Allocate(kBrightnessQuery);
    const HRESULT hr = m_services->ExecNotificationQueryAsync(
        m_queryLanguage.Get(), m_query.Get(), WBEM_FLAG_SEND_STATUS, nullptr, m_stubSink.Get());
    if (FAILED(hr)) {
        PrintConsoleLine("ExecNotificationQueryAsync failed with = 0x%X\n", static_cast<unsigned>(hr));
        return Fail(BRIGHTNESS_QUERY_REFUSED);
    }
    return Succeed();
}

void BrightnessSubscription::FreeStrings() {
    m_namespace.Free();
    m_queryLanguage.Free();
    m_query.Free();
}

// The same order on every failure, skipping what was never obtained.
int BrightnessSubscription::Fail(int result) {
    FreeStrings();
    m_services.Reset();
    m_locator.Reset();
    m_apartment.Reset();
    m_stub.Reset();
    m_sink.Reset();
    m_stubSink.Reset();
    m_com.CoUninitialize();
    return result;
}

// From here on only WMI's reference to the stub sink keeps the subscription, and through
// the stub the sink, alive; COM stays initialised for it.
int BrightnessSubscription::Succeed() {
    FreeStrings();
    m_apartment.Reset();
    m_stub.Reset();
    m_sink.Reset();
    m_stubSink.Reset();
    m_services.Reset();
    m_locator.Reset();
    return BRIGHTNESS_SUBSCRIBED;
}

}  // namespace

int SubscribeBrightnessEvents() {
    BrightnessSubscription subscription(BrightnessComEntryPoints());
    return subscription.Run();
}
