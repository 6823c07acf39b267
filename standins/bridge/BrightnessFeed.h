// The bridge's side of brightness/BrightnessFeedView.h: the host's imports of
// CoCreateInstance and SendMessageW lead through it, an unsecured apartment stands in
// where the platform has none, and the feeding thread calls the sinks it was handed.
#pragma once
#include <wbemidl.h>

namespace simnb {

// Once per process, on the bridge's first use (not under the loader lock).
void InstallBrightnessFeed();

// A stub made for a sink: the feeding thread calls it from now on (it keeps a reference).
void AddFedSink(IWbemObjectSink* stub);
// A SetStatus call from the platform's WMI passed a stub.
void CountStatusReport();

}  // namespace simnb
