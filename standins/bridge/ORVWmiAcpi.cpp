// CORVWmiAcpi: the window that receives firmware events and the subscription that feeds it.
#include "../../firmware/ORVWmiAcpi.h"

#include <cstring>
#include <new>
#include <string>

#include "../common/FirmwareWire.h"
#include "../common/TextCodec.h"
#include "BrightnessFeed.h"
#include "EventListener.h"
#include "CensusLoader.h"

namespace {

constexpr size_t kEventBufferBytes = 260;

simnb::EventListener* Listener(void* impl) { return static_cast<simnb::EventListener*>(impl); }

std::string BuildSubscribeMessage(const wchar_t* query, const wchar_t* wmiNamespace, const wchar_t* language) {
    simnb::WireSubscribeHeader header = {simnb::kWireSubscribe};
    std::string message(reinterpret_cast<const char*>(&header), sizeof header);
    for (const wchar_t* text : {query, wmiNamespace, language}) {
        message += simnb::Utf8FromWide(text);
        message += '\0';
    }
    return message;
}

// The caller's buffer is 260 bytes; nothing longer is ever written to it.
void WriteStatusText(char* buffer, bool subscribed) {
    if (buffer == nullptr) return;
    const char* text = subscribed ? "subscribed" : "not subscribed";
    size_t length = std::strlen(text);
    if (length >= kEventBufferBytes) length = kEventBufferBytes - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

}  // namespace

CORVWmiAcpi::CORVWmiAcpi() : m_pImpl(new (std::nothrow) simnb::EventListener()) {
    simnb::LoadObjectCensusWhenAsked();
    simnb::InstallBrightnessFeed();
}

CORVWmiAcpi::~CORVWmiAcpi() { delete Listener(m_pImpl); }

void CORVWmiAcpi::AddHWND(HWND hWnd) {
    if (m_pImpl != nullptr) Listener(m_pImpl)->SetWindow(hWnd);
}

bool CORVWmiAcpi::ORVWMIEvent(const wchar_t* query, char* buffer, const wchar_t* wmiNamespace, const wchar_t* language) {
    bool subscribed = m_pImpl != nullptr &&
                      Listener(m_pImpl)->Start(BuildSubscribeMessage(query, wmiNamespace, language));
    WriteStatusText(buffer, subscribed);
    return subscribed;
}
