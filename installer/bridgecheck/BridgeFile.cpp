#include "BridgeFile.h"

#include <windows.h>

#include <vector>

#include "AfxHandle.h"

namespace bridgecheck {

namespace {

// The maker's bridge is some hundred kilobytes; this is far above any library of its kind.
constexpr LONGLONG kLargestBridge = 64 * 1024 * 1024;

BridgeJudgement Verdict(BridgeVerdict verdict) {
    BridgeJudgement judgement;
    judgement.verdict = verdict;
    return judgement;
}

}  // namespace

BridgeJudgement JudgeBridgeFile(const std::wstring& path, const BridgeRequirements& required) {
    // Shared for everything: the bridge may be loaded by a running program, or being replaced.
    HANDLE opened = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return Verdict(absent ? BridgeVerdict::NotFound : BridgeVerdict::Unreadable);
    }
    CUniqueHandle<HANDLE, &::CloseHandle> file(opened);

    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) return Verdict(BridgeVerdict::Unreadable);
    if (size.QuadPart > kLargestBridge) return Verdict(BridgeVerdict::NotALibrary);
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return Verdict(BridgeVerdict::Unreadable);
    return JudgeBridgeImage(bytes.data(), bytes.size(), required);
}

}  // namespace bridgecheck
