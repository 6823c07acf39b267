// A WmiMonitorBrightnessEvent as the sink reads it: only "Brightness" (VT_UI1) is there;
// every other method of IWbemClassObject is of no use to a sink and is refused.
#pragma once
#include <oleauto.h>
#include <wbemidl.h>

#include <cwchar>

namespace simnb {

#define SIMNB_REFUSED(method, params) \
    HRESULT STDMETHODCALLTYPE method params override { return static_cast<HRESULT>(WBEM_E_NOT_SUPPORTED); }

class BrightnessEventObject final : public IWbemClassObject {
public:
    explicit BrightnessEventObject(BYTE brightness) : m_brightness(brightness) {}
    BrightnessEventObject(const BrightnessEventObject&) = delete;
    BrightnessEventObject& operator=(const BrightnessEventObject&) = delete;

    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) override {
        if (name == nullptr || std::wcscmp(name, L"Brightness") != 0) return static_cast<HRESULT>(WBEM_E_NOT_FOUND);
        if (value != nullptr) {
            VariantInit(value);
            V_VT(value) = VT_UI1;
            V_UI1(value) = m_brightness;
        }
        if (type != nullptr) *type = CIM_UINT8;
        if (flavor != nullptr) *flavor = WBEM_FLAVOR_ORIGIN_PROPAGATED;
        return WBEM_S_NO_ERROR;
    }

    // Lives on the feeding thread's stack for the length of one call.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IWbemClassObject)) {
            *ppv = static_cast<IWbemClassObject*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIMNB_REFUSED(GetQualifierSet, (IWbemQualifierSet**))
    SIMNB_REFUSED(Put, (LPCWSTR, LONG, VARIANT*, CIMTYPE))
    SIMNB_REFUSED(Delete, (LPCWSTR))
    SIMNB_REFUSED(GetNames, (LPCWSTR, LONG, VARIANT*, SAFEARRAY**))
    SIMNB_REFUSED(BeginEnumeration, (LONG))
    SIMNB_REFUSED(Next, (LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*))
    SIMNB_REFUSED(EndEnumeration, ())
    SIMNB_REFUSED(GetPropertyQualifierSet, (LPCWSTR, IWbemQualifierSet**))
    SIMNB_REFUSED(Clone, (IWbemClassObject**))
    SIMNB_REFUSED(GetObjectText, (LONG, BSTR*))
    SIMNB_REFUSED(SpawnDerivedClass, (LONG, IWbemClassObject**))
    SIMNB_REFUSED(SpawnInstance, (LONG, IWbemClassObject**))
    SIMNB_REFUSED(CompareTo, (LONG, IWbemClassObject*))
    SIMNB_REFUSED(GetPropertyOrigin, (LPCWSTR, BSTR*))
    SIMNB_REFUSED(InheritsFrom, (LPCWSTR))
    SIMNB_REFUSED(GetMethod, (LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**))
    SIMNB_REFUSED(PutMethod, (LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*))
    SIMNB_REFUSED(DeleteMethod, (LPCWSTR))
    SIMNB_REFUSED(BeginMethodEnumeration, (LONG))
    SIMNB_REFUSED(NextMethod, (LONG, BSTR*, IWbemClassObject**, IWbemClassObject**))
    SIMNB_REFUSED(EndMethodEnumeration, ())
    SIMNB_REFUSED(GetMethodQualifierSet, (LPCWSTR, IWbemQualifierSet**))
    SIMNB_REFUSED(GetMethodOrigin, (LPCWSTR, BSTR*))

private:
    BYTE m_brightness;
};

#undef SIMNB_REFUSED

}  // namespace simnb
