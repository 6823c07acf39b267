// Bit 0 of the firmware variable AP:6 records whether the overclock is applied. Every
// vendor operation keeps it the same way: an apply reads AP:6 before its driver calls, a
// revert after them, and each writes the new value whatever the driver said. The other
// bits belong to the firmware and are written back as they were read.
#pragma once
#include <cstdint>

// AP:6 after an apply whose driver calls did or did not all succeed.
int32_t ApFlagsAfterApply(int32_t value, bool driverCallsSucceeded);
// AP:6 after a revert: only bit 0 is cleared.
int32_t ApFlagsAfterRevert(int32_t value, bool driverCallsSucceeded);

// AP:6 as an apply found it before its driver calls.
class ApFlagsBeforeApply {
public:
    ApFlagsBeforeApply();  // reads AP:6
    // Writes the recorded value with bit 0 set when the calls succeeded. Nothing is
    // written when the read had failed: a guessed value would overwrite the firmware's
    // bits. The result is the write's read-back check.
    bool Record(bool driverCallsSucceeded) const;

private:
    bool m_bRead;
    int32_t m_value;
};

// After a revert's driver calls: reads AP:6 and writes it with bit 0 cleared when the
// calls succeeded; nothing when the read fails.
bool RecordReverted(bool driverCallsSucceeded);
