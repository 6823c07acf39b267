// notebookctl's commands for the GPU. Every change is journalled as "ctl".
#include "../../gpu/CrashFault.h"
#include "../../gpu/GpuEntryPoints.h"
#include "../ValueText.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

std::string Joined(const std::string& head, const Args& args) {
    std::string out = head;
    for (const std::string& arg : args) out += " " + arg;
    return out;
}

bool ParseStatus(const std::string& text, int32_t* status) {
    int64_t value = 0;
    if (!ParseStrictDecimal(text, &value) || value < INT32_MIN || value > INT32_MAX) return false;
    *status = static_cast<int32_t>(value);
    return true;
}

// An NVIDIA entry point by identifier (0x...) or by name.
const char* NvEntryByWord(const std::string& word, uint32_t* id) {
    uint64_t number = 0;
    for (const NvEntryPoint& entry : kNvEntryPoints) {
        if (word == entry.name || (ParseUnsigned(word, &number) && number == entry.id)) {
            *id = entry.id;
            return entry.name;
        }
    }
    return nullptr;
}

bool IsAdlFunction(const std::string& word) {
    for (const char* name : kAdlFunctionNames) {
        if (word == name) return true;
    }
    return false;
}

// STATUS|off [--at N | --index N], from args[first] on. False when malformed.
bool ParseStatusFault(const Args& args, size_t first, bool allowIndex, std::optional<StatusFault>* fault) {
    if (args.size() == first + 1 && args[first] == "off") {
        fault->reset();
        return true;
    }
    StatusFault parsed;
    if (args.size() <= first ||
        !(ParseStatus(args[first], &parsed.status) || ParseCrashWord(args[first], &parsed.status)))
        return false;
    if (args.size() == first + 1) {
        *fault = parsed;
        return true;
    }
    uint64_t n = 0;
    if (args.size() != first + 3 || !ParseUnsigned(args[first + 2], &n)) return false;
    if (args[first + 1] == "--at" && n > 0) {
        parsed.atCall = n;
    } else if (args[first + 1] == "--index" && allowIndex && n <= UINT32_MAX) {
        parsed.atIndex = static_cast<uint32_t>(n);
    } else {
        return false;
    }
    *fault = parsed;
    return true;
}

// hold ID|NAME [--value N] | hold apply|revert | hold off. The first call of an apply is
// B23B70EE(gpu,1), of a revert B23B70EE(gpu,0).
bool ParseHoldFault(const Args& args, std::optional<HoldFault>* hold) {
    uint32_t id = 0;
    if (args.size() == 2 && args[1] == "off") {
        hold->reset();
    } else if (args.size() == 2 && (args[1] == "apply" || args[1] == "revert")) {
        *hold = HoldFault{"NvPrivate_B23B70EE", args[1] == "apply" ? 1 : 0};
    } else if (const char* name = NvEntryByWord(args[1], &id)) {
        if (std::string(name).rfind("NvPrivate_", 0) != 0) return false;
        HoldFault parsed{name, std::nullopt};
        int64_t value = 0;
        if (args.size() == 4 && args[2] == "--value" && ParseStrictDecimal(args[3], &value)) {
            parsed.value = value;
        } else if (args.size() != 2) {
            return false;
        }
        *hold = parsed;
    } else {
        return false;
    }
    return true;
}

}  // namespace

CommandReply GpuDomain::GpuSetCommand(const Args& args) {
    uint64_t count = 0;
    if (args.size() != 2 || !ParseUnsigned(args[1], &count)) return Fail("usage: gpu set displays|physical|logical N");
    LockGuard guard(m_lock);
    if (args[0] == "displays" && count <= 100000) {
        m_nv.SetDisplays(static_cast<uint32_t>(count));
    } else if (args[0] == "physical" && count <= NvidiaModel::kMaxGpus) {
        m_nv.SetPhysicalGpus(static_cast<uint32_t>(count));
    } else if (args[0] == "logical" && count <= NvidiaModel::kMaxGpus) {
        m_nv.SetLogicalGpus(static_cast<uint32_t>(count));
    } else {
        return Fail("usage: gpu set displays N (up to 100000) | physical N | logical N (up to 64)");
    }
    m_journal.Add("ctl", Joined("gpu set", args));
    return Ok();
}

