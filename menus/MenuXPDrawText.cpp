// Painting the text and the check mark of a CMenuXP entry.
#include "MenuXP.h"

void CMenuXP::DrawItemText(CDC* pDC, CRect rect, CString strText, BOOL bSelected,
                           BOOL bDisabled, BOOL bBold) {
    CFont fontBold;
    if (bBold)
        CreateBoldMenuFont(fontBold);
    CSelectGuard selectFont(*pDC, bBold ? fontBold : m_fontMenu);
    pDC->SetBkMode(TRANSPARENT);

    if (bDisabled) {
        // The light etch would vanish in the 3-D style's highlight, so it is left out there.
        if (!bSelected || m_nStyle == STYLE_FLAT) {
            CRect rcEtch = rect;
            rcEtch.OffsetRect(1, 1);
            DrawTabbedText(pDC, rcEtch, strText, m_clrSelText);
        }
        DrawTabbedText(pDC, rect, strText, m_clrGrayText);
    } else {
        DrawTabbedText(pDC, rect, strText, bSelected ? m_clrSelText : m_clrText);
    }
}

void CMenuXP::DrawTabbedText(CDC* pDC, CRect rect, CString strText, COLORREF clrText) {
    // Text after a tab (a shortcut, say) goes to the right edge.
    const int nTab = strText.Find(L'\t');
    const CString strLeft = nTab < 0 ? strText : strText.Left(nTab);
    pDC->SetTextColor(clrText);
    pDC->DrawText(strLeft, rect, DT_SINGLELINE | DT_VCENTER);
    if (nTab > 0)
        pDC->DrawText(strText.Mid(nTab + 1), rect, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void CMenuXP::DrawCheckMark(CDC* pDC, CRect rect, BOOL) {
    const int x0 = rect.left + (rect.Width() - 8) / 2;
    const int y0 = rect.top + (rect.Height() - 8) / 2;
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CSelectGuard selectPen(*pDC, pen);
    for (int k = 0; k < 3; ++k) {
        pDC->MoveTo(x0, y0 + 3 + k);
        pDC->LineTo(x0 + 2, y0 + 5 + k);
        pDC->LineTo(x0 + 7, y0 + k);
    }
}
