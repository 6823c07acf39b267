// Typed helpers for the simulated notebook's GPU: its state, its faults, and the journal
// entries of the nvapi ("nv") and ADL ("adl") stand-ins. Built on SimNotebookClient.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SimNotebookClient.h"

namespace simnb {

class SimGpuClient {
public:
    SimGpuClient() = default;

    bool SetDisplays(uint32_t count) const { return Ok({"gpu", "set", "displays", std::to_string(count)}); }
    bool SetPhysicalGpus(uint32_t count) const { return Ok({"gpu", "set", "physical", std::to_string(count)}); }
    bool SetLogicalGpus(uint32_t count) const { return Ok({"gpu", "set", "logical", std::to_string(count)}); }

    // "default" or "overclocked" ("none" without a GPU); for ADL also "custom".
    std::string NvClocks() const { return StatusOf("nv-clocks"); }
    std::string AdlClocks() const { return StatusOf("adl-clocks"); }
    // A value of "gpu status", e.g. "nv-displays".
    std::string StatusOf(const std::string& name) const;

    // The NVIDIA entry point (by identifier) returns status: on every call, or only on its
    // atCall-th call (counted from 1 since reset).
    bool NvFailWith(uint32_t id, int32_t status, uint64_t atCall = 0) const;
    // The display enumeration returns status for this index.
    bool NvFailDisplayAt(uint32_t index, int32_t status) const;
    bool NvFaultOff(uint32_t id) const;
    bool NvOffer(uint32_t id, bool offered) const;

    // The next call of an NVIDIA private entry point (with that first value, when given)
    // waits inside the caller until NvRelease; never released, it is a hung driver.
    bool NvHold(const std::string& name, std::optional<int64_t> value = std::nullopt) const;
    bool NvRelease() const { return Ok({"nv", "fault", "release"}); }

    bool AdlFailWith(const std::string& function, int32_t status, uint64_t atCall = 0) const;
    bool AdlFaultOff(const std::string& function) const;
    bool AdlSetFlags(int32_t flags) const { return Ok({"adl", "set", "flags", std::to_string(flags)}); }
    // domain "memory"/"engine", field "default", "current", "max", "min", "requested", "applied".
    bool AdlSetClock(const std::string& domain, const std::string& field, int32_t value) const {
        return Ok({"adl", "set", domain, field, std::to_string(value)});
    }

private:
    bool Ok(const std::vector<std::string>& words) const { return m_notebook.Command(words).ok; }

    SimNotebookClient m_notebook;
};

// The entries of one source ("nv", "adl", "fw", ...).
std::vector<JournalEntry> FromSource(const std::vector<JournalEntry>& journal, const std::string& source);
// The GPU stand-ins' entries, in order.
std::vector<JournalEntry> GpuEntries(const std::vector<JournalEntry>& journal);
// The entries of one NVIDIA or ADL call ("NvPrivate_B23B70EE", "ADL_Main_Control_Create").
std::vector<JournalEntry> CallsOf(const std::vector<JournalEntry>& journal, const std::string& function);
// The identifiers nvapi_QueryInterface was asked for, in order.
std::vector<uint32_t> NvQueries(const std::vector<JournalEntry>& journal);
std::string Hex32Text(uint32_t value);

}  // namespace simnb
