// What measuring the text entries of a CMenuXP needs for each of them: a device context
// compatible with the screen and the bold menu font. Making both costs far more than
// measuring a text with them (some 50 us against under 1 us under Wine), so a menu makes
// one context for a whole round of measuring.
#pragma once
#include "AfxDC.h"

class CMenuXPMeasureContext {
public:
    // lfMenu: the menu font, of which the context makes a bold copy.
    explicit CMenuXPMeasureContext(const LOGFONTW& lfMenu);
    CMenuXPMeasureContext(const CMenuXPMeasureContext&) = delete;
    CMenuXPMeasureContext& operator=(const CMenuXPMeasureContext&) = delete;

    // False once the menu's font has been replaced: the bold copy no longer matches it.
    // (Compared by description: a new font can get the handle value of a deleted one.)
    bool IsMadeFrom(const LOGFONTW& lfMenu) const;
    // Width and height of the text on a single line in the bold menu font.
    SIZE MeasureBoldText(const CString& strText);

private:
    LOGFONTW m_lfMenu;
    CFont m_fontBold;
    CDC m_dc;  // the font is selected only while a text is measured
};
