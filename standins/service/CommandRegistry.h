// The control commands, by name. A domain registers its own ("set", "fault refuse", later
// "nv ..."); a command of two words wins over one of its first word alone.
#pragma once
#include <functional>
#include <map>
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

class CommandRegistry {
public:
    // The handler gets the arguments that follow the command's own words.
    using Handler = std::function<CommandReply(const Args& args)>;

    void Add(const std::string& name, std::string usage, Handler handler);
    CommandReply Dispatch(const Args& words) const;
    std::string Usage() const;

private:
    struct Command {
        std::string usage;
        Handler handler;
    };
    std::map<std::string, Command> m_commands;
};

}  // namespace simnb
