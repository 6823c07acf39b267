// Leads a host program's imports through a stand-in's own functions, and publishes what the
// stand-in sees there in a section that another process can open by name.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace simnb {

// Every import slot of module that holds the address of a function called name (imported
// by name, from any library). Empty when the module does not import it.
std::vector<void**> ImportSlots(HMODULE module, const char* name);

// Points one slot at target; false when the slot could not be written.
bool RedirectImportSlot(void** slot, void* target);

// Leads every slot of host for function name to wrapper, keeping in real what the slots held.
// Only what the host itself imports is redirected: other modules' calls stay untouched.
// Returns the number of slots redirected.
template <typename Fn>
unsigned RedirectImports(HMODULE host, const char* name, Fn* real, Fn wrapper) {
    std::vector<void**> slots = ImportSlots(host, name);
    if (slots.empty() || *slots.front() == nullptr) return 0;
    *real = reinterpret_cast<Fn>(*slots.front());
    unsigned redirected = 0;
    for (void** slot : slots) redirected += RedirectImportSlot(slot, reinterpret_cast<void*>(wrapper)) ? 1 : 0;
    return redirected;
}

// A new zeroed section of size bytes under name, mapped for writing for the rest of the
// process's life (so that a reader can always open the name); null when it cannot be made or
// another holder already has the name (that would be another process's figures).
void* CreateLifelongSection(const std::wstring& name, DWORD size);

// The same for a section that begins with its version and its size, which are filled in.
template <typename Section>
Section* CreateLifelongSectionOf(const std::wstring& name, uint32_t version) {
    auto* section = static_cast<Section*>(CreateLifelongSection(name, sizeof(Section)));
    if (section == nullptr) return nullptr;
    section->version = version;
    section->size = sizeof(Section);
    return section;
}

}  // namespace simnb
