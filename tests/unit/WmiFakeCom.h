// Stand-ins for the platform's COM and WMI as SubscribeBrightnessEvents sees them: the COM
// entry points, a locator, a namespace, an unsecured apartment and its stub. Every call
// they receive goes into one ordered journal, so a test can compare the whole conversation
// (calls, arguments and the order of releases) with what it expects.
//
// The event sink is the program's own object, so its calls cannot be journaled directly.
// The journal holds an extra reference of its own on the sink from the moment it is handed
// to the apartment, and before each entry it looks at the sink's count: every change the
// fakes did not make themselves is entered as "Sink.AddRef" or "Sink.Release".
#pragma once
#include "ComEntryPoints.h"
#include "EventSink.h"
#include "WmiFakeClassObject.h"
#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <cwchar>
#include <string>
#include <vector>

// The published identifiers, written out here rather than taken from the import library.
const CLSID kPublishedClsidWbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID kPublishedIidWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const CLSID kPublishedClsidUnsecuredApartment = {0x49BD2028, 0x1523, 0x11D1, {0xAD, 0x79, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};
const IID kPublishedIidUnsecuredApartment = {0x1CFABA8C, 0x1523, 0x11D1, {0xAD, 0x79, 0x00, 0xC0, 0x4F, 0xD8, 0xFD, 0xFF}};
const IID kPublishedIidWbemObjectSink = {0x7C857801, 0x7381, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID kPublishedIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline std::string WmiGuidName(REFGUID guid) {
    struct Named { const GUID* guid; const char* name; };
    const Named names[] = {{&kPublishedClsidWbemLocator, "CLSID_WbemLocator"},
                           {&kPublishedIidWbemLocator, "IID_IWbemLocator"},
                           {&kPublishedClsidUnsecuredApartment, "CLSID_UnsecuredApartment"},
                           {&kPublishedIidUnsecuredApartment, "IID_IUnsecuredApartment"},
                           {&kPublishedIidWbemObjectSink, "IID_IWbemObjectSink"},
                           {&kPublishedIidUnknown, "IID_IUnknown"}};
    for (const Named& n : names)
        if (IsEqualGUID(guid, *n.guid))
            return n.name;
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return std::string(text, text + std::wcslen(text));
}

inline std::string WmiNumber(long long n) { return std::to_string(n); }

inline std::string WmiPointer(const void* p) { return p == nullptr ? "null" : "object"; }

// A string argument as WMI would see it; one that is not a BSTR is marked.
inline std::string WmiText(const wchar_t* s) {
    if (s == nullptr)
        return "null";
    std::string text(s, s + std::wcslen(s));
    if (::SysStringLen(const_cast<BSTR>(s)) != std::wcslen(s))
        text += " [not a BSTR]";
    return text;
}

class WmiJournal {
public:
    std::vector<std::string> entries;

    void Add(const std::string& entry) {
        NoteSinkChanges();
        entries.push_back(entry);
    }
    void WatchSink(IUnknown* sink) {
        if (m_sink != nullptr)
            return;
        m_sink = sink;
        m_sink->AddRef();
        m_sinkRefs = CountSinkRefs();
    }
    // The sink's references apart from the journal's own.
    LONG SinkRefs() const { return m_sinkRefs - 1; }
    bool SawSink() const { return m_sink != nullptr; }
    // A change of the sink's count that a fake made itself.
    void SinkChangedByFake(int delta) { m_sinkRefs += delta; }
    // Enters what happened since the last entry, then gives the journal's reference back:
    // the result is what the sink's count fell to.
    LONG Close() {
        NoteSinkChanges();
        if (m_sink == nullptr)
            return 0;
        LONG left = static_cast<LONG>(m_sink->Release());
        m_sink = nullptr;
        return left;
    }

private:
    LONG CountSinkRefs() {
        m_sink->AddRef();
        return static_cast<LONG>(m_sink->Release());
    }
    void NoteSinkChanges() {
        if (m_sink == nullptr)
            return;
        for (LONG now = CountSinkRefs(); now != m_sinkRefs;) {
            entries.push_back(now < m_sinkRefs ? "Sink.Release" : "Sink.AddRef");
            m_sinkRefs += now < m_sinkRefs ? -1 : 1;
        }
    }

    IUnknown* m_sink = nullptr;
    LONG m_sinkRefs = 0;
};

// The IUnknown part shared by every fake: journaled, never deleted (the test owns it).
template <class Interface>
class WmiFakeUnknown : public Interface {
public:
    WmiFakeUnknown(WmiJournal& journal, const char* name) : m_journal(journal), m_name(name) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        m_journal.Add(m_name + ".QueryInterface(" + WmiGuidName(riid) + ")");
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        m_journal.Add(m_name + ".AddRef");
        return static_cast<ULONG>(++refs);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        m_journal.Add(m_name + ".Release");
        ULONG left = static_cast<ULONG>(--refs);
        AfterRelease();
        return left;
    }
    // A reference the fake hands over by itself, as the real object's creator would.
    void HandOut() { ++refs; }

    LONG refs = 0;

protected:
    virtual void AfterRelease() {}
    WmiJournal& m_journal;
    std::string m_name;
};

class WmiFakeStub;

class WmiFakeStubSink : public WmiFakeUnknown<IWbemObjectSink> {
public:
    WmiFakeStubSink(WmiJournal& journal, WmiFakeStub& stub) : WmiFakeUnknown(journal, "StubSink"), m_stub(stub) {}
    HRESULT STDMETHODCALLTYPE Indicate(LONG lObjectCount, IWbemClassObject** apObjArray) override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG lFlags, HRESULT hResult, BSTR strParam, IWbemClassObject* pObjParam) override;

protected:
    void AfterRelease() override;

private:
    WmiFakeStub& m_stub;
};

