#include "GpuDomain.h"

#include <cstdio>
#include <cstdlib>

#include "../../common/ControlWire.h"
#include "../../gpu/GpuWire.h"

namespace simnb {
namespace {

constexpr DWORD kWriteTimeoutMs = 3000;

}  // namespace

bool WordNumber(const GpuWords& words, size_t i, int64_t* value) {
    if (i >= words.size() || words[i].empty()) return false;
    const char* text = words[i].c_str();
    char* end = nullptr;
    long long parsed = std::strtoll(text, &end, 0);
    if (end == text || *end != '\0') return false;
    *value = parsed;
    return true;
}

std::string Hex32(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

GpuDomain::GpuDomain(Journal& journal)
    : m_journal(journal),
      m_pipe(kGpuPipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeConnection(channel, cancel); }) {
    Reset();
}

void GpuDomain::Reset() {
    LockGuard guard(m_lock);
    m_nvDisplays = 1;
    m_nvLogicalGpus = 1;
    m_nvGpus.assign(1, NvGpu());
    m_nvFaults.Reset();
    // Over-drive may be changed and read back (bits 0 and 1), as on a notebook part.
    m_adlFlags = 3;
    m_adlMemory = {900, 900, 1000, 300, 900, 900};
    m_adlEngine = {500, 500, 650, 100, 500, 500};
    m_adlLastSet.reset();
    m_adlFaults.Reset();
}

std::string GpuDomain::Status() const {
    LockGuard guard(m_lock);
    return std::string("nv-clocks ") + (m_nvGpus.empty() ? "none" : NvClocks(0)) + "\nadl-clocks " + AdlClockState() +
           "\n";
}

// One request per connection: the stand-ins connect for each call.
void GpuDomain::ServeConnection(const PipeChannel& channel, HANDLE cancel) {
    std::string request;
    PipeIo got = channel.Read(request, kMaxGpuMessageBytes, kWriteTimeoutMs, cancel);
    if (got == PipeIo::TooLarge) m_journal.Add("gpu", "protocol-error why=too-large");
    if (got != PipeIo::Ok) return;
    channel.Write(Answer(request), kWriteTimeoutMs, cancel);
}

std::string GpuDomain::Answer(const std::string& line) {
    using Serve = std::string (GpuDomain::*)(const std::string& name, const int64_t* args);
    // The calls with a rule of their own, and how many numbers each brings after its name.
    static const struct {
        const char* vendor;
        const char* name;
        size_t numbers;
        Serve serve;
    } kCalls[] = {
        {"nv", "NvAPI_Initialize", 0, &GpuDomain::NvInitialize},
        {"nv", "NvAPI_EnumNvidiaDisplayHandle", 3, &GpuDomain::NvEnumDisplay},
        {"nv", "NvAPI_EnumPhysicalGPUs", 2, &GpuDomain::NvEnumGpus},
        {"nv", "NvAPI_EnumLogicalGPUs", 2, &GpuDomain::NvEnumGpus},
        {"nv", "NvPrivate_B23B70EE", 3, &GpuDomain::NvPrivate},
        {"nv", "NvPrivate_FA579A0F", 3, &GpuDomain::NvPrivate},
        {"nv", "NvPrivate_FDFC7D49", 4, &GpuDomain::NvPrivate},
        {"adl", "ADL_Main_Control_Create", 3, &GpuDomain::AdlCreate},
        {"adl", "ADL_Display_ODClockInfo_Get", 3, &GpuDomain::AdlInfoGet},
        {"adl", "ADL_Display_ODClockConfig_Set", 7, &GpuDomain::AdlConfigSet},
    };
    GpuWords request = SplitAt(line, ' ');
    const std::string vendor = request.empty() ? std::string() : request[0];
    const std::string what = request.size() > 1 ? request[1] : std::string();
    LockGuard guard(m_lock);
    if (vendor != "nv" && vendor != "adl") {
        m_journal.Add("gpu", "protocol-error why=unknown-request text=" + QuoteText(line));
        return std::to_string(kNvError);
    }
    if (what == "load") return Load(vendor, request);
    if (what == "unload") {
        m_journal.Add(vendor, "unload pid=" + (request.size() > 2 ? request[2] : std::string()));
        return "0";
    }
    if (vendor == "nv" && what == "query") return NvQuery(request);
    for (const auto& call : kCalls) {
        if (vendor != call.vendor || what != call.name) continue;
        int64_t args[7] = {};
        for (size_t i = 0; i < call.numbers; ++i) {
            if (!WordNumber(request, 2 + i, &args[i])) {
                m_journal.Add(vendor, "protocol-error why=bad-arguments call=" + what);
                return std::to_string(kNvError);  // -1, the general error of either library
            }
        }
        return (this->*call.serve)(what, args);
    }
    if (vendor == "adl" && what.rfind("ADL_", 0) == 0) return AdlOther(request);
    // A private identifier the simulation has no rule for has no arguments it could take.
    const bool noRule = vendor == "nv" && what.rfind("NvPrivate_", 0) == 0;
    m_journal.Add(vendor,
                  std::string("protocol-error why=") + (noRule ? "bad-arguments" : "unknown-call") + " call=" + what);
    return std::to_string(kNvError);
}

std::string GpuDomain::Load(const std::string& vendor, const GpuWords& request) {
    // The module path may contain blanks.
    std::string path;
    for (size_t i = 3; i < request.size(); ++i) path += (path.empty() ? "" : " ") + request[i];
    const bool ownFilter = vendor == "nv" && m_nvFaults.ownFilter;
    m_journal.Add(vendor, "load pid=" + (request.size() > 2 ? request[2] : "") + " path=" + QuoteText(path) +
                              (ownFilter ? " filter=own" : ""));
    // The library installs an exception filter of its own when the answer says 1.
    return ownFilter ? "0 1" : "0";
}

}  // namespace simnb
