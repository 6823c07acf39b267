// The notebook's firmware as the bridge library sees it: variables, faults, events, and the
// firmware pipe on which the bridge's requests and subscriptions arrive.
#pragma once
#include <atomic>
#include <string>

#include "../../common/SimSync.h"
#include "../Commands.h"
#include "../Journal.h"
#include "../PipeServer.h"
#include "EventHub.h"
#include "FirmwareFaults.h"
#include "FirmwareVariables.h"

namespace simnb {

class FirmwareDomain {
public:
    explicit FirmwareDomain(Journal& journal);

    // Opens the firmware pipe (unless the firmware is absent); false when it cannot serve.
    bool Start();
    // Closes the pipe and waits until every connection is gone.
    void Stop();
    // Back to the state of a freshly started service: defaults, no faults, present.
    void Reset();
    // Lines of "name value" for the status command.
    std::string Status() const;
    std::string Variables() const { return m_variables.List(); }

    // FirmwareCommands.cpp: what notebookctl can do to the firmware.
    CommandReply SetCommand(const Args& args);
    CommandReply GetCommand(const Args& args) const;
    CommandReply EventCommand(const Args& args);
    CommandReply RefuseCommand(const Args& args);
    CommandReply ReplyCommand(const Args& args);
    CommandReply KeepCommand(const Args& args);
    CommandReply AbsentCommand(const Args& args);

private:
    // FirmwareConnection.cpp: what arrives on the firmware pipe.
    void ServeConnection(const PipeChannel& channel, HANDLE cancel);
    void ServeCall(const PipeChannel& channel, HANDLE cancel, const std::string& message);
    void ServeSubscription(const PipeChannel& channel, HANDLE cancel, const std::string& message);

    void SetAbsent(bool absent);

    Journal& m_journal;
    FirmwareVariables m_variables;
    FirmwareFaults m_faults;
    EventHub m_hub;
    Lock m_pipeLock;  // one start or stop of the pipe at a time
    PipeServer m_pipe;
    std::atomic<bool> m_absent{false};
    std::atomic<bool> m_started{false};
};

}  // namespace simnb
