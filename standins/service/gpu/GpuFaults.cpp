#include "GpuFaults.h"

#include <cstdio>

#include "../../gpu/HoldFault.h"

namespace simnb {

void GpuFaults::Reset() {
    m_status.clear();
    m_calls.clear();
    m_withheld.clear();
    m_hold.reset();
    ReleaseHolds();
}

void GpuFaults::SetStatus(const std::string& entry, const StatusFault& fault) { m_status[entry] = fault; }

void GpuFaults::ClearStatus(const std::string& entry) { m_status.erase(entry); }

void GpuFaults::SetOffered(uint32_t id, bool offered) {
    if (offered) {
        m_withheld.erase(id);
    } else {
        m_withheld.insert(id);
    }
}

std::optional<int32_t> GpuFaults::TakeStatus(const std::string& entry, std::optional<uint32_t> index) {
    const uint64_t call = ++m_calls[entry];
    auto found = m_status.find(entry);
    if (found == m_status.end()) return std::nullopt;
    const StatusFault& fault = found->second;
    if (fault.atCall != 0 && fault.atCall != call) return std::nullopt;
    if (fault.atIndex && (!index || *index != *fault.atIndex)) return std::nullopt;
    return fault.status;
}

std::optional<uint64_t> GpuFaults::TakeHold(const std::string& entry, int64_t value) {
    if (!m_hold || m_hold->entry != entry || (m_hold->value && *m_hold->value != value)) return std::nullopt;
    const uint64_t hold = ++m_holdsMade;
    UniqueHandle released(
        CreateEventW(nullptr, TRUE, FALSE, HoldEventName(GetCurrentProcessId(), static_cast<int64_t>(hold)).c_str()));
    // Without its event the caller could never be released: the call goes on unheld.
    if (!released.Valid()) return std::nullopt;
    m_hold.reset();
    m_held.emplace(hold, std::move(released));
    return hold;
}

size_t GpuFaults::ReleaseHolds() {
    const size_t count = m_held.size();
    for (auto& held : m_held) SetEvent(held.second.Get());
    m_held.clear();
    return count;
}

std::string GpuFaults::Status(const std::string& prefix) const {
    std::string out = "fault-" + prefix + "-status";
    if (m_status.empty()) out += " off";
    for (const auto& entry : m_status) {
        out += " " + entry.first + "=" + std::to_string(entry.second.status);
        if (entry.second.atCall != 0) out += "@call" + std::to_string(entry.second.atCall);
        if (entry.second.atIndex) out += "@index" + std::to_string(*entry.second.atIndex);
    }
    out += "\n";
    if (prefix == "nv") {
        out += "fault-nv-withheld";
        if (m_withheld.empty()) out += " off";
        for (uint32_t id : m_withheld) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", id);
            out += std::string(" ") + hex;
        }
        out += "\n";
        out += "fault-nv-hold " + (m_hold ? m_hold->entry + (m_hold->value ? "=" + std::to_string(*m_hold->value) : "") : "off");
        out += "\nnv-held " + std::to_string(m_held.size()) + "\n";
    }
    return out;
}

}  // namespace simnb
