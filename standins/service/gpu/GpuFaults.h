// Scripted failures of the simulated GPU libraries: an entry point that returns a chosen
// status (on every call, on its Nth call, or for one enumeration index), NVIDIA
// identifiers that nvapi_QueryInterface does not offer, a call held inside the caller
// until it is released, a call that starts a faulting thread in the caller, and a library
// that installs an exception filter of its own as it loads (gpu/DriverFaults.h).
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "../../common/UniqueHandle.h"

namespace simnb {

// The next call of entry (whose first value is value, when given) meets the fault.
struct ArmedCall {
    std::string entry;
    std::optional<int64_t> value;

    bool Matches(const std::string& call, int64_t first) const { return call == entry && (!value || *value == first); }
};

struct StatusFault {
    int32_t status = 0;
    uint64_t atCall = 0;              // 0: every call; N: only the Nth call since reset
    std::optional<uint32_t> atIndex;  // only the call for this enumeration index
};

// A call's status and, for a failure, who decided it: " fault=yes" or " why=...".
struct GpuOutcome {
    int32_t status = 0;
    std::string note;
};

// A scripted fault wins; then the library's own checks: initialised, output pointer given.
// The two statuses are the vendor's for those refusals.
GpuOutcome DecideGpuCall(std::optional<int32_t> fault, bool initialized, bool pointerGiven, int32_t notInitialized,
                         int32_t nullPointer);

struct GpuFaults {
    std::map<std::string, StatusFault> status;  // by entry point name
    std::set<uint32_t> withheld;                // identifiers not offered
    // One hold at a time; arming another replaces it. Disarming releases nothing.
    std::optional<ArmedCall> hold;
    // The call that starts a faulting thread; one at a time, as the hold.
    std::optional<ArmedCall> crashThread;
    // The library installs an exception filter of its own when it loads.
    bool ownFilter = false;

    void Reset();

    // Counts this call of entry; the scripted status when a fault applies to it.
    std::optional<int32_t> TakeStatus(const std::string& entry, std::optional<uint32_t> index = std::nullopt);
    // When the armed hold applies to this call: uses it up and gives the number of the hold,
    // whose release event (HoldEventName) now exists. Not counted as a call.
    std::optional<uint64_t> TakeHold(const std::string& entry, int64_t value);
    // Lets every held call go on; the number of them.
    size_t ReleaseHolds();
    // True, and the fault used up, when the armed faulting thread applies to this call.
    bool TakeCrashThread(const std::string& entry, int64_t value);

    // "fault-<prefix>-... " lines for the status commands.
    std::string Status(const std::string& prefix) const;

private:
    std::map<std::string, uint64_t> m_calls;
    uint64_t m_holdsMade = 0;
    std::map<uint64_t, UniqueHandle> m_held;  // release events of the calls still held
};

}  // namespace simnb
