#include "GpuDomain.h"

#include "../../gpu/GpuWire.h"
#include "../QuotedText.h"

namespace simnb {
namespace {

constexpr DWORD kWriteTimeoutMs = 3000;

}  // namespace

GpuDomain::GpuDomain(Journal& journal)
    : m_journal(journal),
      m_pipe(kGpuPipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeConnection(channel, cancel); }) {}

bool GpuDomain::Start() { return m_pipe.Start(); }

void GpuDomain::Stop() { m_pipe.Stop(); }

void GpuDomain::Reset() {
    LockGuard guard(m_lock);
    m_nv.Reset();
    m_adl.Reset();
    m_nvFaults.Reset();
    m_adlFaults.Reset();
}

std::string GpuDomain::Status() const {
    LockGuard guard(m_lock);
    std::string out = std::string("nv-clocks ") + (m_nv.PhysicalGpus() > 0 ? NvClocksName(m_nv.Clocks(0)) : "none") + "\n";
    out += "adl-clocks " + m_adl.ClockState() + "\n";
    return out;
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
    GpuRequest request(line);
    LockGuard guard(m_lock);
    if (request.Word(0) == "nv") return ServeNv(request);
    if (request.Word(0) == "adl") return ServeAdl(request);
    m_journal.Add("gpu", "protocol-error why=unknown-request text=" + QuoteText(line));
    return std::to_string(kNvError);
}

std::string GpuDomain::LoadEntry(const std::string& source, const GpuRequest& request) {
    m_journal.Add(source, "load pid=" + request.Word(2) + " path=" + QuoteText(request.Rest(3)));
    return "0";
}

}  // namespace simnb
