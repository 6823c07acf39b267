#include "BridgeReport.h"

#include <windows.h>

#include <cwchar>

namespace bridgecheck {

namespace {

// "32-bit" or "64-bit" for the two machine types Tarvel is built for; empty for others.
std::wstring Width(uint16_t machine) {
    if (machine == IMAGE_FILE_MACHINE_I386) return L"32-bit";
    if (machine == IMAGE_FILE_MACHINE_AMD64) return L"64-bit";
    return L"";
}

std::wstring Flavour(uint16_t machine) { return machine == IMAGE_FILE_MACHINE_I386 ? L"i686" : L"x86_64"; }

std::wstring OtherMachine(const BridgeJudgement& judgement, const BridgeRequirements& required) {
    std::wstring builtFor = Width(judgement.machine);
    if (builtFor.empty()) {
        wchar_t machine[16];
        std::swprintf(machine, 16, L"0x%04X", judgement.machine);
        builtFor = L"another processor (machine type " + std::wstring(machine) + L")";
    } else {
        builtFor += L" Windows";
    }
    return L"is built for " + builtFor + L", and this Tarvel (" + Flavour(required.machine) + L") needs the maker's " +
           Width(required.machine) + L" library";
}

std::wstring MissingNames(const BridgeJudgement& judgement) {
    std::wstring text = L"does not export " + std::wstring(judgement.firstMissingName.begin(), judgement.firstMissingName.end());
    if (judgement.missingNames > 1)
        text += L" and " + std::to_wstring(judgement.missingNames - 1) + L" more of the names Tarvel needs";
    return text + L": it is not the notebook maker's firmware bridge";
}

}  // namespace

std::wstring DescribeProblem(const std::wstring& subject, const BridgeJudgement& judgement,
                             const BridgeRequirements& required) {
    switch (judgement.verdict) {
    case BridgeVerdict::Usable: return subject + L" can be used";
    case BridgeVerdict::NotFound: return subject + L" does not exist";
    case BridgeVerdict::Unreadable: return subject + L" cannot be read";
    case BridgeVerdict::NotALibrary: return subject + L" is not a Windows library, or it is damaged";
    case BridgeVerdict::NotADll: return subject + L" is a Windows program, not a library";
    case BridgeVerdict::OtherMachine: return subject + L" " + OtherMachine(judgement, required);
    case BridgeVerdict::MissingNames: return subject + L" " + MissingNames(judgement);
    }
    return subject + L" cannot be used";
}

std::wstring NothingFound() {
    return std::wstring(L"no ") + kBridgeFileName +
           L" was found beside Tarvel.exe, in the system folder, in the Windows folder or in a folder on PATH";
}

std::wstring FirstFound(const std::wstring& path) {
    return path + L", the first " + kBridgeFileName + L" Windows finds,";
}

}  // namespace bridgecheck
