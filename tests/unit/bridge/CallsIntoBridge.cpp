// Calls every operation of the bridge once, so that the compiled code names each import.
#include "ORVWmiAcpi.h"

int CallsIntoBridge() {
    CORVWmiAcpi bridge;
    char buffer[260] = {};
    bridge.AddHWND(nullptr);
    bridge.ORVWMIEvent(L"Select * from ORV_Event", buffer, L"root\\wmi", L"WQL");
    char request[80] = {};
    char reply[800];
    return ORV_CallNamePipe(request, sizeof request, reply, sizeof reply);
}
