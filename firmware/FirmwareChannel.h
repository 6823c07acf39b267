// The one door to the firmware: the bridge library's ORV_CallNamePipe. Unit tests put a
// recording channel in its place to check the exact bytes the program sends.
#pragma once

namespace firmware {

typedef int(__cdecl* PFN_CALL_NAME_PIPE)(char* request, int requestSize, char* reply, int replySize);

// Sends one request through the current channel (the bridge library unless replaced).
int CallFirmware(char* request, int requestSize, char* reply, int replySize);

// Replaces the channel; null restores the bridge library. Returns the previous channel.
PFN_CALL_NAME_PIPE SetFirmwareChannel(PFN_CALL_NAME_PIPE pfn);

}  // namespace firmware
