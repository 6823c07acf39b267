// Whether a process ended as an access violation ends it. On Windows, and under Wine with
// 32-bit programs run natively, that is STATUS_ACCESS_VIOLATION in both flavours. Where the
// harness runs 32-bit Wine under qemu-user (it says so with TARVEL_I686_RUNNER=qemu in the
// environment, which Wine hands to every program), the emulator passes Wine a hardware fault
// without its trap number and Wine reports an illegal instruction instead; the crash guard
// still runs and keeps that code. Only there, and only in the 32-bit flavour, does that code
// count too.
#pragma once
#include <windows.h>
#include <cstdlib>
#include <cstring>

inline bool IsAccessViolationExit(DWORD status) {
    if (status == STATUS_ACCESS_VIOLATION) return true;
#if defined(_WIN64)
    return false;
#else
    const char* runner = std::getenv("TARVEL_I686_RUNNER");
    return status == STATUS_ILLEGAL_INSTRUCTION && runner && std::strcmp(runner, "qemu") == 0;
#endif
}
