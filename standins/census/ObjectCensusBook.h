// The census's bookkeeping: which handles are live, per kind, and the totals. Only what was
// seen created counts; a release counts only for such a handle. Not thread-safe on its own.
#pragma once
#include <unordered_map>

#include "ObjectCensusView.h"

namespace simnb {

class ObjectCensusBook {
public:
    // A successful creation; a null handle is a failure and is not counted.
    void Created(CensusKind kind, const void* handle);
    // A successful release by the program; true when the handle was one the census counts.
    bool Released(const void* handle);
    // A handle that went with another one (a submenu destroyed with its menu): not a
    // foreign release when the census never saw it made.
    void ReleasedAlong(const void* handle);

    const CensusCounts& Counts() const { return m_counts; }
    void SetPatchedImports(uint32_t count) { m_counts.patchedImports = count; }

private:
    CensusKindCounts& Of(CensusKind kind) { return m_counts.kinds[static_cast<uint32_t>(kind)]; }
    bool Forget(const void* handle);

    std::unordered_map<const void*, CensusKind> m_live;
    CensusCounts m_counts = {};
};

}  // namespace simnb
