// Reads the object census that simcensus.dll publishes inside another process.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "census/ObjectCensusView.h"

namespace simnb {

// The counts of process processId as they stand; nothing when that process publishes no
// census (nobody asked for one there, or the bridge was never used) or the section is not of
// this layout.
std::optional<CensusCounts> ReadObjectCensus(DWORD processId);

// The live objects of the GDI kinds (gdi) or of the USER kinds (menus, icons).
int32_t LiveObjects(const CensusCounts& counts, bool gdi);

// One line: "gdi=N user=N memoryDC=live/created/destroyed ... foreign=N reused=N patched=N".
std::string DescribeCensus(const CensusCounts& counts);

}  // namespace simnb
