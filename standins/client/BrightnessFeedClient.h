// A test's side of the brightness events fed into a running program (see
// brightness/BrightnessFeedView.h): open the program's section, start the events, read the
// counts. The section stays open while this object lives, so the counts can still be read
// after the program has ended.
#pragma once
#include <windows.h>

#include "MappedSection.h"
#include "brightness/BrightnessFeedView.h"

namespace simnb {

class BrightnessFeedClient {
public:
    // False while processId publishes no section of this layout (the bridge was not used yet).
    bool Open(DWORD processId);
    // Events as fast as possible, each carrying brightness, until Stop.
    bool Start(BYTE brightness);
    void Stop();
    // The counts as the bridge keeps them (live); null before Open succeeded.
    const BrightnessFeedSection* Counts() const { return m_section.get(); }

private:
    DWORD m_processId = 0;
    MappedSection<BrightnessFeedSection> m_section;
};

}  // namespace simnb
