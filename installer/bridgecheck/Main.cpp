// BridgeCheck.exe, which the installer carries and runs before it writes anything:
//
//   BridgeCheck RESULT-FILE check FILE
//   BridgeCheck RESULT-FILE find PROGRAM-FOLDER
//
// judges FILE, or the first ORVWmiAcpi.dll that Windows' loader finds for a program in
// PROGRAM-FOLDER, as the bridge this flavour of Tarvel needs. It writes one line of UTF-16LE
// text to RESULT-FILE: the full path of the bridge when it can be used, otherwise why not.
// Exit status: 0 usable, 1 not usable, 2 wrong arguments or no result written.
//
// A program of its own rather than code in the installer script: the rules are C++ that
// the unit tests check, and a file that defeats them can end this process, not the
// installer. A GUI program, so that running it flashes no console window.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "AfxHandle.h"
#include "BridgeFile.h"
#include "BridgeReport.h"
#include "BridgeSearch.h"

using namespace bridgecheck;

namespace {

struct Outcome {
    bool usable;
    std::wstring line;
};

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? path : std::wstring(full, length);
}

Outcome Judge(const std::wstring& path, const std::wstring& subject) {
    const BridgeRequirements required = ThisFlavoursBridge();
    const BridgeJudgement judgement = JudgeBridgeFile(path, required);
    if (judgement.verdict == BridgeVerdict::Usable) return {true, path};
    return {false, DescribeProblem(subject, judgement, required)};
}

Outcome Check(const std::wstring& file) {
    const std::wstring path = FullPath(file);
    return Judge(path, path);
}

Outcome Find(const std::wstring& programFolder) {
    const std::wstring path = FindFirst(SearchOrder(PlacesOnThisComputer(FullPath(programFolder))), kBridgeFileName);
    if (path.empty()) return {false, NothingFound()};
    return Judge(path, FirstFound(path));
}

bool WriteLine(const std::wstring& resultFile, const std::wstring& line) {
    HANDLE created = ::CreateFileW(resultFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return false;
    CUniqueHandle<HANDLE, &::CloseHandle> file(created);
    const DWORD size = static_cast<DWORD>(line.size() * sizeof(wchar_t));
    DWORD written = 0;
    return ::WriteFile(file.Get(), line.data(), size, &written, nullptr) && written == size;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (__argc != 4) return 2;
    const std::wstring mode = __wargv[2];
    Outcome outcome;
    if (mode == L"check")
        outcome = Check(__wargv[3]);
    else if (mode == L"find")
        outcome = Find(__wargv[3]);
    else
        return 2;
    if (!WriteLine(__wargv[1], outcome.line)) return 2;
    return outcome.usable ? 0 : 1;
}
