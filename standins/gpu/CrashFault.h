// A driver that crashes instead of answering: the scripted status "crash" makes an NVIDIA
// stand-in entry point raise an access violation in the caller's process, the way a
// broken driver library would. Used to prove that the program's crash guard withdraws the
// overclock and does not loop when the withdrawal crashes too.
#pragma once
#include <cstdint>
#include <string>

namespace simnb {

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
