// Drawing helpers of the owner-drawn menus: solid fill, embossed icon silhouette and the
// vertical gradient behind the side bar. They keep no state.
#pragma once
#include "AfxDC.h"

void FillWithColor(LPCRECT lpRect, CDC* pDC, COLORREF crColor);

// The icon's shape in the 3-D shadow colour, over a copy one pixel right and down in the
// highlight colour (bShadow FALSE: an engraved look) or in the shadow colour as well
// (bShadow TRUE: a drop shadow). The target's colours are put back afterwards.
void DrawEmbossedIcon(CDC* pDC, HICON hIcon, BOOL bShadow, LPCRECT lpRect);

// A bitmap for hDC that runs from clrFirst on its bottom row towards clrLast on its top
// row; NULL when no bitmap can be made (size not positive, too large, out of memory).
// The caller owns the bitmap.
HBITMAP CreateGradientBitmap(HDC hDC, COLORREF clrFirst, COLORREF clrLast, int nWidth,
                             int nHeight);
