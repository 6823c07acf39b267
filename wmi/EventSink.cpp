#include "EventSink.h"
#include "BrightnessEvents.h"
#include "BrightnessWindow.h"
#include "ComGuards.h"
#include "ConsoleLine.h"

namespace {

const wchar_t kBrightnessProperty[] = L"Brightness";

// The brightness byte of a successful read; 0 when the read failed or gave another type.
WPARAM BrightnessParam(HRESULT readResult, const VARIANT& value) {
    if (FAILED(readResult) || V_VT(&value) != VT_UI1)
        return 0;
    return static_cast<WPARAM>(V_UI1(&value));
}

HRESULT ReadBrightness(IWbemClassObject* object, VARIANT* value) {
    if (object == nullptr)
        return static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);
    BstrGuard name(kBrightnessProperty);
    return object->Get(name.Get(), 0, value, nullptr, nullptr);
}

}  // namespace

HRESULT EventSink::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IWbemObjectSink)) {
        *ppv = static_cast<IWbemObjectSink*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefCount));
}

ULONG EventSink::Release() {
    const LONG count = ::InterlockedDecrement(&m_nRefCount);
    if (count == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count);
}

HRESULT EventSink::Indicate(LONG lObjectCount, IWbemClassObject** apObjArray) {
    if (lObjectCount <= 0 || apObjArray == nullptr)
        return WBEM_S_NO_ERROR;

    VariantGuard value;
    const HRESULT readResult = ReadBrightness(apObjArray[0], value.Out());
    // The main dialog's window while it exists; nothing once it is being destroyed.
    SendToBrightnessWindow(WM_BRIGHTNESS_CHANGED, BrightnessParam(readResult, value.Get()), 0);

    for (LONG i = 0; i < lObjectCount; ++i)
        PrintConsoleLine("Event occurred the Value = %d\n", static_cast<int>(readResult));
    return WBEM_S_NO_ERROR;
}

HRESULT EventSink::SetStatus(LONG lFlags, HRESULT hResult, BSTR /*strParam*/,
                             IWbemClassObject* /*pObjParam*/) {
    if (lFlags == WBEM_STATUS_COMPLETE)
        PrintConsoleLine("Call complete. hResult = 0x%X\n", static_cast<unsigned>(hResult));
    else if (lFlags == WBEM_STATUS_PROGRESS)
        PrintConsoleLine("Call in progress.\n");
    return WBEM_S_NO_ERROR;
}