CommandReply GpuDomain::NvFaultCommand(const Args& args) {
    const char* usage =
        "usage: nv fault status ID|NAME STATUS|off [--at N|--index N] | offer ID|NAME on|off | "
        "hold ID|NAME [--value N] | hold apply|revert|off | release | off";
    uint32_t id = 0;
    LockGuard guard(m_lock);
    if (args.size() == 1 && args[0] == "off") {
        m_nvFaults.Reset();
    } else if (args.size() == 1 && args[0] == "release") {
        m_journal.Add("ctl", "nv fault release released=" + std::to_string(m_nvFaults.ReleaseHolds()));
        return Ok();
    } else if (args.size() >= 2 && args[0] == "hold") {
        std::optional<HoldFault> hold;
        if (!ParseHoldFault(args, &hold)) return Fail(usage);
        if (hold) {
            m_nvFaults.ArmHold(*hold);
        } else {
            m_nvFaults.DisarmHold();
        }
    } else if (args.size() == 3 && args[0] == "offer" && (args[2] == "on" || args[2] == "off")) {
        if (NvEntryByWord(args[1], &id) == nullptr) return Fail("unknown NVIDIA entry point: " + args[1]);
        m_nvFaults.SetOffered(id, args[2] == "on");
    } else if (args.size() >= 3 && args[0] == "status") {
        const char* name = NvEntryByWord(args[1], &id);
        if (name == nullptr) return Fail("unknown NVIDIA entry point: " + args[1]);
        std::optional<StatusFault> fault;
        if (!ParseStatusFault(args, 2, id == 0x9ABDD40D, &fault)) return Fail(usage);
        if (fault) {
            m_nvFaults.SetStatus(name, *fault);
        } else {
            m_nvFaults.ClearStatus(name);
        }
    } else {
        return Fail(usage);
    }
    m_journal.Add("ctl", Joined("nv fault", args));
    return Ok();
}

CommandReply GpuDomain::AdlFaultCommand(const Args& args) {
    LockGuard guard(m_lock);
    if (args.size() == 1 && args[0] == "off") {
        m_adlFaults.Reset();
    } else if (args.size() >= 3 && args[0] == "status") {
        if (!IsAdlFunction(args[1])) return Fail("unknown ADL function: " + args[1]);
        std::optional<StatusFault> fault;
        if (!ParseStatusFault(args, 2, false, &fault)) return Fail("usage: adl fault status NAME STATUS|off [--at N]");
        if (fault) {
            m_adlFaults.SetStatus(args[1], *fault);
        } else {
            m_adlFaults.ClearStatus(args[1]);
        }
    } else {
        return Fail("usage: adl fault status NAME STATUS|off [--at N] | off");
    }
    m_journal.Add("ctl", Joined("adl fault", args));
    return Ok();
}

CommandReply GpuDomain::AdlSetCommand(const Args& args) {
    int32_t value = 0;
    LockGuard guard(m_lock);
    if (args.size() == 2 && args[0] == "flags" && ParseStatus(args[1], &value)) {
        m_adl.SetFlags(value);
    } else if (args.size() != 3 || !ParseStatus(args[2], &value) || !m_adl.SetClockField(args[0], args[1], value)) {
        return Fail("usage: adl set flags N | adl set memory|engine default|current|max|min|requested|applied N");
    }
    m_journal.Add("ctl", Joined("adl set", args));
    return Ok();
}

std::string GpuDomain::FullStatus() const {
    LockGuard guard(m_lock);
    std::string out = "nv-displays " + std::to_string(m_nv.Displays()) + "\n";
    out += "nv-physical-gpus " + std::to_string(m_nv.PhysicalGpus()) + "\n";
    out += "nv-logical-gpus " + std::to_string(m_nv.LogicalGpus()) + "\n";
    for (uint32_t i = 0; i < m_nv.PhysicalGpus(); ++i) {
        out += (i == 0 ? std::string("nv-clocks ") : "nv-clocks-gpu" + std::to_string(i) + " ") +
               NvClocksName(m_nv.Clocks(i)) + "\n";
    }
    if (m_nv.PhysicalGpus() == 0) out += "nv-clocks none\n";
    out += "adl-clocks " + m_adl.ClockState() + "\n";
    out += "adl-flags " + std::to_string(m_adl.Flags()) + "\n";
    const char* fields = "default current max min requested applied";
    for (const char* domain : {"memory", "engine"}) {
        const AdlClockSetting& s = std::string(domain) == "memory" ? m_adl.Memory() : m_adl.Engine();
        out += std::string("adl-") + domain + " " + std::to_string(s.defaultClock) + " " +
               std::to_string(s.currentClock) + " " + std::to_string(s.maxClock) + " " + std::to_string(s.minClock) +
               " " + std::to_string(s.requestedClock) + " " + std::to_string(s.appliedClock) + "  (" + fields + ")\n";
    }
    out += m_nvFaults.Status("nv");
    out += m_adlFaults.Status("adl");
    return out;
}

}  // namespace simnb
