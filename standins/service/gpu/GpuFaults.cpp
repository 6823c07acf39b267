#include "GpuFaults.h"

#include "../../gpu/DriverFaults.h"
#include "GpuDomain.h"

namespace simnb {
namespace {

std::string ArmedText(const std::optional<ArmedCall>& armed) {
    if (!armed) return "off";
    return armed->entry + (armed->value ? "=" + std::to_string(*armed->value) : "");
}

}  // namespace

GpuOutcome DecideGpuCall(std::optional<int32_t> fault, bool initialized, bool pointerGiven, int32_t notInitialized,
                         int32_t nullPointer) {
    if (fault) return {*fault, " fault=yes"};
    if (!initialized) return {notInitialized, " why=not-initialized"};
    if (!pointerGiven) return {nullPointer, " why=null-pointer"};
    return {};
}

void GpuFaults::Reset() {
    status.clear();
    m_calls.clear();
    withheld.clear();
    hold.reset();
    crashThread.reset();
    ownFilter = false;
    ReleaseHolds();
}

std::optional<int32_t> GpuFaults::TakeStatus(const std::string& entry, std::optional<uint32_t> index) {
    const uint64_t call = ++m_calls[entry];
    auto found = status.find(entry);
    if (found == status.end()) return std::nullopt;
    const StatusFault& fault = found->second;
    if (fault.atCall != 0 && fault.atCall != call) return std::nullopt;
    if (fault.atIndex && (!index || *index != *fault.atIndex)) return std::nullopt;
    return fault.status;
}

std::optional<uint64_t> GpuFaults::TakeHold(const std::string& entry, int64_t value) {
    if (!hold || !hold->Matches(entry, value)) return std::nullopt;
    const uint64_t number = ++m_holdsMade;
    UniqueHandle released(
        CreateEventW(nullptr, TRUE, FALSE, HoldEventName(GetCurrentProcessId(), static_cast<int64_t>(number)).c_str()));
    // Without its event the caller could never be released: the call goes on unheld.
    if (!released.Valid()) return std::nullopt;
    hold.reset();
    m_held.emplace(number, std::move(released));
    return number;
}

bool GpuFaults::TakeCrashThread(const std::string& entry, int64_t value) {
    if (!crashThread || !crashThread->Matches(entry, value)) return false;
    crashThread.reset();
    return true;
}

size_t GpuFaults::ReleaseHolds() {
    const size_t count = m_held.size();
    for (auto& held : m_held) SetEvent(held.second.Get());
    m_held.clear();
    return count;
}

std::string GpuFaults::Status(const std::string& prefix) const {
    std::string out = "fault-" + prefix + "-status";
    if (status.empty()) out += " off";
    for (const auto& entry : status) {
        out += " " + entry.first + "=" + std::to_string(entry.second.status);
        if (entry.second.atCall != 0) out += "@call" + std::to_string(entry.second.atCall);
        if (entry.second.atIndex) out += "@index" + std::to_string(*entry.second.atIndex);
    }
    out += "\n";
    if (prefix == "nv") {
        out += "fault-nv-withheld";
        if (withheld.empty()) out += " off";
        for (uint32_t id : withheld) out += " " + Hex32(id);
        out += "\n";
        out += "fault-nv-hold " + ArmedText(hold);
        out += "\nfault-nv-crash-thread " + ArmedText(crashThread);
        out += std::string("\nfault-nv-filter ") + (ownFilter ? "on" : "off");
        out += "\nnv-held " + std::to_string(m_held.size()) + "\n";
    }
    return out;
}

}  // namespace simnb
