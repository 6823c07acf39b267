// The simulated ATI adapter 0: the ADL stand-in's calls, each journalled under "adl" with
// its arguments. The clock state reads "overclocked" when the last configuration set both
// clocks to their maximum, "default" when it set both to their defaults (or none was set
// yet), and "custom" otherwise.
#include "../../gpu/GpuWire.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

constexpr int32_t kInfoSize = 56;
constexpr int32_t kConfigSize = 16;

GpuOutcome Decide(std::optional<int32_t> fault, bool created, bool pointerGiven) {
    return DecideGpuCall(fault, created, pointerGiven, kAdlNotInit, kAdlNullPointer);
}

bool InRange(const AdlClocks& clocks, int64_t clock) { return clock >= clocks[kAdlMin] && clock <= clocks[kAdlMax]; }

void Run(AdlClocks& clocks, int32_t clock) {
    clocks[kAdlCurrent] = clock;
    clocks[kAdlRequested] = clock;
    clocks[kAdlApplied] = clock;
}

}  // namespace

// CALLBACK ALLOCATED ENUM
std::string GpuDomain::AdlCreate(const std::string&, const int64_t* args) {
    GpuOutcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Main_Control_Create"), true, true);
    if (outcome.status == kAdlOk && (args[0] == 0 || args[1] == 0)) outcome = {kAdlInvalidCallback, " why=callback"};
    m_journal.Add("adl", "ADL_Main_Control_Create callback=" + YesNo(args[0]) + " allocated=" + YesNo(args[1]) +
                             " iEnumConnectedAdapters=" + std::to_string(args[2]) +
                             " status=" + std::to_string(outcome.status) + outcome.note);
    return std::to_string(outcome.status);
}

// CREATED ADAPTER RECORD
std::string GpuDomain::AdlInfoGet(const std::string&, const int64_t* args) {
    const int64_t adapter = args[1];
    GpuOutcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Display_ODClockInfo_Get"), args[0] != 0, args[2] != 0);
    if (outcome.status == kAdlOk && adapter != 0) outcome = {kAdlInvalidAdapterIndex, " why=adapter"};
    m_journal.Add("adl", "ADL_Display_ODClockInfo_Get iAdapterIndex=" + std::to_string(adapter) +
                             " status=" + std::to_string(outcome.status) + outcome.note);
    std::string answer = std::to_string(outcome.status);
    if (outcome.status == kAdlOk) {
        // iSize, iFlags, then the six memory and the six engine fields.
        answer += " " + std::to_string(kInfoSize) + " " + std::to_string(m_adlFlags);
        for (const AdlClocks* clocks : {&m_adlMemory, &m_adlEngine}) {
            for (int32_t field : *clocks) answer += " " + std::to_string(field);
        }
    }
    return answer;
}

// CREATED ADAPTER RECORD SIZE FLAGS MEMORY ENGINE
std::string GpuDomain::AdlConfigSet(const std::string&, const int64_t* args) {
    const int64_t adapter = args[1];
    const int32_t size = static_cast<int32_t>(args[3]), flags = static_cast<int32_t>(args[4]);
    const int32_t memory = static_cast<int32_t>(args[5]), engine = static_cast<int32_t>(args[6]);
    GpuOutcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Display_ODClockConfig_Set"), args[0] != 0, args[2] != 0);
    if (outcome.status == kAdlOk) {
        if (static_cast<int>(adapter) != 0) {
            outcome = {kAdlInvalidAdapterIndex, " why=rejected"};
        } else if (size != kConfigSize) {
            outcome = {kAdlInvalidParamSize, " why=rejected"};
        } else if (!InRange(m_adlMemory, memory) || !InRange(m_adlEngine, engine)) {
            outcome = {kAdlInvalidParam, " why=rejected"};
        } else {
            Run(m_adlMemory, memory);
            Run(m_adlEngine, engine);
            m_adlLastSet = {memory, engine};
        }
    }
    std::string details = "ADL_Display_ODClockConfig_Set iAdapterIndex=" + std::to_string(adapter);
    if (args[2] != 0) {
        details += " iSize=" + std::to_string(size) + " iFlags=" + std::to_string(flags) +
                   " iMemoryClock=" + std::to_string(memory) + " iEngineClock=" + std::to_string(engine);
    }
    m_journal.Add("adl", details + " status=" + std::to_string(outcome.status) + " clocks=" + AdlClockState() +
                             outcome.note);
    return std::to_string(outcome.status);
}

// The functions the program only requires to exist: NAME CREATED [OUTPUT]
std::string GpuDomain::AdlOther(const GpuWords& request) {
    const std::string& name = request[1];
    int64_t created = 0, output = 1;
    WordNumber(request, 2, &created);
    WordNumber(request, 3, &output);
    GpuOutcome outcome;
    if (name == "ADL_Main_Control_Destroy") {
        outcome = Decide(m_adlFaults.TakeStatus(name), true, true);
    } else if (name == "ADL_Adapter_NumberOfAdapters_Get") {
        outcome = Decide(m_adlFaults.TakeStatus(name), created != 0, output != 0);
    } else {
        // Records whose layout the simulated adapter does not describe.
        outcome = Decide(m_adlFaults.TakeStatus(name), created != 0, true);
        if (outcome.status == kAdlOk) outcome = {kAdlNotSupported, " why=not-simulated"};
    }
    std::string details = name + " status=" + std::to_string(outcome.status);
    std::string answer = std::to_string(outcome.status);
    if (name == "ADL_Adapter_NumberOfAdapters_Get" && outcome.status == kAdlOk) {
        details += " count=1";
        answer += " 1";
    }
    m_journal.Add("adl", details + outcome.note);
    return answer;
}

std::string GpuDomain::AdlClockState() const {
    if (!m_adlLastSet) return "default";
    const std::array<int32_t, 2>& set = *m_adlLastSet;
    if (set[0] == m_adlMemory[kAdlMax] && set[1] == m_adlEngine[kAdlMax]) return "overclocked";
    if (set[0] == m_adlMemory[kAdlDefault] && set[1] == m_adlEngine[kAdlDefault]) return "default";
    return "custom";
}

}  // namespace simnb
