// The nvapi stand-in's questions: which identifiers are offered, and each call with its
// arguments. Every one is journalled under "nv".
#include "../../gpu/GpuEntryPoints.h"
#include "../../gpu/GpuWire.h"
#include "../../gpu/HoldFault.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

struct Outcome {
    int32_t status = kNvOk;
    std::string note;  // " fault=yes" or " why=...": who decided a failure
};

// A scripted fault wins; then the driver's own checks: initialised, output pointer given.
Outcome Decide(std::optional<int32_t> fault, bool initialized, bool pointerGiven) {
    if (fault) return {*fault, " fault=yes"};
    if (!initialized) return {kNvNotInitialized, " why=not-initialized"};
    if (!pointerGiven) return {kNvInvalidArgument, " why=null-pointer"};
    return {};
}

std::string HandleList(uint32_t base, uint32_t count) {
    std::string out;
    for (uint32_t i = 0; i < count; ++i) out += (i ? "," : "") + Hex32(base + i);
    return out;
}

}  // namespace

std::string GpuDomain::ServeNv(const GpuRequest& request) {
    const std::string& what = request.Word(1);
    if (what == "load") return LoadEntry("nv", request);
    if (what == "query") return NvQuery(request);
    if (what == "NvAPI_Initialize") return NvInitialize();
    if (what == "NvAPI_EnumNvidiaDisplayHandle") return NvEnumDisplay(request);
    if (what == "NvAPI_EnumPhysicalGPUs") return NvEnumGpus(request, true);
    if (what == "NvAPI_EnumLogicalGPUs") return NvEnumGpus(request, false);
    if (what.rfind("NvPrivate_", 0) == 0) return NvPrivate(request);
    m_journal.Add("nv", "protocol-error why=unknown-call call=" + what);
    return std::to_string(kNvError);
}

std::string GpuDomain::NvQuery(const GpuRequest& request) {
    int64_t id = 0;
    if (!request.Number(2, &id)) {
        m_journal.Add("nv", "protocol-error why=bad-query");
        return "0";
    }
    const char* name = NvEntryPointName(static_cast<uint32_t>(id));
    bool offered = name != nullptr && m_nvFaults.Offered(static_cast<uint32_t>(id));
    m_journal.Add("nv", "query id=" + Hex32(static_cast<uint32_t>(id)) + " name=" + (name ? name : "unknown") +
                            " offered=" + (offered ? "yes" : "no"));
    return offered ? "1" : "0";
}

std::string GpuDomain::NvInitialize() {
    Outcome outcome = Decide(m_nvFaults.TakeStatus("NvAPI_Initialize"), true, true);
    m_journal.Add("nv", "NvAPI_Initialize status=" + std::to_string(outcome.status) + outcome.note);
    return std::to_string(outcome.status);
}

std::string GpuDomain::NvEnumDisplay(const GpuRequest& request) {
    int64_t initialized = 0, index = 0, pointerGiven = 0;
    if (!request.Number(2, &initialized) || !request.Number(3, &index) || !request.Number(4, &pointerGiven)) {
        m_journal.Add("nv", "protocol-error why=bad-arguments call=NvAPI_EnumNvidiaDisplayHandle");
        return std::to_string(kNvError);
    }
    const uint32_t i = static_cast<uint32_t>(index);
    Outcome outcome = Decide(m_nvFaults.TakeStatus("NvAPI_EnumNvidiaDisplayHandle", i), initialized != 0, pointerGiven != 0);
    if (outcome.status == kNvOk && i >= m_nv.Displays()) outcome.status = kNvEndEnumeration;
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

std::string GpuDomain::NvEnumGpus(const GpuRequest& request, bool physical) {
    const std::string name = physical ? "NvAPI_EnumPhysicalGPUs" : "NvAPI_EnumLogicalGPUs";
    int64_t initialized = 0, pointersGiven = 0;
    if (!request.Number(2, &initialized) || !request.Number(3, &pointersGiven)) {
        m_journal.Add("nv", "protocol-error why=bad-arguments call=" + name);
        return std::to_string(kNvError);
    }
    Outcome outcome = Decide(m_nvFaults.TakeStatus(name), initialized != 0, pointersGiven != 0);
    std::string details = name + " status=" + std::to_string(outcome.status);
    std::string answer = std::to_string(outcome.status);
    if (outcome.status == kNvOk) {
        const uint32_t count = physical ? m_nv.PhysicalGpus() : m_nv.LogicalGpus();
        const uint32_t base = physical ? kNvPhysicalGpuHandleBase : kNvLogicalGpuHandleBase;
        details += " count=" + std::to_string(count) + " handles=" + (count ? HandleList(base, count) : "none");
        answer += " " + std::to_string(count);
        for (uint32_t i = 0; i < count; ++i) answer += " " + std::to_string(base + i);
    }
    m_journal.Add("nv", details + outcome.note);
    return answer;
}

// NvPrivate_<ID> INIT GPU VALUE [VALUE2]
std::string GpuDomain::NvPrivate(const GpuRequest& request) {
    const std::string& name = request.Word(1);
    const std::string id = name.substr(sizeof "NvPrivate_" - 1);
    const bool twoValues = id == "FDFC7D49";
    int64_t initialized = 0, gpu = 0, value1 = 0, value2 = 0;
    if ((id != "B23B70EE" && id != "FA579A0F" && !twoValues) || !request.Number(2, &initialized) ||
        !request.Number(3, &gpu) || !request.Number(4, &value1) || (twoValues && !request.Number(5, &value2))) {
        m_journal.Add("nv", "protocol-error why=bad-arguments call=" + name);
        return std::to_string(kNvError);
    }
    std::string step = id + ":" + std::to_string(value1);
    std::string details = name + " gpu=" + Hex32(static_cast<uint64_t>(gpu));
    if (twoValues) {
        step += ":" + std::to_string(value2);
        details += " value1=" + std::to_string(value1) + " value2=" + std::to_string(value2);
    } else {
        details += " value=" + std::to_string(value1);
    }
    // A held call has not reached the GPU yet: it is answered when the stand-in asks again.
    if (std::optional<uint64_t> hold = m_nvFaults.TakeHold(name, value1)) {
        m_journal.Add("nv", "hold " + details + " hold=" + std::to_string(*hold));
        return std::to_string(kHoldStatus) + " " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(*hold);
    }

    std::optional<size_t> index = m_nv.GpuOfHandle(static_cast<uint64_t>(gpu));
    Outcome outcome = Decide(m_nvFaults.TakeStatus(name), initialized != 0, true);
    if (outcome.status == kNvOk && !index) outcome = {kNvExpectedPhysicalGpuHandle, " why=unknown-gpu"};
    details += " status=" + std::to_string(outcome.status);
    if (index) {
        m_nv.PrivateCall(*index, step, outcome.status == kNvOk);
        details += std::string(" clocks=") + NvClocksName(m_nv.Clocks(*index));
    }
    m_journal.Add("nv", details + outcome.note);
    return std::to_string(outcome.status);
}

}  // namespace simnb
