// Painting the side bar of a CMenuXP: a vertical gradient with a caption running upwards.
#include "DrawPrimitives.h"
#include "MenuXP.h"

namespace {

void PaintGradient(CDC* pDC, const CRect& rect, COLORREF clrBottom, COLORREF clrTop) {
    CBitmap gradient;
    gradient.Attach(CreateGradientBitmap(pDC->m_hDC, clrBottom, clrTop, rect.Width(),
                                         rect.Height()));
    if (gradient.GetSafeHandle() == nullptr)
        return;  // the caption is still drawn, on whatever is there
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CSelectGuard selectGradient(memDC, gradient);
    pDC->BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &memDC, 0, 0, SRCCOPY);
}

}  // namespace

void CMenuXP::DrawSideBar(CDC* pDC, CRect rect, HICON, CString strText) {
    rect.right += 3;
    PaintGradient(pDC, rect, m_clrSideBarStart, m_clrSideBarEnd);

    CFont fontCaption;
    fontCaption.CreateFont(12, 0, 900, 900, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                           0, 0, L"Arial");
    CSelectGuard selectFont(*pDC, fontCaption);
    CTextColorGuard keepTextColor(*pDC);
    pDC->SetTextColor(RGB(255, 255, 255));
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut(rect.left + 2, rect.bottom - 4, strText);
}
