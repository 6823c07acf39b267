// How a GPU stand-in asks the simulated notebook about one call: a request line out, the
// answer's numbers back. Without a running service there is no answer, and the stand-in
// then behaves as a library that offers nothing.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simnb {

std::optional<std::vector<int64_t>> AskGpuService(const std::string& request);

// The answer's first number (the call's status), or fallback when there was no answer.
int32_t StatusOf(const std::optional<std::vector<int64_t>>& answer, int32_t fallback);

// Tells the service that a process loaded this stand-in, and from where.
void AnnounceLoad(const char* source, HMODULE module);

std::string Word(int64_t value);
std::string PointerWord(const void* pointer);

}  // namespace simnb
