#include "ImportPatch.h"

#include <cstring>

namespace simnb {
namespace {

template <typename T>
T* At(HMODULE module, ULONG_PTR rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

const IMAGE_IMPORT_DESCRIPTOR* FirstImportDescriptor(HMODULE module) {
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    auto* nt = At<const IMAGE_NT_HEADERS>(module, static_cast<ULONG_PTR>(dos->e_lfanew));
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0 || dir.Size == 0) return nullptr;
    return At<const IMAGE_IMPORT_DESCRIPTOR>(module, dir.VirtualAddress);
}

bool NamesMatch(HMODULE module, const IMAGE_THUNK_DATA& nameThunk, const char* name) {
    if (IMAGE_SNAP_BY_ORDINAL(nameThunk.u1.Ordinal)) return false;
    auto* byName = At<const IMAGE_IMPORT_BY_NAME>(module, static_cast<ULONG_PTR>(nameThunk.u1.AddressOfData));
    return std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0;
}

}  // namespace

std::vector<void**> ImportSlots(HMODULE module, const char* name) {
    std::vector<void**> slots;
    for (auto* desc = FirstImportDescriptor(module); desc != nullptr && desc->Name != 0; ++desc) {
        // Without a separate name table the names were overwritten when the imports were bound.
        if (desc->OriginalFirstThunk == 0) continue;
        auto* names = At<const IMAGE_THUNK_DATA>(module, desc->OriginalFirstThunk);
        auto* addresses = At<IMAGE_THUNK_DATA>(module, desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (NamesMatch(module, *names, name)) slots.push_back(reinterpret_cast<void**>(&addresses->u1.Function));
        }
    }
    return slots;
}

// The loader may have made the table read-only after binding it.
bool RedirectImportSlot(void** slot, void* target) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    InterlockedExchangePointer(slot, target);
    VirtualProtect(slot, sizeof *slot, old, &old);
    return true;
}

}  // namespace simnb

namespace simnb {

void* CreateLifelongSection(const std::wstring& name, DWORD size) {
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
    if (mapping == nullptr) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping);
        return nullptr;
    }
    // The mapping handle stays open with the view, never closed.
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size);
    if (view == nullptr) CloseHandle(mapping);
    return view;
}

}  // namespace simnb
