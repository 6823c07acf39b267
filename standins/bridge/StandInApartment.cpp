#include "StandInApartment.h"

#include <new>

#include "BrightnessFeed.h"

namespace simnb {
namespace {

// Passes every call on to the sink it was made for, and holds it as the platform's stub does.
class SinkStub final : public IWbemObjectSink {
public:
    explicit SinkStub(IWbemObjectSink* sink) : m_sink(sink) {}
    SinkStub(const SinkStub&) = delete;
    SinkStub& operator=(const SinkStub&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IWbemObjectSink)) {
            *ppv = static_cast<IWbemObjectSink*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }
    HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override {
        return m_sink->Indicate(count, objects);
    }
    HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT result, BSTR text, IWbemClassObject* object) override {
        CountStatusReport();
        return m_sink->SetStatus(flags, result, text, object);
    }

private:
    ~SinkStub() { m_sink->Release(); }

    volatile LONG m_refs = 1;
    IWbemObjectSink* m_sink;
};

class StandInApartment final : public IUnsecuredApartment {
public:
    StandInApartment() = default;
    StandInApartment(const StandInApartment&) = delete;
    StandInApartment& operator=(const StandInApartment&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IUnsecuredApartment)) {
            *ppv = static_cast<IUnsecuredApartment*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }
    // Only sinks are of interest here: an object that is none gets no stub.
    HRESULT STDMETHODCALLTYPE CreateObjectStub(IUnknown* object, IUnknown** stub) override {
        if (object == nullptr || stub == nullptr) return E_POINTER;
        *stub = nullptr;
        IWbemObjectSink* sink = nullptr;
        HRESULT hr = object->QueryInterface(IID_IWbemObjectSink, reinterpret_cast<void**>(&sink));
        if (FAILED(hr) || sink == nullptr) return E_NOINTERFACE;
        auto* made = new (std::nothrow) SinkStub(sink);
        if (made == nullptr) {
            sink->Release();
            return E_OUTOFMEMORY;
        }
        AddFedSink(made);
        *stub = made;
        return S_OK;
    }

private:
    ~StandInApartment() = default;

    volatile LONG m_refs = 1;
};

}  // namespace

IUnsecuredApartment* NewStandInApartment() { return new (std::nothrow) StandInApartment(); }

}  // namespace simnb