// The stub the unsecured apartment makes: it holds the sink and forwards the calls its
// IWbemObjectSink face receives, until neither face is referenced any more.
class WmiFakeStub : public WmiFakeUnknown<IUnknown> {
public:
    explicit WmiFakeStub(WmiJournal& journal) : WmiFakeUnknown(journal, "Stub"), sinkFace(journal, *this) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        m_journal.Add("Stub.QueryInterface(" + WmiGuidName(riid) + ")");
        *ppv = nullptr;
        if (FAILED(queryResult) || !IsEqualGUID(riid, kPublishedIidWbemObjectSink))
            return FAILED(queryResult) ? queryResult : E_NOINTERFACE;
        sinkFace.HandOut();
        *ppv = static_cast<IWbemObjectSink*>(&sinkFace);
        return S_OK;
    }
    void Hold(IWbemObjectSink* sink) {
        m_held = sink;
        m_held->AddRef();
        m_journal.SinkChangedByFake(+1);
    }
    void DropWhenUnused() {
        if (m_held != nullptr && refs == 0 && sinkFace.refs == 0) {
            m_held->Release();
            m_journal.SinkChangedByFake(-1);
            m_held = nullptr;
        }
    }
    IWbemObjectSink* Held() const { return m_held; }

    HRESULT queryResult = S_OK;
    WmiFakeStubSink sinkFace;

protected:
    void AfterRelease() override { DropWhenUnused(); }

private:
    IWbemObjectSink* m_held = nullptr;
};

inline HRESULT WmiFakeStubSink::Indicate(LONG lObjectCount, IWbemClassObject** apObjArray) {
    return m_stub.Held()->Indicate(lObjectCount, apObjArray);
}
inline HRESULT WmiFakeStubSink::SetStatus(LONG lFlags, HRESULT hResult, BSTR strParam, IWbemClassObject* pObjParam) {
    return m_stub.Held()->SetStatus(lFlags, hResult, strParam, pObjParam);
}
inline void WmiFakeStubSink::AfterRelease() { m_stub.DropWhenUnused(); }

class WmiFakeApartment : public WmiFakeUnknown<IUnsecuredApartment> {
public:
    WmiFakeApartment(WmiJournal& journal, WmiFakeStub& stub) : WmiFakeUnknown(journal, "Apartment"), m_stub(stub) {}
    HRESULT STDMETHODCALLTYPE CreateObjectStub(IUnknown* pObject, IUnknown** ppStub) override {
        const bool isEventSink = dynamic_cast<EventSink*>(pObject) != nullptr;
        if (isEventSink)
            m_journal.WatchSink(pObject);
        m_journal.Add("Apartment.CreateObjectStub(" +
                      (isEventSink ? "EventSink, refs " + WmiNumber(m_journal.SinkRefs()) : WmiPointer(pObject)) + ")");
        *ppStub = nullptr;
        if (FAILED(createStubResult) || !isEventSink)
            return FAILED(createStubResult) ? createStubResult : E_INVALIDARG;
        m_stub.Hold(dynamic_cast<EventSink*>(pObject));
        m_stub.HandOut();
        *ppStub = &m_stub;
        return S_OK;
    }
    HRESULT createStubResult = S_OK;

private:
    WmiFakeStub& m_stub;
};

