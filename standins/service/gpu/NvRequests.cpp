// The simulated NVIDIA driver: the nvapi stand-in's questions (which identifiers are
// offered, and each call with its arguments), every one journalled under "nv".
//
// The private entry points are known only by the arguments the program passes, so the
// simulation gives them a rule of its own: a GPU becomes overclocked when, in this order
// and each succeeding, B23B70EE(gpu,1), FDFC7D49(gpu,1,0) and FA579A0F(gpu,0) reach it;
// it returns to default clocks after B23B70EE(gpu,0) then FA579A0F(gpu,1). Any other or
// failed call on that GPU breaks a sequence under way and leaves the clocks as they were.
#include "../../gpu/DriverFaults.h"
#include "../../gpu/GpuWire.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

GpuOutcome Decide(std::optional<int32_t> fault, bool initialized, bool pointerGiven) {
    return DecideGpuCall(fault, initialized, pointerGiven, kNvNotInitialized, kNvInvalidArgument);
}

std::string HandleList(uint32_t base, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) out += (i ? "," : "") + Hex32(base + i);
    return out;
}

}  // namespace

std::string GpuDomain::NvInitialize(const std::string&, const int64_t*) {
    GpuOutcome outcome = Decide(m_nvFaults.TakeStatus("NvAPI_Initialize"), true, true);
    m_journal.Add("nv", "NvAPI_Initialize status=" + std::to_string(outcome.status) + outcome.note);
    return std::to_string(outcome.status);
}

std::string GpuDomain::NvQuery(const GpuWords& request) {
    int64_t id = 0;
    if (!WordNumber(request, 2, &id)) {
        m_journal.Add("nv", "protocol-error why=bad-query");
        return "0";
    }
    const char* name = NvEntryPointName(static_cast<uint32_t>(id));
    bool offered = name != nullptr && m_nvFaults.withheld.count(static_cast<uint32_t>(id)) == 0;
    m_journal.Add("nv", "query id=" + Hex32(static_cast<uint32_t>(id)) + " name=" + (name ? name : "unknown") +
                            " offered=" + (offered ? "yes" : "no"));
    return offered ? "1" : "0";
}

// INIT INDEX POINTER
std::string GpuDomain::NvEnumDisplay(const std::string&, const int64_t* args) {
    const uint32_t i = static_cast<uint32_t>(args[1]);
    GpuOutcome outcome = Decide(m_nvFaults.TakeStatus("NvAPI_EnumNvidiaDisplayHandle", i), args[0] != 0, args[2] != 0);
    if (outcome.status == kNvOk && i >= m_nvDisplays) outcome.status = kNvEndEnumeration;
    std::string details = "NvAPI_EnumNvidiaDisplayHandle index=" + std::to_string(i) +
                          " status=" + std::to_string(outcome.status);
    std::string answer = std::to_string(outcome.status);
    if (outcome.status == kNvOk) {
        details += " handle=" + Hex32(kNvDisplayHandleBase + i);
        answer += " " + std::to_string(kNvDisplayHandleBase + i);
    }
    m_journal.Add("nv", details + outcome.note);
    return answer;
}

// INIT POINTERS
std::string GpuDomain::NvEnumGpus(const std::string& name, const int64_t* args) {
    const bool physical = name == "NvAPI_EnumPhysicalGPUs";
    GpuOutcome outcome = Decide(m_nvFaults.TakeStatus(name), args[0] != 0, args[1] != 0);
    std::string details = name + " status=" + std::to_string(outcome.status);
    std::string answer = std::to_string(outcome.status);
    if (outcome.status == kNvOk) {
        const uint32_t count = physical ? static_cast<uint32_t>(m_nvGpus.size()) : m_nvLogicalGpus;
        const uint32_t base = physical ? kNvPhysicalGpuHandleBase : kNvLogicalGpuHandleBase;
        details += " count=" + std::to_string(count) + " handles=" + (count ? HandleList(base, count) : "none");
        answer += " " + std::to_string(count);
        for (uint32_t i = 0; i < count; ++i) answer += " " + std::to_string(base + i);
    }
    m_journal.Add("nv", details + outcome.note);
    return answer;
}

// INIT GPU VALUE [VALUE2]
std::string GpuDomain::NvPrivate(const std::string& name, const int64_t* args) {
    const std::string id = name.substr(sizeof "NvPrivate_" - 1);
    const int64_t gpu = args[1];
    std::string step = id + ":" + std::to_string(args[2]);
    std::string details = name + " gpu=" + Hex32(static_cast<uint64_t>(gpu));
    if (id == "FDFC7D49") {
        step += ":" + std::to_string(args[3]);
        details += " value1=" + std::to_string(args[2]) + " value2=" + std::to_string(args[3]);
    } else {
        details += " value=" + std::to_string(args[2]);
    }
    // A held call has not reached the GPU yet: it is answered when the stand-in asks again.
    if (std::optional<uint64_t> hold = m_nvFaults.TakeHold(name, args[2])) {
        m_journal.Add("nv", "hold " + details + " hold=" + std::to_string(*hold));
        return std::to_string(kHoldStatus) + " " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(*hold);
    }
    // Nor has a call that first starts a faulting thread: it asks again when it goes on.
    if (m_nvFaults.TakeCrashThread(name, args[2])) {
        m_journal.Add("nv", "crash-thread " + details);
        return std::to_string(kCrashThreadStatus);
    }

    const uint64_t index = static_cast<uint64_t>(gpu) - kNvPhysicalGpuHandleBase;
    const bool known = static_cast<uint64_t>(gpu) >= kNvPhysicalGpuHandleBase && index < m_nvGpus.size();
    GpuOutcome outcome = Decide(m_nvFaults.TakeStatus(name), args[0] != 0, true);
    if (outcome.status == kNvOk && !known) outcome = {kNvExpectedPhysicalGpuHandle, " why=unknown-gpu"};
    details += " status=" + std::to_string(outcome.status);
    if (known) {
        NvPrivateStep(m_nvGpus[index], step, outcome.status == kNvOk);
        details += std::string(" clocks=") + NvClocks(index);
    }
    m_journal.Add("nv", details + outcome.note);
    return std::to_string(outcome.status);
}

// One private call that reached the GPU; step is e.g. "B23B70EE:1" or "FDFC7D49:1:0".
void GpuDomain::NvPrivateStep(NvGpu& gpu, const std::string& step, bool succeeded) {
    NvStep next = NvStep::None;
    if (!succeeded) {
        next = NvStep::None;
    } else if (step == "B23B70EE:1") {
        next = NvStep::Apply1;
    } else if (step == "FDFC7D49:1:0" && gpu.step == NvStep::Apply1) {
        next = NvStep::Apply2;
    } else if (step == "FA579A0F:0" && gpu.step == NvStep::Apply2) {
        gpu.overclocked = true;
    } else if (step == "B23B70EE:0") {
        next = NvStep::Revert1;
    } else if (step == "FA579A0F:1" && gpu.step == NvStep::Revert1) {
        gpu.overclocked = false;
    }
    gpu.step = next;
}

const char* GpuDomain::NvClocks(size_t gpu) const { return m_nvGpus.at(gpu).overclocked ? "overclocked" : "default"; }

}  // namespace simnb
