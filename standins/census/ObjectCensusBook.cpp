#include "ObjectCensusBook.h"

namespace simnb {

void ObjectCensusBook::Created(CensusKind kind, const void* handle) {
    if (handle == nullptr || kind >= CensusKind::Count) return;
    auto found = m_live.find(handle);
    if (found != m_live.end()) {
        // The system handed out a handle we still count: the old object went by a path the
        // census does not see. Count it as gone rather than as a leak that never happened.
        ++m_counts.reusedWhileLive;
        --Of(found->second).live;
        ++Of(found->second).destroyed;
        m_live.erase(found);
    }
    m_live.emplace(handle, kind);
    ++Of(kind).live;
    ++Of(kind).created;
}

bool ObjectCensusBook::Forget(const void* handle) {
    auto found = m_live.find(handle);
    if (found == m_live.end()) return false;
    --Of(found->second).live;
    ++Of(found->second).destroyed;
    m_live.erase(found);
    return true;
}

bool ObjectCensusBook::Released(const void* handle) {
    if (Forget(handle)) return true;
    if (handle != nullptr) ++m_counts.foreignReleases;
    return false;
}

void ObjectCensusBook::ReleasedAlong(const void* handle) { Forget(handle); }

}  // namespace simnb
