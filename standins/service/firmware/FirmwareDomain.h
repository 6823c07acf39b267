// The notebook's firmware as the bridge library sees it: variables, faults, events, and the
// firmware pipe on which the bridge's requests and subscriptions arrive.
#pragma once
#include <atomic>
#include <string>

#include "../../common/SimSync.h"
#include "../Domain.h"
#include "../Journal.h"
#include "../PipeServer.h"
#include "EventHub.h"
#include "FirmwareFaults.h"
#include "FirmwareVariables.h"

namespace simnb {

class FirmwareDomain : public Domain {
public:
    explicit FirmwareDomain(Journal& journal);

    void RegisterCommands(CommandRegistry& registry) override;
    bool Start() override;
    void Stop() override;
    void Reset() override;
    std::string Status() const override;

private:
    // FirmwareConnection.cpp: what arrives on the firmware pipe.
    void ServeConnection(const PipeChannel& channel, HANDLE cancel);
    void ServeCall(const PipeChannel& channel, HANDLE cancel, const std::string& message);
    void ServeSubscription(const PipeChannel& channel, HANDLE cancel, const std::string& message);

    // FirmwareCommands.cpp: what notebookctl can do to the firmware.
    CommandReply SetCommand(const Args& args);
    CommandReply GetCommand(const Args& args) const;
    CommandReply EventCommand(const Args& args);
    CommandReply RefuseCommand(const Args& args);
    CommandReply ReplyCommand(const Args& args);
    CommandReply KeepCommand(const Args& args);
    CommandReply AbsentCommand(const Args& args);
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
