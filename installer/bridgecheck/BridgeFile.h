// Judges a file on disk as the bridge (BridgeImage.h): reads it whole, since a bridge is
// small, and refuses one too large to be it rather than read it.
#pragma once
#include <string>

#include "BridgeImage.h"

namespace bridgecheck {

BridgeJudgement JudgeBridgeFile(const std::wstring& path, const BridgeRequirements& required);

}  // namespace bridgecheck
