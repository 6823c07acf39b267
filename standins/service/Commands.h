// notebookctl's commands as the service runs them: a table of names (CommandTable.cpp); a
// command of two words wins over one of its first word alone.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "../common/PipeChannel.h"

namespace simnb {

using Args = std::vector<std::string>;

struct CommandReply {
    bool ok;
    std::string text;  // the output when ok, a one-line reason otherwise
};

inline CommandReply Ok(std::string text = std::string()) { return {true, std::move(text)}; }
inline CommandReply Fail(std::string reason) { return {false, std::move(reason)}; }

// A command's words as its journal entry shows them.
inline std::string Joined(std::string head, const Args& args) {
    for (const std::string& arg : args) head += " " + arg;
    return head;
}

struct Notebook;

// One connection to the control pipe: commands in, answers out, until it closes.
void ServeControl(Notebook& notebook, const PipeChannel& channel, HANDLE cancel);

}  // namespace simnb
