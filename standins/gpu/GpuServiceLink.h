// How a GPU stand-in asks the simulated notebook about one call: a request line out, the
// answer's numbers back. Without a running service there is no answer, and the stand-in
// then behaves as a library that offers nothing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <locale>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../common/PipeChannel.h"
#include "../common/TextCodec.h"
#include "GpuWire.h"

namespace simnb {

using GpuAnswer = std::optional<std::vector<int64_t>>;

inline GpuAnswer AskGpuService(const std::string& request) {
    constexpr DWORD kBusyWaitMs = 1000;
    constexpr DWORD kTransferTimeoutMs = 3000;
    PipeChannel channel(ConnectToPipe(kGpuPipeName, kBusyWaitMs));
    std::string answer;
    if (channel.Write(request, kTransferTimeoutMs) != PipeIo::Ok ||
        channel.Read(answer, kMaxGpuMessageBytes, kTransferTimeoutMs) != PipeIo::Ok) {
        return std::nullopt;
    }
    std::vector<int64_t> numbers;
    const char* p = answer.c_str();
    for (char* end = nullptr;; p = end) {
        long long value = std::strtoll(p, &end, 10);
        if (end == p) break;
        numbers.push_back(value);
    }
    if (numbers.empty()) return std::nullopt;
    return numbers;
}

// The answer's first number (the call's status), or fallback when there was no answer.
inline int32_t StatusOf(const GpuAnswer& answer, int32_t fallback) {
    return answer ? static_cast<int32_t>(answer->front()) : fallback;
}

// The words, one blank between each two; numbers in decimal, a flag as 1 or 0.
template <typename... Words>
std::string Request(const Words&... words) {
    std::ostringstream line;
    line.imbue(std::locale::classic());  // the host program's locale must not group digits
    ((line << words << ' '), ...);
    std::string text = line.str();
    text.pop_back();
    return text;
}

// Tells the service that a process loaded this stand-in, and from where; the answer may
// script what the library does as it loads (gpu/DriverFaults.h).
inline GpuAnswer AnnounceLoad(const char* source, HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) path[0] = L'\0';
    return AskGpuService(Request(source, "load", GetCurrentProcessId(), Utf8FromWide(path)));
}

}  // namespace simnb
