#include "BrightnessFeedClient.h"

namespace simnb {

BrightnessFeedClient::~BrightnessFeedClient() {
    if (m_section != nullptr) UnmapViewOfFile(m_section);
}

bool BrightnessFeedClient::Open(DWORD processId) {
    if (m_section != nullptr) return true;
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, BrightnessFeedSectionName(processId).c_str()));
    if (!mapping.Valid()) return false;
    auto* section = static_cast<BrightnessFeedSection*>(
        MapViewOfFile(mapping.Get(), FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(BrightnessFeedSection)));
    if (section == nullptr) return false;
    if (section->version != kBrightnessFeedVersion || section->size != sizeof(BrightnessFeedSection)) {
        UnmapViewOfFile(section);
        return false;
    }
    m_processId = processId;
    m_mapping = std::move(mapping);
    m_section = section;
    return true;
}

bool BrightnessFeedClient::Start(BYTE brightness) {
    if (m_section == nullptr) return false;
    UniqueHandle start(OpenEventW(EVENT_MODIFY_STATE, FALSE, BrightnessFeedStartName(m_processId).c_str()));
    if (!start.Valid()) return false;  // no sink was subscribed, so nothing feeds
    InterlockedExchange(&m_section->brightness, brightness);
    InterlockedExchange(&m_section->feeding, 1);
    return SetEvent(start.Get()) != FALSE;
}

void BrightnessFeedClient::Stop() {
    if (m_section != nullptr) InterlockedExchange(&m_section->feeding, 0);
}

std::optional<BrightnessFeedCounts> BrightnessFeedClient::Counts() const {
    if (m_section == nullptr) return std::nullopt;
    BrightnessFeedCounts counts;
    counts.sinks = m_section->sinks;
    counts.statusReports = m_section->statusReports;
    counts.indications = m_section->indications;
    counts.sendsBegun = m_section->sendsBegun;
    counts.sendsDelivered = m_section->sendsDelivered;
    counts.sendsToNoWindow = m_section->sendsToNoWindow;
    return counts;
}

}  // namespace simnb
