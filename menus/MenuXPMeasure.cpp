// Sizes of the entries of a CMenuXP.
#include "MenuXP.h"

SIZE CMenuXP::MenuCheckSize() {
    if (m_sizeMenuCheck.cx < 0)
        m_sizeMenuCheck = SIZE{::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK)};
    return m_sizeMenuCheck;
}

CMenuXPMeasureContext& CMenuXP::MeasureContext() {
    const LOGFONTW lfMenu = MenuLogFont();
    if (!m_pMeasureContext || !m_pMeasureContext->IsMadeFrom(lfMenu)) {
        m_pMeasureContext.reset();  // its bold font goes before the next one is made
        m_pMeasureContext = std::make_unique<CMenuXPMeasureContext>(lfMenu);
    }
    return *m_pMeasureContext;
}

void CMenuXP::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    if (lpMeasureItemStruct == nullptr || lpMeasureItemStruct->CtlType != ODT_MENU)
        return;
    const CMenuXPItem* pItem = CMenuXPItem::FromItemData(lpMeasureItemStruct->itemData);
    if (pItem == nullptr)
        return;

    int nWidth = 0;
    int nHeight = 0;
    if (pItem->m_bSideBar) {
        // Zero high: the bar is painted over the whole clip box instead of an entry's height.
        nWidth = pItem->m_nSize;
    } else if (pItem->m_bSeparator) {
        nHeight = MenuCheckSize().cy >> 1;
    } else {
        // Every entry is measured bold, so a default (bold) entry fits as well as the others.
        const SIZE sizeText = MeasureContext().MeasureBoldText(pItem->m_strText);
        nHeight = sizeText.cy > pItem->m_nSize + 4 ? sizeText.cy : pItem->m_nSize + 4;
        nWidth = pItem->m_bButtonOnly ? nHeight : 2 * pItem->m_nSize + 12 + sizeText.cx;
    }
    // The system widens every owner-drawn entry by the check-mark width less one; these
    // entries draw their marks in their own icon column, so that is taken off again. For a
    // separator the result is negative: it is stored wrapped, and the system's addition
    // brings it back.
    nWidth += 1 - MenuCheckSize().cx;
    lpMeasureItemStruct->itemWidth = static_cast<UINT>(nWidth);
    lpMeasureItemStruct->itemHeight = static_cast<UINT>(nHeight);
}
