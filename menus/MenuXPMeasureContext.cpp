#include "MenuXPMeasureContext.h"
#include <cstring>

CMenuXPMeasureContext::CMenuXPMeasureContext(const LOGFONTW& lfMenu) : m_lfMenu(lfMenu) {
    LOGFONTW lfBold = lfMenu;
    lfBold.lfWeight = FW_BOLD;
    m_fontBold.CreateFontIndirect(&lfBold);
    // A memory device context measures text exactly as the screen's does, and unlike a
    // borrowed screen context it may be kept.
    m_dc.CreateCompatibleDC(nullptr);
}

SIZE CMenuXPMeasureContext::MeasureBoldText(const CString& strText) {
    CSelectGuard selectFont(m_dc, m_fontBold);
    CRect rcText;
    m_dc.DrawText(strText, rcText, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    return SIZE{rcText.Width(), rcText.Height()};
}

bool CMenuXPMeasureContext::IsMadeFrom(const LOGFONTW& lfMenu) const {
    return std::memcmp(&lfMenu, &m_lfMenu, sizeof(LOGFONTW)) == 0;
}
