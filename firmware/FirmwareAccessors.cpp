#include "FirmwareAccessors.h"
#include "FirmwareChannel.h"
#include "FirmwareRequest.h"
#include <cstring>

using namespace firmware;

namespace {

enum class ReplyReading { AsAtoi, Exact };

// One query: a fresh request and a zeroed reply buffer, so a short or unterminated reply
// can never be read together with stale bytes.
bool QueryVariable(const char* requestText, int32_t* pValue, ReplyReading reading = ReplyReading::AsAtoi) {
    char request[kRequestSize];
    char reply[kReplySize];
    LayRequest(requestText, request);
    std::memset(reply, 0, sizeof reply);
    if (CallFirmware(request, kRequestSize, reply, kReplySize) == 0)
        return false;
    if (reading == ReplyReading::Exact)
        return ParseExactReplyValue(reply, sizeof reply, pValue);
    *pValue = ParseReplyValue(reply, sizeof reply);
    return true;
}

bool QueryBit(const char* requestText, int32_t mask) {
    int32_t value = 0;
    return QueryVariable(requestText, &value) && (value & mask) != 0;
}

}  // namespace

bool QueryOverclockOption() { return QueryBit(kQuerySystem0, 0x2); }

bool QueryOverclockBlockA() { return QueryBit(kQuerySystem0, 0x4); }

bool QueryOverclockBlockB() { return QueryBit(kQuerySystem1, 0x1); }

// AP:6 is written back after it is read, so only an exact value counts as read.
bool TryReadApFlags(int32_t* pValue) { return QueryVariable(kQueryAp6, pValue, ReplyReading::Exact); }

int32_t ReadApFlags() {
    int32_t value = 0;
    return QueryVariable(kQueryAp6, &value) ? value : -1;
}

bool WriteApFlags(int32_t value) {
    char request[kRequestSize];
    char reply[kReplySize];
    LayWriteAp6Request(value, request);
    std::memset(reply, 0, sizeof reply);
    if (CallFirmware(request, kRequestSize, reply, kReplySize) == 0)
        return false;
    int32_t readBack = 0;
    return TryReadApFlags(&readBack) && readBack == value;
}
