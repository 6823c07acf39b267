// The firmware's numbered variables, by key "Group:Index" ("System:0", "AP:6"). Stored in 64
// bits so that a script can give a variable a value the program's 32-bit reads cannot hold.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "../../common/SimSync.h"

namespace simnb {

class FirmwareVariables {
public:
    FirmwareVariables() { Reset(); }

    // System:0 = 2: the VGA overclock option on, neither blocking bit set.
    void Reset();
    std::optional<int64_t> Get(const std::string& key) const;
    void Set(const std::string& key, int64_t value);
    // "KEY VALUE" lines, sorted by key.
    std::string List() const;

private:
    mutable Lock m_lock;
    std::map<std::string, int64_t> m_values;
};

// A group name of letters, digits and '_' not starting with a digit, ':', and an index in
// plain decimal ("6", not "06").
bool IsVariableKey(const std::string& key);

}  // namespace simnb
