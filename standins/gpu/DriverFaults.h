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
//
// A driver whose own thread crashes while a call goes on: a "crash-thread" fault makes one
// NVIDIA stand-in call start a thread in the caller's process that faults at once, and
// return normally a moment later. The service answers that call with kCrashThreadStatus;
// the stand-in starts the thread, waits, and asks again, and the service, whose fault is
// used up, answers the call as usual. Used to prove that a fault elsewhere does not cut
// the crash guard's withdrawal short.
//
// A driver library that puts an unhandled-exception filter of its own in place when it
// loads, as some do to report their own crashes: the service's answer to the stand-in's
// load announcement says whether to. The filter does nothing, so a program whose filter it
// replaced ends without it.
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

// Never a status of the simulated driver ("THRD").
constexpr int32_t kCrashThreadStatus = 0x54485244;
// What the driver's thread raises: an exception of its own rather than a hardware fault, so
// that its code tells it apart from any fault of the program's, in every flavour.
constexpr DWORD kDriverThreadFaultCode = 0xE0475055u;
// How long the call goes on after it started the thread.
constexpr DWORD kCrashThreadReturnMs = 300;

inline DWORD WINAPI FaultingDriverThread(LPVOID) {
    RaiseException(kDriverThreadFaultCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}

// True when answer asked for a faulting thread; returns once the call may go on.
inline bool StartFaultingThreadIfScripted(const std::optional<std::vector<int64_t>>& answer) {
    if (!answer || answer->front() != kCrashThreadStatus) return false;
    HANDLE thread = CreateThread(nullptr, 0, &FaultingDriverThread, nullptr, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
    Sleep(kCrashThreadReturnMs);
    return true;
}

inline LONG WINAPI DoNothingFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

// The load announcement's answer is 0, followed by 1 when the library is to install its filter.
inline void InstallOwnFilterIfScripted(const std::optional<std::vector<int64_t>>& loadAnswer) {
    if (loadAnswer && loadAnswer->size() >= 2 && (*loadAnswer)[1] == 1) SetUnhandledExceptionFilter(&DoNothingFilter);
}

}  // namespace simnb
