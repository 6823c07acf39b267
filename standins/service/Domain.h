// One part of the simulated notebook (the firmware now; the GPU stand-ins later): its state,
// its own pipes, its control commands. The service host owns the journal and the control
// pipe and hands both to every domain.
#pragma once
#include <string>

#include "CommandRegistry.h"

namespace simnb {

class Journal;

class Domain {
public:
    virtual ~Domain() = default;

    virtual void RegisterCommands(CommandRegistry& registry) = 0;
    // Opens the domain's pipes; false when it cannot serve.
    virtual bool Start() = 0;
    // Closes the pipes and waits until every connection of the domain is gone.
    virtual void Stop() = 0;
    // Back to the state of a freshly started service: defaults, no faults.
    virtual void Reset() = 0;
    // Lines of "name value" for the status command.
    virtual std::string Status() const = 0;
};

}  // namespace simnb
