// The simulated ATI adapter 0: its over-drive clock information and the clocks last set.
// The clock state reads "overclocked" when the last configuration set both clocks to
// their maximum, "default" when it set both to their defaults (or none was set yet), and
// "custom" otherwise.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace simnb {

// One clock domain, fields in the order ADL lays them out.
struct AdlClockSetting {
    int32_t defaultClock, currentClock, maxClock, minClock, requestedClock, appliedClock;
};

struct AdlClockConfig {
    int32_t size, flags, memoryClock, engineClock;
};

class AdlModel {
public:
    static constexpr int32_t kInfoSize = 56;
    static constexpr int32_t kConfigSize = 16;

    AdlModel() { Reset(); }
    void Reset();

    int32_t Flags() const { return m_flags; }
    void SetFlags(int32_t flags) { m_flags = flags; }
    const AdlClockSetting& Memory() const { return m_memory; }
    const AdlClockSetting& Engine() const { return m_engine; }
    // domain "memory" or "engine", field "default", "current", "max", "min", "requested",
    // "applied"; false when either is unknown.
    bool SetClockField(const std::string& domain, const std::string& field, int32_t value);

    // The ADL status the adapter gives this configuration; on success the clocks are set.
    int32_t Apply(int adapter, const AdlClockConfig& config);
    std::string ClockState() const;
    // iSize, iFlags, then the six memory and the six engine fields.
    std::array<int32_t, 14> InfoRecord() const;

private:
    int32_t m_flags = 0;
    AdlClockSetting m_memory = {};
    AdlClockSetting m_engine = {};
    std::optional<AdlClockConfig> m_lastSet;
};

}  // namespace simnb
