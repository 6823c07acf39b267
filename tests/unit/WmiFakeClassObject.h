// An event object whose "Get" answers with a chosen result and value and counts the
// reads; every other method of IWbemClassObject is unused by the sink.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>
#include <string>
#include <vector>

#define WMI_FAKE_UNUSED(method, params) \
    HRESULT STDMETHODCALLTYPE method params override { return E_NOTIMPL; }

class WmiFakeClassObject : public IWbemClassObject {
public:
    WmiFakeClassObject(HRESULT getResult, const VARIANT& value) : m_getResult(getResult) {
        ::VariantInit(&m_value);
        ::VariantCopy(&m_value, const_cast<VARIANT*>(&value));
    }
    static WmiFakeClassObject WithBrightness(BYTE percent) {
        VARIANT value;
        ::VariantInit(&value);
        V_VT(&value) = VT_UI1;
        V_UI1(&value) = percent;
        return WmiFakeClassObject(WBEM_S_NO_ERROR, value);
    }
    ~WmiFakeClassObject() { ::VariantClear(&m_value); }
    WmiFakeClassObject(const WmiFakeClassObject& other) : WmiFakeClassObject(other.m_getResult, other.m_value) {}
    WmiFakeClassObject& operator=(const WmiFakeClassObject&) = delete;

    struct Read {
        std::wstring name;
        LONG flags;
        bool typeWanted;
        bool flavorWanted;
    };
    std::vector<Read> reads;

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR wszName, LONG lFlags, VARIANT* pVal, CIMTYPE* pType,
                                  LONG* plFlavor) override {
        reads.push_back({wszName != nullptr ? wszName : L"(null)", lFlags, pType != nullptr, plFlavor != nullptr});
        if (SUCCEEDED(m_getResult) && pVal != nullptr)
            ::VariantCopy(pVal, &m_value);
        return m_getResult;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    WMI_FAKE_UNUSED(GetQualifierSet, (IWbemQualifierSet**))
    WMI_FAKE_UNUSED(Put, (LPCWSTR, LONG, VARIANT*, CIMTYPE))
    WMI_FAKE_UNUSED(Delete, (LPCWSTR))
    WMI_FAKE_UNUSED(GetNames, (LPCWSTR, LONG, VARIANT*, SAFEARRAY**))
    WMI_FAKE_UNUSED(BeginEnumeration, (LONG))
    WMI_FAKE_UNUSED(Next, (LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*))
    WMI_FAKE_UNUSED(EndEnumeration, ())
    WMI_FAKE_UNUSED(GetPropertyQualifierSet, (LPCWSTR, IWbemQualifierSet**))
    WMI_FAKE_UNUSED(Clone, (IWbemClassObject**))
    WMI_FAKE_UNUSED(GetObjectText, (LONG, BSTR*))
    WMI_FAKE_UNUSED(SpawnDerivedClass, (LONG, IWbemClassObject**))
    WMI_FAKE_UNUSED(SpawnInstance, (LONG, IWbemClassObject**))
    WMI_FAKE_UNUSED(CompareTo, (LONG, IWbemClassObject*))
    WMI_FAKE_UNUSED(GetPropertyOrigin, (LPCWSTR, BSTR*))
    WMI_FAKE_UNUSED(InheritsFrom, (LPCWSTR))
    WMI_FAKE_UNUSED(GetMethod, (LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**))
    WMI_FAKE_UNUSED(PutMethod, (LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*))
    WMI_FAKE_UNUSED(DeleteMethod, (LPCWSTR))
    WMI_FAKE_UNUSED(BeginMethodEnumeration, (LONG))
    WMI_FAKE_UNUSED(NextMethod, (LONG, BSTR*, IWbemClassObject**, IWbemClassObject**))
    WMI_FAKE_UNUSED(EndMethodEnumeration, ())
    WMI_FAKE_UNUSED(GetMethodQualifierSet, (LPCWSTR, IWbemQualifierSet**))
    WMI_FAKE_UNUSED(GetMethodOrigin, (LPCWSTR, BSTR*))

private:
    HRESULT m_getResult;
    VARIANT m_value;
};
