#include "CommandRegistry.h"

namespace simnb {

void CommandRegistry::Add(const std::string& name, std::string usage, Handler handler) {
    m_commands[name] = Command{std::move(usage), std::move(handler)};
}

CommandReply CommandRegistry::Dispatch(const Args& words) const {
    if (words.empty()) return Fail("empty command");
    if (words.size() >= 2) {
        auto two = m_commands.find(words[0] + " " + words[1]);
        if (two != m_commands.end()) return two->second.handler(Args(words.begin() + 2, words.end()));
    }
    auto one = m_commands.find(words[0]);
    if (one != m_commands.end()) return one->second.handler(Args(words.begin() + 1, words.end()));
    return Fail("unknown command: " + words[0] + (words.size() >= 2 ? " " + words[1] : std::string()));
}

std::string CommandRegistry::Usage() const {
    std::string out;
    for (const auto& entry : m_commands) out += entry.second.usage + "\n";
    return out;
}

}  // namespace simnb
