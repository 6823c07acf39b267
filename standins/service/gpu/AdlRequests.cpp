// The ADL stand-in's calls, each journalled under "adl" with its arguments.
#include "../../gpu/GpuWire.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

struct Outcome {
    int32_t status = kAdlOk;
    std::string note;
};

// A scripted fault wins; then the library's own checks: initialised, record given.
Outcome Decide(std::optional<int32_t> fault, bool created, bool pointerGiven) {
    if (fault) return {*fault, " fault=yes"};
    if (!created) return {kAdlNotInit, " why=not-initialized"};
    if (!pointerGiven) return {kAdlNullPointer, " why=null-pointer"};
    return {};
}

std::string YesNo(int64_t value) { return value != 0 ? "yes" : "no"; }

}  // namespace

std::string GpuDomain::ServeAdl(const GpuRequest& request) {
    const std::string& what = request.Word(1);
    if (what == "load") return LoadEntry("adl", request);
    if (what == "ADL_Main_Control_Create") return AdlCreate(request);
    if (what == "ADL_Display_ODClockInfo_Get") return AdlInfoGet(request);
    if (what == "ADL_Display_ODClockConfig_Set") return AdlConfigSet(request);
    if (what.rfind("ADL_", 0) == 0) return AdlOther(request);
    m_journal.Add("adl", "protocol-error why=unknown-call call=" + what);
    return std::to_string(kAdlError);
}

// ADL_Main_Control_Create CALLBACK ALLOCATED ENUM
std::string GpuDomain::AdlCreate(const GpuRequest& request) {
    int64_t callback = 0, allocated = 0, enumConnected = 0;
    if (!request.Number(2, &callback) || !request.Number(3, &allocated) || !request.Number(4, &enumConnected)) {
        m_journal.Add("adl", "protocol-error why=bad-arguments call=ADL_Main_Control_Create");
        return std::to_string(kAdlError);
    }
    Outcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Main_Control_Create"), true, true);
    if (outcome.status == kAdlOk && (callback == 0 || allocated == 0)) outcome = {kAdlInvalidCallback, " why=callback"};
    m_journal.Add("adl", "ADL_Main_Control_Create callback=" + YesNo(callback) + " allocated=" + YesNo(allocated) +
                             " iEnumConnectedAdapters=" + std::to_string(enumConnected) +
                             " status=" + std::to_string(outcome.status) + outcome.note);
    return std::to_string(outcome.status);
}

// ADL_Display_ODClockInfo_Get CREATED ADAPTER RECORD
std::string GpuDomain::AdlInfoGet(const GpuRequest& request) {
    int64_t created = 0, adapter = 0, record = 0;
    if (!request.Number(2, &created) || !request.Number(3, &adapter) || !request.Number(4, &record)) {
        m_journal.Add("adl", "protocol-error why=bad-arguments call=ADL_Display_ODClockInfo_Get");
        return std::to_string(kAdlError);
    }
    Outcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Display_ODClockInfo_Get"), created != 0, record != 0);
    if (outcome.status == kAdlOk && adapter != 0) outcome = {kAdlInvalidAdapterIndex, " why=adapter"};
    m_journal.Add("adl", "ADL_Display_ODClockInfo_Get iAdapterIndex=" + std::to_string(adapter) +
                             " status=" + std::to_string(outcome.status) + outcome.note);
    std::string answer = std::to_string(outcome.status);
    if (outcome.status == kAdlOk) {
        for (int32_t field : m_adl.InfoRecord()) answer += " " + std::to_string(field);
    }
    return answer;
}

// ADL_Display_ODClockConfig_Set CREATED ADAPTER RECORD SIZE FLAGS MEMORY ENGINE
std::string GpuDomain::AdlConfigSet(const GpuRequest& request) {
    int64_t created = 0, adapter = 0, record = 0;
    int64_t fields[4] = {};
    bool parsed = request.Number(2, &created) && request.Number(3, &adapter) && request.Number(4, &record);
    for (int i = 0; parsed && i < 4; ++i) parsed = request.Number(5 + i, &fields[i]);
    if (!parsed) {
        m_journal.Add("adl", "protocol-error why=bad-arguments call=ADL_Display_ODClockConfig_Set");
        return std::to_string(kAdlError);
    }
    AdlClockConfig config = {static_cast<int32_t>(fields[0]), static_cast<int32_t>(fields[1]),
                             static_cast<int32_t>(fields[2]), static_cast<int32_t>(fields[3])};
    Outcome outcome = Decide(m_adlFaults.TakeStatus("ADL_Display_ODClockConfig_Set"), created != 0, record != 0);
    if (outcome.status == kAdlOk) {
        outcome.status = m_adl.Apply(static_cast<int>(adapter), config);
        if (outcome.status != kAdlOk) outcome.note = " why=rejected";
    }
    std::string details = "ADL_Display_ODClockConfig_Set iAdapterIndex=" + std::to_string(adapter);
    if (record != 0) {
        details += " iSize=" + std::to_string(config.size) + " iFlags=" + std::to_string(config.flags) +
                   " iMemoryClock=" + std::to_string(config.memoryClock) +
                   " iEngineClock=" + std::to_string(config.engineClock);
    }
    m_journal.Add("adl", details + " status=" + std::to_string(outcome.status) + " clocks=" + m_adl.ClockState() +
                             outcome.note);
    return std::to_string(outcome.status);
}

// The functions the program only requires to exist: NAME CREATED [OUTPUT]
std::string GpuDomain::AdlOther(const GpuRequest& request) {
    const std::string& name = request.Word(1);
    int64_t created = 0, output = 1;
    request.Number(2, &created);
    request.Number(3, &output);
    Outcome outcome;
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

}  // namespace simnb
