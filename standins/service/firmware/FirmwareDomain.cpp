#include "FirmwareDomain.h"

#include "../../common/PipeNames.h"

namespace simnb {

FirmwareDomain::FirmwareDomain(Journal& journal)
    : m_journal(journal),
      m_pipe(kFirmwarePipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeConnection(channel, cancel); }) {}

bool FirmwareDomain::Start() {
    LockGuard guard(m_pipeLock);
    return m_pipe.Start();
}

void FirmwareDomain::Reset() {
    {
        LockGuard guard(m_lock);
        m_variables = DefaultVariables();
        m_faults = FirmwareFaults();
    }
    SetAbsent(false);
}

// Absent means absent: no pipe to connect to, and the bridge's event connections cut.
void FirmwareDomain::SetAbsent(bool absent) {
    LockGuard guard(m_pipeLock);
    m_absent.store(absent);
    if (absent) {
        m_pipe.Stop();
    } else {
        m_pipe.Start();
    }
}

size_t FirmwareDomain::SubscriberCount() const {
    LockGuard guard(m_subscribersLock);
    return m_subscribers.size();
}

std::string FirmwareDomain::Variables() const {
    LockGuard guard(m_lock);
    std::string out;
    for (const auto& entry : m_variables) out += entry.first + " " + std::to_string(entry.second) + "\n";
    return out;
}

std::string FirmwareDomain::Status() const {
    std::string out = std::string("firmware ") + (m_absent.load() ? "absent" : "present") + "\n";
    out += "subscribers " + std::to_string(SubscriberCount()) + "\n";
    LockGuard guard(m_lock);
    out += "fault-refuse ";
    if (m_faults.refuseAll) {
        out += "on\n";
    } else if (m_faults.refuseNext > 0) {
        out += "next " + std::to_string(m_faults.refuseNext) + "\n";
    } else {
        out += "off\n";
    }
    out += "fault-reply ";
    if (!m_faults.reply) {
        out += "off";
    } else {
        out += m_faults.reply->digits ? std::string("digits800") : QuoteText(m_faults.reply->text);
        if (m_faults.replyOnce) out += " once";
    }
    out += "\nfault-keep";
    if (m_faults.keep.empty()) out += " off";
    for (const auto& entry : m_faults.keep) out += " " + entry.first + "=" + std::to_string(entry.second);
    out += "\n";
    return out;
}

}  // namespace simnb
