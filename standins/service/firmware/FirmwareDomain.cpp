#include "FirmwareDomain.h"

#include "../../common/PipeNames.h"

namespace simnb {

FirmwareDomain::FirmwareDomain(Journal& journal)
    : m_journal(journal),
      m_pipe(kFirmwarePipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeConnection(channel, cancel); }) {}

bool FirmwareDomain::Start() {
    LockGuard guard(m_pipeLock);
    m_started.store(true);
    return m_absent.load() || m_pipe.Start();
}

void FirmwareDomain::Stop() {
    LockGuard guard(m_pipeLock);
    m_started.store(false);
    m_pipe.Stop();
}

void FirmwareDomain::Reset() {
    m_variables.Reset();
    m_faults.Reset();
    SetAbsent(false);
}

// Absent means absent: no pipe to connect to, and the bridge's event connections cut.
void FirmwareDomain::SetAbsent(bool absent) {
    LockGuard guard(m_pipeLock);
    m_absent.store(absent);
    if (absent) {
        m_pipe.Stop();
    } else if (m_started.load()) {
        m_pipe.Start();
    }
}

std::string FirmwareDomain::Status() const {
    std::string out = std::string("firmware ") + (m_absent.load() ? "absent" : "present") + "\n";
    out += "subscribers " + std::to_string(m_hub.Count()) + "\n";
    out += m_faults.Status();
    return out;
}

}  // namespace simnb
