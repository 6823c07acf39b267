// Finds and redirects a module's import slots for a function, by the function's name.
#pragma once
#include <windows.h>

#include <vector>

namespace simnb {

// Every import slot of module that holds the address of a function called name (imported
// by name, from any library). Empty when the module does not import it.
std::vector<void**> ImportSlots(HMODULE module, const char* name);

// Points one slot at target; false when the slot could not be written.
bool RedirectImportSlot(void** slot, void* target);

}  // namespace simnb
