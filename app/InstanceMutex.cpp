#include "InstanceMutex.h"
#include "AfxHandle.h"

bool ClaimInstanceMutex(const wchar_t* name, HANDLE* phMutex) {
    if (CUniqueHandle<HANDLE, &::CloseHandle>(::OpenMutexW(SYNCHRONIZE, FALSE, name)))
        return false;
    CUniqueHandle<HANDLE, &::CloseHandle> mutex(::CreateMutexW(nullptr, TRUE, name));
    // Two starts at the same moment can both pass the test above. The later one's call only
    // opens the mutex the other made, without owning it: that start is the second instance.
    if (::GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    *phMutex = mutex.Release();
    return true;
}

void ReleaseInstanceMutex(HANDLE hMutex) { ::ReleaseMutex(hMutex); }
