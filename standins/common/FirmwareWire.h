// Messages between the bridge library and the firmware service on the firmware pipe.
// Fixed-size little-endian fields, so a 32-bit bridge and a 64-bit service agree.
#pragma once
#include <cstdint>

namespace simnb {

constexpr uint32_t kWireCall = 0x4C4C4143;       // "CALL": one ORV_CallNamePipe request
constexpr uint32_t kWireSubscribe = 0x53425553;  // "SUBS": this connection now receives events
constexpr uint32_t kWireEvent = 0x544E5645;      // "EVNT": one firmware event

// The largest request buffer the bridge forwards, and the largest reply the service sends.
constexpr int kMaxRequestBytes = 4096;
constexpr int kMaxReplyBytes = 4096;

#pragma pack(push, 1)
// Followed by exactly requestSize bytes: the caller's whole request buffer.
struct WireCallHeader {
    uint32_t kind;
    int32_t requestSize;
    int32_t replySize;
};
// Followed by exactly replyLength bytes, which the bridge copies (bounded by replySize).
struct WireCallReply {
    int32_t result;
    uint32_t replyLength;
};
// Followed by three zero-terminated UTF-8 texts: query, namespace, language.
struct WireSubscribeHeader {
    uint32_t kind;
};
struct WireSubscribeAck {
    int32_t result;
};
struct WireEvent {
    uint32_t kind;
    uint32_t reserved;
    uint64_t wParam;
};
#pragma pack(pop)

}  // namespace simnb
