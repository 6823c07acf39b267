#include "ServiceHost.h"

#include "../common/ControlWire.h"
#include "../common/PipeNames.h"
#include "JournalCommands.h"

namespace simnb {
namespace {

constexpr DWORD kControlWriteTimeoutMs = 10000;

std::string EncodeAnswer(const CommandReply& reply) {
    if (reply.ok) return "OK\n" + reply.text;
    std::string reason = reply.text;
    for (char& c : reason) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return "ERR " + reason;
}

}  // namespace

ServiceHost::ServiceHost()
    : m_quit(MakeManualEvent()),
      m_control(kControlPipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeControl(channel, cancel); }) {
    RegisterOwnCommands();
}

ServiceHost::~ServiceHost() { Stop(); }

void ServiceHost::AddDomain(std::unique_ptr<Domain> domain) {
    domain->RegisterCommands(m_registry);
    m_domains.push_back(std::move(domain));
}

void ServiceHost::RegisterOwnCommands() {
    RegisterJournalCommands(m_registry, m_journal);
    m_registry.Add("status", "status", [this](const Args&) { return Ok(Status()); });
    m_registry.Add("reset", "reset                     defaults, no faults, empty journal", [this](const Args&) {
        for (auto& domain : m_domains) domain->Reset();
        m_journal.Clear();
        m_journal.Add("ctl", "reset");
        return Ok();
    });
    m_registry.Add("quit", "quit", [this](const Args&) {
        m_journal.Add("ctl", "quit");
        SetEvent(m_quit.Get());
        return Ok();
    });
    m_registry.Add("help", "help", [this](const Args&) { return Ok(m_registry.Usage()); });
}

std::string ServiceHost::Status() const {
    std::string out = "service running\npid " + std::to_string(GetCurrentProcessId()) + "\n";
    out += "journal-entries " + std::to_string(m_journal.Size()) + "\n";
    out += "journal-last-seq " + std::to_string(m_journal.LastSeq()) + "\n";
    for (const auto& domain : m_domains) out += domain->Status();
    return out;
}

bool ServiceHost::Start(std::string* error) {
    if (!m_quit.Valid()) {
        *error = "cannot create an event";
        return false;
    }
    for (auto& domain : m_domains) {
        if (!domain->Start()) {
            *error = "a domain could not open its pipe";
            return false;
        }
    }
    if (!m_control.Start()) {
        *error = "cannot create the control pipe";
        return false;
    }
    m_journal.Add("ctl", "started pid=" + std::to_string(GetCurrentProcessId()));
    return true;
}

void ServiceHost::RunUntilQuit(HANDLE watchedProcess) {
    HANDLE waits[2] = {m_quit.Get(), watchedProcess};
    WaitForMultipleObjects(watchedProcess != nullptr ? 2 : 1, waits, FALSE, INFINITE);
}

void ServiceHost::Stop() {
    m_control.Stop();
    for (auto& domain : m_domains) domain->Stop();
}

void ServiceHost::ServeControl(const PipeChannel& channel, HANDLE cancel) {
    std::string request;
    for (;;) {
        PipeIo got = channel.Read(request, kMaxControlRequestBytes, INFINITE, cancel);
        if (got == PipeIo::TooLarge) {
            if (channel.Write(EncodeAnswer(Fail("request too large")), kControlWriteTimeoutMs, cancel) != PipeIo::Ok) return;
            continue;
        }
        if (got != PipeIo::Ok) return;
        CommandReply reply = m_registry.Dispatch(DecodeControlRequest(request));
        if (channel.Write(EncodeAnswer(reply), kControlWriteTimeoutMs, cancel) != PipeIo::Ok) return;
    }
}

}  // namespace simnb
