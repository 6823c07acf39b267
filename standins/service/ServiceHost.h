// The simulated notebook as one process: the journal, the control pipe, the command
// registry and the domains that make up the notebook.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "../common/UniqueHandle.h"
#include "CommandRegistry.h"
#include "Domain.h"
#include "Journal.h"
#include "PipeServer.h"

namespace simnb {

class ServiceHost {
public:
    ServiceHost();
    ~ServiceHost();

    Journal& GetJournal() { return m_journal; }
    void AddDomain(std::unique_ptr<Domain> domain);

    bool Start(std::string* error);
    // Returns when "quit" was received or, when given, the watched process has ended.
    void RunUntilQuit(HANDLE watchedProcess);
    void Stop();

private:
    void RegisterOwnCommands();
    void ServeControl(const PipeChannel& channel, HANDLE cancel);
    std::string Status() const;

    Journal m_journal;
    CommandRegistry m_registry;
    std::vector<std::unique_ptr<Domain>> m_domains;
    UniqueHandle m_quit;
    PipeServer m_control;
};

}  // namespace simnb
