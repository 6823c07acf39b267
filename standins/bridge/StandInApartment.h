// An unsecured apartment for a platform that has none (Wine): CreateObjectStub gives a stub
// that passes IWbemObjectSink's calls straight on to the object, on the caller's thread.
#pragma once
#include <wbemidl.h>

namespace simnb {

// A new apartment (reference count 1), or null when out of memory.
IUnsecuredApartment* NewStandInApartment();

}  // namespace simnb
