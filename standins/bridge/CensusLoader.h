// The object census (census/) is not part of the bridge: a test that wants the host's GDI
// and USER objects counted asks for it with the environment variable ORV_SIM_OBJECT_CENSUS
// (which the host inherits), and the bridge then puts simcensus.dll, from its own folder,
// into the host. Without it nothing is counted and no import of the host is touched for it.
#pragma once

namespace simnb {

// Once per process, on the bridge's first use (not under the loader lock).
void LoadObjectCensusWhenAsked();

}  // namespace simnb
