// Sizes of the entries of a CMenuXP.
#include "MenuXP.h"

namespace {

// Width and height of text in the bold menu font, measured on the screen.
SIZE MeasureBoldText(CFont& fontBold, const CString& strText) {
    CWindowDC dc(nullptr);
    CSelectGuard selectFont(dc, fontBold);
    CRect rcText;
    dc.DrawText(strText, rcText, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    return SIZE{rcText.Width(), rcText.Height()};
}

}  // namespace

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
        nHeight = ::GetSystemMetrics(SM_CYMENUCHECK) >> 1;
    } else {
        // Every entry is measured bold, so a default (bold) entry fits as well as the others.
        CFont fontBold;
        CreateBoldMenuFont(fontBold);
        SIZE sizeText = MeasureBoldText(fontBold, pItem->m_strText);
        nHeight = sizeText.cy > pItem->m_nSize + 4 ? sizeText.cy : pItem->m_nSize + 4;
        nWidth = pItem->m_bButtonOnly ? nHeight : 2 * pItem->m_nSize + 12 + sizeText.cx;
    }
    // The system widens every owner-drawn entry by the check-mark width less one; these
    // entries draw their marks in their own icon column, so that is taken off again. For a
    // separator the result is negative: it is stored wrapped, and the system's addition
    // brings it back.
    nWidth += 1 - ::GetSystemMetrics(SM_CXMENUCHECK);
    lpMeasureItemStruct->itemWidth = static_cast<UINT>(nWidth);
    lpMeasureItemStruct->itemHeight = static_cast<UINT>(nHeight);
}
