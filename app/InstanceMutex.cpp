#include "InstanceMutex.h"
#include "AfxHandle.h"

bool ClaimInstanceMutex(const wchar_t* name, HANDLE* phMutex) {
    if (CUniqueHandle<HANDLE, &::CloseHandle>(::OpenMutexW(SYNCHRONIZE, FALSE, name)))
        return false;
    *phMutex = ::CreateMutexW(nullptr, TRUE, name);
    return true;
}

void ReleaseInstanceMutex(HANDLE hMutex) {
    ::ReleaseMutex(hMutex);
    ::CloseHandle(hMutex);
}
