#pragma once
// The one owner of a handle of any kind: a kernel object, a loaded module, a registration,
// an object made with new. It gives the handle back exactly once, through the function that
// belongs to its kind (CloseHandle, FreeLibrary, ...), when it is reset or goes out of
// scope. Null means "nothing held". It cannot be copied, for two owners would give one
// handle back twice; a move hands the handle over and leaves the source holding nothing.
//
//     CUniqueHandle<HMODULE, &::FreeLibrary> module(::LoadLibraryW(path));

template <typename Handle, auto Close>
class CUniqueHandle {
public:
    constexpr CUniqueHandle() noexcept = default;
    explicit CUniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    ~CUniqueHandle() { Reset(); }

    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    // Gives back what is held, then holds handle. The handle already held is not given
    // back: the owner would go on holding a handle that is no longer valid.
    void Reset(Handle handle = nullptr) noexcept {
        const Handle old = m_handle;
        m_handle = handle;
        if (old != nullptr && old != handle)
            Close(old);
    }

    // Lets go of the handle without giving it back; the caller owns it from now on.
    Handle Release() noexcept {
        const Handle handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

    Handle Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

private:
    Handle m_handle = nullptr;
};
