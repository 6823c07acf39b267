#include "BrightnessFeedClient.h"

namespace simnb {

bool BrightnessFeedClient::Open(DWORD processId) {
    if (m_section) return true;
    m_section = OpenMappedSection<BrightnessFeedSection>(BrightnessFeedSectionName(processId), kBrightnessFeedVersion,
                                                         FILE_MAP_WRITE | FILE_MAP_READ);
    m_processId = processId;
    return m_section != nullptr;
}

bool BrightnessFeedClient::Start(BYTE brightness) {
    if (!m_section) return false;
    UniqueHandle start(OpenEventW(EVENT_MODIFY_STATE, FALSE, BrightnessFeedStartName(m_processId).c_str()));
    if (!start.Valid()) return false;  // no sink was subscribed, so nothing feeds
    InterlockedExchange(&m_section->brightness, brightness);
    InterlockedExchange(&m_section->feeding, 1);
    return SetEvent(start.Get()) != FALSE;
}

void BrightnessFeedClient::Stop() {
    if (m_section) InterlockedExchange(&m_section->feeding, 0);
}

}  // namespace simnb
