// The installer's words for a bridge that cannot be used. Each text is the end of a
// sentence the installer begins ("Tarvel was not installed: ..."); subject names the file,
// as a path, or as a path and which copy it is.
#pragma once
#include <string>

#include "BridgeImage.h"

namespace bridgecheck {

std::wstring DescribeProblem(const std::wstring& subject, const BridgeJudgement& judgement,
                             const BridgeRequirements& required);

// When the loader would find no copy at all.
std::wstring NothingFound();

// The subject for the copy the loader would take.
std::wstring FirstFound(const std::wstring& path);

}  // namespace bridgecheck
