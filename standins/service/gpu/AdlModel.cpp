#include "AdlModel.h"

#include "../../gpu/GpuWire.h"

namespace simnb {
namespace {

int32_t* FieldOf(AdlClockSetting& s, const std::string& field) {
    if (field == "default") return &s.defaultClock;
    if (field == "current") return &s.currentClock;
    if (field == "max") return &s.maxClock;
    if (field == "min") return &s.minClock;
    if (field == "requested") return &s.requestedClock;
    if (field == "applied") return &s.appliedClock;
    return nullptr;
}

bool InRange(const AdlClockSetting& s, int32_t clock) { return clock >= s.minClock && clock <= s.maxClock; }

void Run(AdlClockSetting& s, int32_t clock) {
    s.currentClock = clock;
    s.requestedClock = clock;
    s.appliedClock = clock;
}

}  // namespace

void AdlModel::Reset() {
    // Over-drive may be changed and read back (bits 0 and 1), as on a notebook part.
    m_flags = 3;
    m_memory = {900, 900, 1000, 300, 900, 900};
    m_engine = {500, 500, 650, 100, 500, 500};
    m_lastSet.reset();
}

bool AdlModel::SetClockField(const std::string& domain, const std::string& field, int32_t value) {
    AdlClockSetting* setting = domain == "memory" ? &m_memory : domain == "engine" ? &m_engine : nullptr;
    if (setting == nullptr) return false;
    int32_t* target = FieldOf(*setting, field);
    if (target == nullptr) return false;
    *target = value;
    return true;
}

int32_t AdlModel::Apply(int adapter, const AdlClockConfig& config) {
    if (adapter != 0) return kAdlInvalidAdapterIndex;
    if (config.size != kConfigSize) return kAdlInvalidParamSize;
    if (!InRange(m_memory, config.memoryClock) || !InRange(m_engine, config.engineClock)) return kAdlInvalidParam;
    Run(m_memory, config.memoryClock);
    Run(m_engine, config.engineClock);
    m_lastSet = config;
    return kAdlOk;
}

std::string AdlModel::ClockState() const {
    if (!m_lastSet) return "default";
    if (m_lastSet->memoryClock == m_memory.maxClock && m_lastSet->engineClock == m_engine.maxClock) return "overclocked";
    if (m_lastSet->memoryClock == m_memory.defaultClock && m_lastSet->engineClock == m_engine.defaultClock) {
        return "default";
    }
    return "custom";
}

std::array<int32_t, 14> AdlModel::InfoRecord() const {
    return {kInfoSize,
            m_flags,
            m_memory.defaultClock,
            m_memory.currentClock,
            m_memory.maxClock,
            m_memory.minClock,
            m_memory.requestedClock,
            m_memory.appliedClock,
            m_engine.defaultClock,
            m_engine.currentClock,
            m_engine.maxClock,
            m_engine.minClock,
            m_engine.requestedClock,
            m_engine.appliedClock};
}

}  // namespace simnb
