#include "ObjectCensusReader.h"

#include "MappedSection.h"

namespace simnb {

std::optional<CensusCounts> ReadObjectCensus(DWORD processId) {
    MappedSection<const CensusSection> section =
        OpenMappedSection<const CensusSection>(CensusSectionName(processId), kCensusVersion, FILE_MAP_READ);
    if (!section) return std::nullopt;
    // The owner writes between two steps of the sequence; a copy taken while it was even and
    // unchanged is whole.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        LONG before = section->sequence;
        MemoryBarrier();
        CensusCounts copy = section->counts;
        MemoryBarrier();
        if ((before & 1) == 0 && section->sequence == before) return copy;
        Sleep(0);
    }
    return std::nullopt;
}

int32_t LiveObjects(const CensusCounts& counts, bool gdi) {
    int32_t live = 0;
    for (uint32_t i = 0; i < kCensusKindCount; ++i) {
        if (IsGdiKind(static_cast<CensusKind>(i)) == gdi) live += counts.kinds[i].live;
    }
    return live;
}

std::string DescribeCensus(const CensusCounts& counts) {
    std::string text = "gdi=" + std::to_string(LiveObjects(counts, true)) + " user=" + std::to_string(LiveObjects(counts, false));
    for (uint32_t i = 0; i < kCensusKindCount; ++i) {
        const CensusKindCounts& k = counts.kinds[i];
        text += std::string(" ") + CensusKindName(static_cast<CensusKind>(i)) + "=" + std::to_string(k.live) + "/" +
                std::to_string(k.created) + "/" + std::to_string(k.destroyed);
    }
    text += " foreign=" + std::to_string(counts.foreignReleases) + " reused=" + std::to_string(counts.reusedWhileLive) +
            " patched=" + std::to_string(counts.patchedImports);
    return text;
}

}  // namespace simnb
