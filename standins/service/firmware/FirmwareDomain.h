// The notebook's firmware as the bridge library sees it: variables, faults, events, and the
// firmware pipe on which the bridge's requests and subscriptions arrive.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "../../common/SimSync.h"
#include "../Commands.h"
#include "../Journal.h"
#include "../PipeServer.h"

namespace simnb {

// The faults the firmware can be told to show, each until switched off (or used up).
struct FirmwareFaults {
    struct Reply {
        bool digits = false;  // fill the whole reply buffer with '7', no terminator
        std::string text;     // otherwise: this text and its terminator
    };

    bool refuseAll = false;
    uint64_t refuseNext = 0;  // refuse only the next this many requests
    std::optional<Reply> reply;
    bool replyOnce = false;
    // A write to the key is accepted, but the variable takes this value instead.
    std::map<std::string, int64_t> keep;
};

class FirmwareDomain {
public:
    struct CallOutcome {
        int32_t result;
        std::string reply;  // the exact bytes sent back
        std::string why;    // why it was refused, or what a fault changed
    };

    explicit FirmwareDomain(Journal& journal);

    // Opens the firmware pipe; false when it cannot serve. The pipe closes, every connection
    // gone, when the domain ends.
    bool Start();
    // Back to the state of a freshly started service: defaults, no faults, present.
    void Reset();
    // Lines of "name value" for the status command.
    std::string Status() const;
    // "KEY VALUE" lines, sorted by key.
    std::string Variables() const;

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
    // What the firmware does with a terminated request text.
    CallOutcome Answer(const std::string& text, int32_t replySize);
    void ServeSubscription(const PipeChannel& channel, HANDLE cancel, const std::string& message);

    void SetAbsent(bool absent);
    size_t SubscriberCount() const;

    // System:0 = 2: the VGA overclock option on, neither blocking bit set.
    static std::map<std::string, int64_t> DefaultVariables() { return {{"System:0", 2}, {"System:1", 0}, {"AP:6", 0}}; }

    Journal& m_journal;
    mutable Lock m_lock;  // m_variables, m_faults
    // Variables by key "Group:Index" ("System:0", "AP:6"), in 64 bits so that a script can
    // give one a value the program's 32-bit reads cannot hold.
    std::map<std::string, int64_t> m_variables = DefaultVariables();
    FirmwareFaults m_faults;
    // The bridge connections that currently receive firmware events, and their cancel events.
    mutable Lock m_subscribersLock;
    std::map<const PipeChannel*, HANDLE> m_subscribers;
    Lock m_pipeLock;  // one start or stop of the pipe at a time
    PipeServer m_pipe;
    std::atomic<bool> m_absent{false};
};

}  // namespace simnb
