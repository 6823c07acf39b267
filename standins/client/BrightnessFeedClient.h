// A test's side of the brightness events fed into a running program (see
// brightness/BrightnessFeedView.h): open the program's section, start the events, read the
// counts. The section stays open while this object lives, so the counts can still be read
// after the program has ended.
#pragma once
#include <windows.h>

#include <optional>

#include "../common/UniqueHandle.h"
#include "brightness/BrightnessFeedView.h"

namespace simnb {

struct BrightnessFeedCounts {
    LONG sinks = 0;
    LONG statusReports = 0;
    LONG indications = 0;
    LONG sendsBegun = 0;
    LONG sendsDelivered = 0;
    LONG sendsToNoWindow = 0;
};

class BrightnessFeedClient {
public:
    BrightnessFeedClient() = default;
    ~BrightnessFeedClient();
    BrightnessFeedClient(const BrightnessFeedClient&) = delete;
    BrightnessFeedClient& operator=(const BrightnessFeedClient&) = delete;

    // False while processId publishes no section of this layout (the bridge was not used yet).
    bool Open(DWORD processId);
    // Events as fast as possible, each carrying brightness, until Stop.
    bool Start(BYTE brightness);
    void Stop();
    std::optional<BrightnessFeedCounts> Counts() const;

private:
    DWORD m_processId = 0;
    UniqueHandle m_mapping;
    BrightnessFeedSection* m_section = nullptr;
};

}  // namespace simnb
