// Scripted failures of the simulated GPU libraries: an entry point that returns a chosen
// status (on every call, on its Nth call, or for one enumeration index) and NVIDIA
// identifiers that nvapi_QueryInterface does not offer.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace simnb {

struct StatusFault {
    int32_t status = 0;
    uint64_t atCall = 0;                 // 0: every call; N: only the Nth call since reset
    std::optional<uint32_t> atIndex;     // only the call for this enumeration index
};

class GpuFaults {
public:
    void Reset();

    void SetStatus(const std::string& entry, const StatusFault& fault);
    void ClearStatus(const std::string& entry);
    void SetOffered(uint32_t id, bool offered);
    bool Offered(uint32_t id) const { return m_withheld.count(id) == 0; }

    // Counts this call of entry; the scripted status when a fault applies to it.
    std::optional<int32_t> TakeStatus(const std::string& entry, std::optional<uint32_t> index = std::nullopt);

    // "fault-<prefix>-... " lines for the status commands.
    std::string Status(const std::string& prefix) const;

private:
    std::map<std::string, StatusFault> m_status;
    std::map<std::string, uint64_t> m_calls;
    std::set<uint32_t> m_withheld;
};

}  // namespace simnb
