#include "GpuServiceLink.h"

#include <cstdlib>

#include "../common/PipeChannel.h"
#include "../common/TextCodec.h"
#include "GpuWire.h"

namespace simnb {
namespace {

constexpr DWORD kBusyWaitMs = 1000;
constexpr DWORD kTransferTimeoutMs = 3000;

std::vector<int64_t> Numbers(const std::string& text) {
    std::vector<int64_t> numbers;
    const char* p = text.c_str();
    for (;;) {
        char* end = nullptr;
        long long value = std::strtoll(p, &end, 10);
        if (end == p) break;
        numbers.push_back(value);
        p = end;
    }
    return numbers;
}

}  // namespace

std::optional<std::vector<int64_t>> AskGpuService(const std::string& request) {
    PipeChannel channel(ConnectToPipe(kGpuPipeName, kBusyWaitMs));
    if (!channel.Valid()) return std::nullopt;
    if (channel.Write(request, kTransferTimeoutMs) != PipeIo::Ok) return std::nullopt;
    std::string answer;
    if (channel.Read(answer, kMaxGpuMessageBytes, kTransferTimeoutMs) != PipeIo::Ok) return std::nullopt;
    std::vector<int64_t> numbers = Numbers(answer);
    if (numbers.empty()) return std::nullopt;
    return numbers;
}

int32_t StatusOf(const std::optional<std::vector<int64_t>>& answer, int32_t fallback) {
    return answer ? static_cast<int32_t>(answer->front()) : fallback;
}

void AnnounceLoad(const char* source, HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) path[0] = L'\0';
    AskGpuService(std::string(source) + " load " + std::to_string(GetCurrentProcessId()) + " " + Utf8FromWide(path));
}

std::string Word(int64_t value) { return std::to_string(value); }

std::string PointerWord(const void* pointer) {
    return std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
}

}  // namespace simnb
