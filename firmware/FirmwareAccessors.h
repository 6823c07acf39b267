// The firmware variables the program reads and writes, each behind one accessor.
#pragma once
#include <cstdint>

// The firmware's VGA overclock option is on (System:0 bit 1). False when unreachable.
bool QueryOverclockOption();
// System:0 bit 2: the firmware blocks the overclock. False when clear or unreachable.
bool QueryOverclockBlockA();
// System:1 bit 0: the firmware blocks the overclock. False when clear or unreachable.
bool QueryOverclockBlockB();

// AP:6, or -1 when the request failed.
int32_t ReadApFlags();
// AP:6 into *pValue; false when the request failed or the reply is not exactly a 32-bit
// decimal value (see ParseExactReplyValue). Unlike ReadApFlags it tells a failed read from
// a variable that holds -1, and it never turns an unreadable reply into a value.
bool TryReadApFlags(int32_t* pValue);
// Writes AP:6 and reads it back: true only when the write was carried out and the
// variable now holds exactly value.
bool WriteApFlags(int32_t value);
