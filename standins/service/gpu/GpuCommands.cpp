// notebookctl's commands for the GPU. Every change is journalled as "ctl".
#include "../../gpu/DriverFaults.h"
#include "../../gpu/GpuWire.h"
#include "../ValueText.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

constexpr uint32_t kMaxNvGpus = 64;

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

// status ENTRY STATUS|off [--at N | --index N] (args has at least three words), for the
// entry point named name. False, and faults unchanged, when malformed.
bool ParseStatusFault(const Args& args, const std::string& name, bool allowIndex, GpuFaults* faults) {
    if (args.size() == 3 && args[2] == "off") {
        faults->status.erase(name);
        return true;
    }
    StatusFault parsed;
    uint64_t n = 0;
    if (!(ParseStatus(args[2], &parsed.status) || ParseCrashWord(args[2], &parsed.status))) return false;
    const bool counted = args.size() == 5 && ParseUnsigned(args[4], &n);
    if (counted && args[3] == "--at" && n > 0) {
        parsed.atCall = n;
    } else if (counted && args[3] == "--index" && allowIndex && n <= UINT32_MAX) {
        parsed.atIndex = static_cast<uint32_t>(n);
    } else if (args.size() != 3) {
        return false;
    }
    faults->status[name] = parsed;
    return true;
}

// FAULT ID|NAME [--value N] | FAULT apply|revert | FAULT off, for the faults that meet one
// call of a private entry point (hold, crash-thread). The first call of an apply is
// B23B70EE(gpu,1), of a revert B23B70EE(gpu,0).
bool ParseArmedCall(const Args& args, std::optional<ArmedCall>* armed) {
    uint32_t id = 0;
    if (args.size() == 2 && args[1] == "off") {
        armed->reset();
    } else if (args.size() == 2 && (args[1] == "apply" || args[1] == "revert")) {
        *armed = ArmedCall{"NvPrivate_B23B70EE", args[1] == "apply" ? 1 : 0};
    } else if (const char* name = NvEntryByWord(args[1], &id)) {
        if (std::string(name).rfind("NvPrivate_", 0) != 0) return false;
        ArmedCall parsed{name, std::nullopt};
        int64_t value = 0;
        if (args.size() == 4 && args[2] == "--value" && ParseStrictDecimal(args[3], &value)) {
            parsed.value = value;
        } else if (args.size() != 2) {
            return false;
        }
        *armed = parsed;
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
        m_nvDisplays = static_cast<uint32_t>(count);
    } else if (args[0] == "physical" && count <= kMaxNvGpus) {
        m_nvGpus.resize(count);
    } else if (args[0] == "logical" && count <= kMaxNvGpus) {
        m_nvLogicalGpus = static_cast<uint32_t>(count);
    } else {
        return Fail("usage: gpu set displays N (up to 100000) | physical N | logical N (up to 64)");
    }
    m_journal.Add("ctl", Joined("gpu set", args));
    return Ok();
}

CommandReply GpuDomain::NvFaultCommand(const Args& args) {
    const char* usage =
        "usage: nv fault status ID|NAME STATUS|off [--at N|--index N] | offer ID|NAME on|off | "
        "hold|crash-thread ID|NAME [--value N] | hold|crash-thread apply|revert|off | filter on|off | release | off";
    uint32_t id = 0;
    LockGuard guard(m_lock);
    if (args.size() == 1 && args[0] == "off") {
        m_nvFaults.Reset();
    } else if (args.size() == 1 && args[0] == "release") {
        m_journal.Add("ctl", "nv fault release released=" + std::to_string(m_nvFaults.ReleaseHolds()));
        return Ok();
    } else if (args.size() >= 2 && args[0] == "hold") {
        // Disarming releases nothing.
        if (!ParseArmedCall(args, &m_nvFaults.hold)) return Fail(usage);
    } else if (args.size() >= 2 && args[0] == "crash-thread") {
        if (!ParseArmedCall(args, &m_nvFaults.crashThread)) return Fail(usage);
    } else if (args.size() == 2 && args[0] == "filter" && (args[1] == "on" || args[1] == "off")) {
        m_nvFaults.ownFilter = args[1] == "on";
    } else if (args.size() == 3 && args[0] == "offer" && (args[2] == "on" || args[2] == "off")) {
        if (NvEntryByWord(args[1], &id) == nullptr) return Fail("unknown NVIDIA entry point: " + args[1]);
        if (args[2] == "on") {
            m_nvFaults.withheld.erase(id);
        } else {
            m_nvFaults.withheld.insert(id);
        }
    } else if (args.size() >= 3 && args[0] == "status") {
        const char* name = NvEntryByWord(args[1], &id);
        if (name == nullptr) return Fail("unknown NVIDIA entry point: " + args[1]);
        if (!ParseStatusFault(args, name, id == 0x9ABDD40D, &m_nvFaults)) return Fail(usage);
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
        if (!ParseStatusFault(args, args[1], false, &m_adlFaults))
            return Fail("usage: adl fault status NAME STATUS|off [--at N]");
    } else {
        return Fail("usage: adl fault status NAME STATUS|off [--at N] | off");
    }
    m_journal.Add("ctl", Joined("adl fault", args));
    return Ok();
}

CommandReply GpuDomain::AdlSetCommand(const Args& args) {
    int32_t value = 0;
    int32_t* target = nullptr;
    LockGuard guard(m_lock);
    if (args.size() == 2 && args[0] == "flags") {
        target = &m_adlFlags;
    } else if (args.size() == 3 && (args[0] == "memory" || args[0] == "engine")) {
        AdlClocks& clocks = args[0] == "memory" ? m_adlMemory : m_adlEngine;
        for (size_t i = 0; i < clocks.size(); ++i) {
            if (args[1] == kAdlClockFields[i]) target = &clocks[i];
        }
    }
    if (target == nullptr || !ParseStatus(args.back(), &value))
        return Fail("usage: adl set flags N | adl set memory|engine default|current|max|min|requested|applied N");
    *target = value;
    m_journal.Add("ctl", Joined("adl set", args));
    return Ok();
}

std::string GpuDomain::FullStatus() const {
    LockGuard guard(m_lock);
    std::string out = "nv-displays " + std::to_string(m_nvDisplays) + "\n";
    out += "nv-physical-gpus " + std::to_string(m_nvGpus.size()) + "\n";
    out += "nv-logical-gpus " + std::to_string(m_nvLogicalGpus) + "\n";
    for (size_t i = 0; i < m_nvGpus.size(); ++i) {
        out += (i == 0 ? std::string("nv-clocks ") : "nv-clocks-gpu" + std::to_string(i) + " ") + NvClocks(i) + "\n";
    }
    if (m_nvGpus.empty()) out += "nv-clocks none\n";
    out += "adl-clocks " + AdlClockState() + "\n";
    out += "adl-flags " + std::to_string(m_adlFlags) + "\n";
    for (const AdlClocks* clocks : {&m_adlMemory, &m_adlEngine}) {
        out += clocks == &m_adlMemory ? "adl-memory" : "adl-engine";
        for (int32_t clock : *clocks) out += " " + std::to_string(clock);
        out += "  (default current max min requested applied)\n";
    }
    out += m_nvFaults.Status("nv");
    out += m_adlFaults.Status("adl");
    return out;
}

}  // namespace simnb
