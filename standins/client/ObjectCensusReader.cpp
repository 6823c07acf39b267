#include "ObjectCensusReader.h"

#include "../common/UniqueHandle.h"

namespace simnb {
namespace {

class MappedView {
public:
    explicit MappedView(const void* view) : m_view(view) {}
    ~MappedView() {
        if (m_view != nullptr) UnmapViewOfFile(m_view);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    const CensusSection* Get() const { return static_cast<const CensusSection*>(m_view); }

private:
    const void* m_view;
};

}  // namespace

std::optional<CensusCounts> ReadObjectCensus(DWORD processId) {
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, CensusSectionName(processId).c_str()));
    if (!mapping.Valid()) return std::nullopt;
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(CensusSection)));
    const CensusSection* section = view.Get();
    if (section == nullptr || section->version != kCensusVersion || section->size != sizeof(CensusSection)) {
        return std::nullopt;
    }
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

int32_t LiveGdiObjects(const CensusCounts& counts) {
    int32_t live = 0;
    for (uint32_t i = 0; i < kCensusKindCount; ++i) {
        if (IsGdiKind(static_cast<CensusKind>(i))) live += counts.kinds[i].live;
    }
    return live;
}

int32_t LiveUserObjects(const CensusCounts& counts) {
    int32_t live = 0;
    for (uint32_t i = 0; i < kCensusKindCount; ++i) {
        if (!IsGdiKind(static_cast<CensusKind>(i))) live += counts.kinds[i].live;
    }
    return live;
}

std::string DescribeCensus(const CensusCounts& counts) {
    std::string text = "gdi=" + std::to_string(LiveGdiObjects(counts)) + " user=" + std::to_string(LiveUserObjects(counts));
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
