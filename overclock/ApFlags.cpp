#include "ApFlags.h"
#include "FirmwareAccessors.h"

int32_t ApFlagsAfterApply(int32_t value, bool driverCallsSucceeded) {
    return driverCallsSucceeded ? (value | 1) : value;
}

int32_t ApFlagsAfterRevert(int32_t value, bool driverCallsSucceeded) {
    return driverCallsSucceeded ? (value & ~int32_t{1}) : value;
}

ApFlagsBeforeApply::ApFlagsBeforeApply() : m_value(0) { m_bRead = TryReadApFlags(&m_value); }

bool ApFlagsBeforeApply::Record(bool driverCallsSucceeded) const {
    if (!m_bRead)
        return false;
    return WriteApFlags(ApFlagsAfterApply(m_value, driverCallsSucceeded));
}

bool RecordReverted(bool driverCallsSucceeded) {
    int32_t value = 0;
    if (!TryReadApFlags(&value))
        return false;
    return WriteApFlags(ApFlagsAfterRevert(value, driverCallsSucceeded));
}
