// Owners for the COM resources the brightness code handles: a BSTR, an interface
// reference and a VARIANT. Each gives its resource back on scope exit; the COM reference
// can also be given back early, so that a caller bound to a fixed release order can
// spell that order out and still cannot leak on a path it forgot.
#pragma once
#include <windows.h>
#include <oleauto.h>

class BstrGuard {
public:
    BstrGuard() = default;
    explicit BstrGuard(const wchar_t* text) : m_str(::SysAllocString(text)) {}
    ~BstrGuard() { Free(); }
    BstrGuard(const BstrGuard&) = delete;
    BstrGuard& operator=(const BstrGuard&) = delete;

    void Allocate(const wchar_t* text) {
        Free();
        m_str = ::SysAllocString(text);
    }
    void Free() {
        if (m_str != nullptr) {
            ::SysFreeString(m_str);
            m_str = nullptr;
        }
    }
    BSTR Get() const { return m_str; }

private:
    BSTR m_str = nullptr;
};

// Holds one reference to a COM interface; it never adds one of its own.
template <class T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : m_p(adopted) {}
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // Gives the reference back now; a second call does nothing.
    void Reset() {
        if (T* p = m_p) {
            m_p = nullptr;
            p->Release();
        }
    }
    void Adopt(T* p) {
        Reset();
        m_p = p;
    }
    // For out-parameters that hand over a new reference.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

class VariantGuard {
public:
    VariantGuard() { ::VariantInit(&m_var); }
    ~VariantGuard() { ::VariantClear(&m_var); }
    VariantGuard(const VariantGuard&) = delete;
    VariantGuard& operator=(const VariantGuard&) = delete;

    VARIANT* Out() { return &m_var; }
    const VARIANT& Get() const { return m_var; }

private:
    VARIANT m_var;
};
