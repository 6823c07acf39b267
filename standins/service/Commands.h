// notebookctl's commands as the service runs them: a table of names (CommandTable.cpp); a
// command of two words wins over one of its first word alone.
#pragma once
#include <string>
#include <vector>

namespace simnb {

using Args = std::vector<std::string>;

struct CommandReply {
    bool ok;
    std::string text;  // the output when ok, a one-line reason otherwise
};

inline CommandReply Ok(std::string text = std::string()) { return {true, std::move(text)}; }
inline CommandReply Fail(std::string reason) { return {false, std::move(reason)}; }

class Notebook;

// Runs the command the words name; its handler gets the words after the command's own.
CommandReply RunCommand(Notebook& notebook, const Args& words);

}  // namespace simnb
