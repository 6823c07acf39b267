// The sink WMI calls with monitor brightness events. It hands each event's brightness to
// the main dialog's window and writes diagnostic lines to standard output.
#pragma once
#include <windows.h>
#include <wbemidl.h>

class EventSink : public IWbemObjectSink {
public:
    EventSink() = default;
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Indicate(LONG lObjectCount, IWbemClassObject** apObjArray) override;
    HRESULT STDMETHODCALLTYPE SetStatus(LONG lFlags, HRESULT hResult, BSTR strParam,
                                        IWbemClassObject* pObjParam) override;

protected:
    // Only Release deletes a sink. Virtual so that a derived sink is destroyed whole.
    virtual ~EventSink() = default;

private:
    // Changed only with interlocked operations: WMI calls in on threads of its own.
    volatile LONG m_nRefCount = 0;
};
