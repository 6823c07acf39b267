// Painting the entries of a CMenuXP: which steps an entry gets, and the steps that paint
// backgrounds, buttons and icons.
#include "DrawPrimitives.h"
#include "MenuXP.h"

void CMenuXP::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    m_pMeasureContext.reset();  // measuring is over once painting begins
    if (lpDrawItemStruct == nullptr || lpDrawItemStruct->CtlType != ODT_MENU)
        return;
    // Item data that is not one of our items is never treated as one.
    const CMenuXPItem* pItem = CMenuXPItem::FromItemData(lpDrawItemStruct->itemData);
    if (pItem == nullptr)
        return;

    CBorrowedDC dc(lpDrawItemStruct->hDC);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    if (pItem->m_bSideBar) {
        // The bar's entry has no height of its own: it spans whatever is being painted.
        CRect rcClip;
        dc.GetClipBox(rcClip);
        DrawSideBar(&dc, CRect(rcItem.left, rcClip.top, rcItem.right, rcClip.bottom),
                    pItem->m_hIcon, pItem->m_strText);
        return;
    }
    // The system repaints single entries whenever it likes: Wine repaints a separator when
    // the highlight moves off it, long after the entry below was painted. Whatever an entry
    // painted beyond its own rectangle would then stay on its neighbour (the separator's
    // icon-column square is taller than the separator and wiped the top of the next
    // entry's icon), so an entry paints inside its rectangle only. In a paint of the whole
    // menu, top to bottom, the next entry painted over that overflow anyway.
    CClipGuard clipToEntry(dc, rcItem);
    if (pItem->m_bSeparator)
        DrawSeparatorEntry(&dc, rcItem, *pItem);
    else
        DrawTextEntry(&dc, rcItem, *pItem, lpDrawItemStruct->itemState);
}

void CMenuXP::DrawSeparatorEntry(CDC* pDC, const CRect& rcItem, const CMenuXPItem& item) {
    DrawBackground(pDC, rcItem, FALSE, FALSE);
    CRect rcLine(rcItem.left, rcItem.top + rcItem.Height() / 2, rcItem.right, rcItem.bottom);
    pDC->DrawEdge(rcLine, EDGE_ETCHED, BF_TOP);
    // Painted after the line, so that the line starts at the edge of the icon column.
    if (m_nStyle == STYLE_FLAT) {
        const int nColumn = item.m_nSize + 4;
        DrawIconArea(pDC,
                     CRect(rcItem.left, rcItem.top, rcItem.left + nColumn, rcItem.top + nColumn),
                     FALSE, FALSE, FALSE);
    }
}

void CMenuXP::DrawTextEntry(CDC* pDC, const CRect& rcItem, const CMenuXPItem& item,
                            UINT itemState) {
    const BOOL bSelected = (itemState & ODS_SELECTED) != 0;
    const BOOL bDisabled = (itemState & ODS_GRAYED) != 0;
    const BOOL bChecked = (itemState & ODS_CHECKED) != 0;
    const BOOL bBold = (itemState & ODS_DEFAULT) != 0;

    const int h = rcItem.Height();
    const CRect rcSquare(rcItem.left, rcItem.top, rcItem.left + h, rcItem.bottom);
    const CRect rcButton = item.m_bButtonOnly ? rcItem : rcSquare;
    CRect rcIcon = rcButton;
    rcIcon.InflateRect(-2, -2);
    const CRect rcText(rcButton.right + 2, rcItem.top, rcItem.right - item.m_nSize,
                       rcItem.bottom);

    DrawBackground(pDC, rcItem, bSelected, bDisabled);
    if (m_nStyle == STYLE_FLAT)
        DrawIconArea(pDC, rcSquare, bSelected, bDisabled, bChecked);
    if (item.m_hIcon != nullptr || bChecked)
        DrawButton(pDC, rcButton, bSelected, bDisabled, bChecked);
    if (item.m_hIcon != nullptr)
        DrawIcon(pDC, rcIcon, item.m_hIcon, bSelected, bDisabled, bChecked);
    else if (bChecked)
        DrawCheckMark(pDC, rcIcon, bSelected);
    if (!item.m_bButtonOnly)
        DrawItemText(pDC, rcText, item.m_strText, bSelected, bDisabled, bBold);
}

void CMenuXP::DrawBackground(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled) {
    if (m_hBackBitmap != nullptr && (!bSelected || bDisabled)) {
        pDC->BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &m_memDC, 0, rect.top,
                    SRCCOPY);
    } else {
        // The flat style never highlights a disabled entry; the others do.
        const bool bHighlight = bSelected && !(bDisabled && m_nStyle == STYLE_FLAT);
        FillWithColor(rect, pDC, bHighlight ? m_clrSelBack : m_clrBack);
    }
    if (m_nStyle == STYLE_FLAT && bSelected && !bDisabled) {
        CSelectGuard selectBrush(*pDC, ::GetStockObject(NULL_BRUSH));
        CSelectGuard selectPen(*pDC, ::GetStockObject(BLACK_PEN));
        pDC->Rectangle(rect);
    }
}

void CMenuXP::DrawButton(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled, BOOL bChecked) {
    if (m_nStyle == STYLE_3D) {
        FillWithColor(rect, pDC,
                      bChecked && !bSelected ? ::GetSysColor(COLOR_BTNHIGHLIGHT) : m_clrBack);
        if (!bDisabled && (bSelected || bChecked))
            pDC->DrawEdge(rect, bChecked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else if (m_nStyle == STYLE_FLAT) {
        // A checked entry shows its icon column as a highlighted, framed button.
        if (bChecked && !bSelected && !bDisabled)
            DrawBackground(pDC, rect, TRUE, FALSE);
    }
}

void CMenuXP::DrawIconArea(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled, BOOL) {
    if (m_nStyle == STYLE_FLAT && (!bSelected || bDisabled))
        FillWithColor(rect, pDC, m_clrIconArea);
}

void CMenuXP::DrawIcon(CDC* pDC, CRect rect, HICON hIcon, BOOL bSelected, BOOL bDisabled,
                       BOOL bChecked) {
    if (bDisabled) {
        DrawEmbossedIcon(pDC, hIcon, FALSE, rect);
        return;
    }
    if (m_nStyle == STYLE_FLAT && bSelected && !bChecked) {
        // Hovered: the icon is lifted up and left over its own shadow.
        DrawEmbossedIcon(pDC, hIcon, TRUE, rect);
        rect.OffsetRect(-1, -1);
    }
    pDC->DrawIconEx(rect.left, rect.top, hIcon, rect.Width(), rect.Height(), 0, DI_NORMAL);
}
