// A driver that does not answer: a "hold" fault keeps one NVIDIA stand-in call waiting
// inside the caller's process, the way a hung driver would, until the test releases it
// (`nv fault release`) or for good. The service answers the held call with kHoldStatus,
// its own process id and the hold's number; the stand-in waits on the hold's named event
// and then asks again, and the service, whose hold is used up, answers the call as usual.
//
// A driver that crashes instead of answering: the scripted status "crash" makes an NVIDIA
// stand-in entry point raise an access violation in the caller's process, the way a
// broken driver library would. Used to prove that the program's crash guard withdraws the
// overclock and does not loop when the withdrawal crashes too.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simnb {

// Never a status of the simulated driver ("HOLD").
constexpr int32_t kHoldStatus = 0x484F4C44;

// The event a held call waits on, signalled when the hold is released.
inline std::wstring HoldEventName(int64_t servicePid, int64_t hold) {
    return L"Local\\ORV_SimGpuHold." + std::to_wstring(servicePid) + L"." + std::to_wstring(hold);
}

// True when answer held the call; returns once the hold is released. An event that no
// longer exists was released (and closed) before the stand-in got to it.
inline bool WaitWhileHeld(const std::optional<std::vector<int64_t>>& answer) {
    if (!answer || answer->size() < 3 || answer->front() != kHoldStatus) return false;
    HANDLE released = OpenEventW(SYNCHRONIZE, FALSE, HoldEventName((*answer)[1], (*answer)[2]).c_str());
    if (released != nullptr) {
        WaitForSingleObject(released, INFINITE);
        CloseHandle(released);
    }
    return true;
}

// The status the service hands out for a "crash" fault (the access-violation code, so
// that a journal reader recognises it).
constexpr int32_t kCrashStatus = static_cast<int32_t>(0xC0000005u);

inline bool ParseCrashWord(const std::string& word, int32_t* status) {
    if (word != "crash") return false;
    *status = kCrashStatus;
    return true;
}

// Writes to an address no process maps: a real access violation, not a raised exception,
// so that it takes the path a driver's own fault would take.
// (Read from a volatile, so the compiler can neither see nor reject the address.)
inline volatile uintptr_t g_unmappedAddress = 0x10;

inline int32_t CrashIfScripted(int32_t status) {
    if (status == kCrashStatus) *reinterpret_cast<volatile int32_t*>(g_unmappedAddress) = 1;
    return status;
}

}  // namespace simnb
