// ORV_CallNamePipe: one firmware request, carried to the firmware service and back.
#include <cstring>
#include <string>

#include "../../firmware/ORVWmiAcpi.h"
#include "../common/FirmwareWire.h"
#include "../common/PipeChannel.h"
#include "../common/PipeNames.h"
#include "CensusLoader.h"

namespace {

constexpr DWORD kBusyWaitMs = 1000;
constexpr DWORD kTransferTimeoutMs = 3000;

bool ArgumentsAcceptable(const char* request, int requestSize, const char* reply, int replySize) {
    return request != nullptr && reply != nullptr && requestSize > 0 && replySize > 0 &&
           requestSize <= simnb::kMaxRequestBytes;
}

std::string BuildCallMessage(const char* request, int requestSize, int replySize) {
    simnb::WireCallHeader header = {simnb::kWireCall, requestSize, replySize};
    std::string message(reinterpret_cast<const char*>(&header), sizeof header);
    // The whole buffer travels, not just the text: what lies after the terminator is part of
    // what the firmware received.
    message.append(request, static_cast<size_t>(requestSize));
    return message;
}

// The reply is foreign input: it must be well formed, and it never overruns the caller's buffer.
int DeliverReply(const std::string& message, char* reply, int replySize) {
    simnb::WireCallReply header;
    if (message.size() < sizeof header) return 0;
    std::memcpy(&header, message.data(), sizeof header);
    if (header.replyLength != message.size() - sizeof header) return 0;
    if (header.result == 0) return 0;
    size_t copy = header.replyLength;
    if (copy > static_cast<size_t>(replySize)) copy = static_cast<size_t>(replySize);
    if (copy > 0) std::memcpy(reply, message.data() + sizeof header, copy);
    return header.result;
}

}  // namespace

extern "C" ORVWMIACPI_API int __cdecl ORV_CallNamePipe(char* request, int requestSize, char* reply, int replySize) {
    simnb::LoadObjectCensusWhenAsked();
    if (!ArgumentsAcceptable(request, requestSize, reply, replySize)) return 0;
    simnb::PipeChannel channel(simnb::ConnectToPipe(simnb::kFirmwarePipeName, kBusyWaitMs));
    if (!channel.Valid()) return 0;
    if (channel.Write(BuildCallMessage(request, requestSize, replySize), kTransferTimeoutMs) != simnb::PipeIo::Ok) {
        return 0;
    }
    std::string answer;
    const size_t maxAnswer = sizeof(simnb::WireCallReply) + simnb::kMaxReplyBytes;
    if (channel.Read(answer, maxAnswer, kTransferTimeoutMs) != simnb::PipeIo::Ok) return 0;
    return DeliverReply(answer, reply, replySize);
}
