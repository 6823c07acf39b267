#include "FirmwareChannel.h"
#include "ORVWmiAcpi.h"

namespace firmware {

namespace {
PFN_CALL_NAME_PIPE g_pfnChannel = &ORV_CallNamePipe;
}

int CallFirmware(char* request, int requestSize, char* reply, int replySize) {
    return g_pfnChannel(request, requestSize, reply, replySize);
}

PFN_CALL_NAME_PIPE SetFirmwareChannel(PFN_CALL_NAME_PIPE pfn) {
    PFN_CALL_NAME_PIPE previous = g_pfnChannel;
    g_pfnChannel = pfn ? pfn : &ORV_CallNamePipe;
    return previous;
}

}  // namespace firmware