#define WMI_FAKE_UNUSED_SERVICE(method, params) \
    HRESULT STDMETHODCALLTYPE method params override { m_journal.Add("Services." #method); return E_NOTIMPL; }

// The namespace connection. WMI keeps the handler of an accepted query, as the real
// service does; Deliver hands events to it, EndSubscription lets it go.
class WmiFakeServices : public WmiFakeUnknown<IWbemServices> {
public:
    WmiFakeServices(WmiJournal& journal, WmiFakeStub& stub) : WmiFakeUnknown(journal, "Services"), m_stub(stub) {}

    HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR strQueryLanguage, const BSTR strQuery, LONG lFlags,
                                                         IWbemContext* pCtx, IWbemObjectSink* pResponseHandler) override {
        const bool isStubSink = pResponseHandler == static_cast<IWbemObjectSink*>(&m_stub.sinkFace);
        m_journal.Add("Services.ExecNotificationQueryAsync(" + WmiText(strQueryLanguage) + ", " + WmiText(strQuery) +
                      ", " + WmiNumber(lFlags) + ", " + WmiPointer(pCtx) + ", " +
                      (isStubSink ? std::string("StubSink") : WmiPointer(pResponseHandler)) + ")");
        if (FAILED(queryResult) || !isStubSink)
            return FAILED(queryResult) ? queryResult : static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);
        m_stub.sinkFace.HandOut();
        m_handler = pResponseHandler;
        return S_OK;
    }
    HRESULT Deliver(LONG count, IWbemClassObject** objects) { return m_handler->Indicate(count, objects); }
    void EndSubscription() {
        if (m_handler != nullptr) {
            --m_stub.sinkFace.refs;
            m_stub.DropWhenUnused();
            m_handler = nullptr;
        }
    }
    bool Subscribed() const { return m_handler != nullptr; }

    HRESULT queryResult = S_OK;

    WMI_FAKE_UNUSED_SERVICE(OpenNamespace, (const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(CancelAsyncCall, (IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(QueryObjectSink, (LONG, IWbemObjectSink**))
    WMI_FAKE_UNUSED_SERVICE(GetObject, (const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(GetObjectAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(PutClass, (IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(PutClassAsync, (IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(DeleteClass, (const BSTR, LONG, IWbemContext*, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(DeleteClassAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(CreateClassEnum, (const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    WMI_FAKE_UNUSED_SERVICE(CreateClassEnumAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(PutInstance, (IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(PutInstanceAsync, (IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(DeleteInstance, (const BSTR, LONG, IWbemContext*, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(DeleteInstanceAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(CreateInstanceEnum, (const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    WMI_FAKE_UNUSED_SERVICE(CreateInstanceEnumAsync, (const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(ExecQuery, (const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    WMI_FAKE_UNUSED_SERVICE(ExecQueryAsync, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*))
    WMI_FAKE_UNUSED_SERVICE(ExecNotificationQuery, (const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**))
    WMI_FAKE_UNUSED_SERVICE(ExecMethod, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**, IWbemCallResult**))
    WMI_FAKE_UNUSED_SERVICE(ExecMethodAsync, (const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemObjectSink*))

private:
    WmiFakeStub& m_stub;
    IWbemObjectSink* m_handler = nullptr;
};

class WmiFakeLocator : public WmiFakeUnknown<IWbemLocator> {
public:
    WmiFakeLocator(WmiJournal& journal, WmiFakeServices& services) : WmiFakeUnknown(journal, "Locator"), m_services(services) {}
    HRESULT STDMETHODCALLTYPE ConnectServer(const BSTR strNetworkResource, const BSTR strUser, const BSTR strPassword,
                                            const BSTR strLocale, LONG lSecurityFlags, const BSTR strAuthority,
                                            IWbemContext* pCtx, IWbemServices** ppNamespace) override {
        m_journal.Add("Locator.ConnectServer(" + WmiText(strNetworkResource) + ", " + WmiText(strUser) + ", " +
                      WmiText(strPassword) + ", " + WmiText(strLocale) + ", " + WmiNumber(lSecurityFlags) + ", " +
                      WmiText(strAuthority) + ", " + WmiPointer(pCtx) + ")");
        *ppNamespace = nullptr;
        if (FAILED(connectResult))
            return connectResult;
        m_services.HandOut();
        *ppNamespace = &m_services;
        return S_OK;
    }
    HRESULT connectResult = S_OK;

private:
    WmiFakeServices& m_services;
};

// The whole stand-in world; while it lives, SubscribeBrightnessEvents calls into it.
class WmiFakeCom {
public:
    WmiFakeCom()
        : stub(journal), services(journal, stub), locator(journal, services), apartment(journal, stub),
          m_saved(BrightnessComEntryPoints()) {
        s_active = this;
        BrightnessComEntryPoints() = ComEntryPoints{&CoInitializeEx, &CoInitializeSecurity, &CoCreateInstance,
                                                    &CoSetProxyBlanket, &CoUninitialize};
    }
    ~WmiFakeCom() {
        services.EndSubscription();
        journal.Close();
        BrightnessComEntryPoints() = m_saved;
        s_active = nullptr;
    }
    WmiFakeCom(const WmiFakeCom&) = delete;
    WmiFakeCom& operator=(const WmiFakeCom&) = delete;

    WmiJournal journal;
    WmiFakeStub stub;
    WmiFakeServices services;
    WmiFakeLocator locator;
    WmiFakeApartment apartment;
    HRESULT createLocatorResult = S_OK;
    HRESULT proxyBlanketResult = S_OK;
    HRESULT createApartmentResult = S_OK;

private:
    static HRESULT WINAPI CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit) {
        s_active->journal.Add("CoInitializeEx(" + WmiPointer(pvReserved) + ", " + WmiNumber(dwCoInit) + ")");
        return S_OK;
    }
    static HRESULT WINAPI CoInitializeSecurity(PSECURITY_DESCRIPTOR pSecDesc, LONG cAuthSvc,
                                               SOLE_AUTHENTICATION_SERVICE* asAuthSvc, void* pReserved1,
                                               DWORD dwAuthnLevel, DWORD dwImpLevel, void* pAuthList,
                                               DWORD dwCapabilities, void* pReserved3) {
        s_active->journal.Add("CoInitializeSecurity(" + WmiPointer(pSecDesc) + ", " + WmiNumber(cAuthSvc) + ", " +
                              WmiPointer(asAuthSvc) + ", " + WmiPointer(pReserved1) + ", " + WmiNumber(dwAuthnLevel) +
                              ", " + WmiNumber(dwImpLevel) + ", " + WmiPointer(pAuthList) + ", " +
                              WmiNumber(dwCapabilities) + ", " + WmiPointer(pReserved3) + ")");
        return S_OK;
    }
    static HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                           LPVOID* ppv) {
        WmiFakeCom& fake = *s_active;
        fake.journal.Add("CoCreateInstance(" + WmiGuidName(rclsid) + ", " + WmiPointer(pUnkOuter) + ", " +
                         WmiNumber(dwClsContext) + ", " + WmiGuidName(riid) + ")");
        *ppv = nullptr;
        if (IsEqualGUID(rclsid, kPublishedClsidWbemLocator) && IsEqualGUID(riid, kPublishedIidWbemLocator))
            return fake.HandOut(fake.createLocatorResult, fake.locator, ppv);
        if (IsEqualGUID(rclsid, kPublishedClsidUnsecuredApartment) && IsEqualGUID(riid, kPublishedIidUnsecuredApartment))
            return fake.HandOut(fake.createApartmentResult, fake.apartment, ppv);
        return REGDB_E_CLASSNOTREG;
    }
    static HRESULT WINAPI CoSetProxyBlanket(IUnknown* pProxy, DWORD dwAuthnSvc, DWORD dwAuthzSvc,
                                            OLECHAR* pServerPrincName, DWORD dwAuthnLevel, DWORD dwImpLevel,
                                            RPC_AUTH_IDENTITY_HANDLE pAuthInfo, DWORD dwCapabilities) {
        WmiFakeCom& fake = *s_active;
        const bool isServices = pProxy == static_cast<IWbemServices*>(&fake.services);
        fake.journal.Add("CoSetProxyBlanket(" + (isServices ? std::string("Services") : WmiPointer(pProxy)) + ", " +
                         WmiNumber(dwAuthnSvc) + ", " + WmiNumber(dwAuthzSvc) + ", " + WmiPointer(pServerPrincName) +
                         ", " + WmiNumber(dwAuthnLevel) + ", " + WmiNumber(dwImpLevel) + ", " +
                         WmiPointer(pAuthInfo) + ", " + WmiNumber(dwCapabilities) + ")");
        return fake.proxyBlanketResult;
    }
    static void WINAPI CoUninitialize() { s_active->journal.Add("CoUninitialize"); }

    template <class Fake>
    static HRESULT HandOut(HRESULT result, Fake& object, LPVOID* ppv) {
        if (FAILED(result))
            return result;
        object.HandOut();
        *ppv = &object;
        return S_OK;
    }

    static inline WmiFakeCom* s_active = nullptr;
    ComEntryPoints m_saved;
};
