// Calls each declaration of the bridge from a function of its own, named for it, so that the
// compiled code of each function names exactly one import: the name this compiler gives that
// one declaration. Both compilers compile this file, and the functions' names (extern "C",
// the same for both) tell which of their names belong to the same declaration.
#include "ORVWmiAcpi.h"

extern "C" {

CORVWmiAcpi* CallsConstructor() {
    return new CORVWmiAcpi;
}

void CallsDestructor(CORVWmiAcpi* bridge) {
    bridge->~CORVWmiAcpi();
}

void CallsAddHWND(CORVWmiAcpi* bridge) {
    bridge->AddHWND(nullptr);
}

bool CallsORVWMIEvent(CORVWmiAcpi* bridge) {
    char buffer[260] = {};
    return bridge->ORVWMIEvent(L"Select * from ORV_Event", buffer, L"root\\wmi", L"WQL");
}

int CallsORV_CallNamePipe() {
    char request[80] = {};
    char reply[800];
    return ORV_CallNamePipe(request, sizeof request, reply, sizeof reply);
}

}  // extern "C"
