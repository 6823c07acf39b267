// Whether a file's bytes are a library that Windows' loader binds Tarvel to: a PE DLL of
// the machine type Tarvel is built for, exporting every name Tarvel imports from the
// maker's bridge. The bytes come from outside, and every offset in them is the file's own
// claim: nothing outside [data, data + size) is read, and a truncated or malformed file is
// a verdict like any other.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace bridgecheck {

constexpr wchar_t kBridgeFileName[] = L"ORVWmiAcpi.dll";

enum class BridgeVerdict {
    Usable,
    NotFound,      // no such file
    Unreadable,    // there, but it cannot be opened or read
    NotALibrary,   // not a PE image, or one whose headers or export table are damaged
    NotADll,       // a program
    OtherMachine,  // a library for another processor or width
    MissingNames,  // a library without one or more of the names
};

struct BridgeJudgement {
    BridgeVerdict verdict = BridgeVerdict::NotALibrary;
    uint16_t machine = 0;          // the file's machine type, once its header was read
    std::string firstMissingName;  // MissingNames: the first name of the list not exported
    size_t missingNames = 0;
};

// What the bridge must be for one flavour of Tarvel.
struct BridgeRequirements {
    uint16_t machine;  // IMAGE_FILE_MACHINE_*
    const char* const* names;
    size_t nameCount;
};

// The bridge this build's flavour of Tarvel loads.
BridgeRequirements ThisFlavoursBridge();

BridgeJudgement JudgeBridgeImage(const unsigned char* data, size_t size, const BridgeRequirements& required);

}  // namespace bridgecheck
