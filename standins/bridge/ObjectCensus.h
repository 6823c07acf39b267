// The object census inside the host program (see census/ObjectCensusView.h): the host's
// imports of the GDI and USER object makers and releasers lead through counting wrappers
// that forward to the real functions.
#pragma once

namespace simnb {

// Installs the census once per process; later calls return at once. Called on the bridge's
// first use rather than when it is loaded, so that nothing of it runs under the loader lock.
void InstallObjectCensus();

}  // namespace simnb
