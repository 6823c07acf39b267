// Solid fill, embossed icon silhouettes and the gradient bitmap, read back pixel by pixel.
#include "DrawPrimitives.h"
#include "MenuTestSupport.h"
#include <gtest/gtest.h>

using namespace menutest;

namespace {

const COLORREF kGround = RGB(0, 128, 0);

// The rows of a bitmap, top row first, as COLORREFs.
std::vector<COLORREF> ReadRows(HDC hdc, HBITMAP hBitmap, int nWidth, int nHeight) {
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = -nHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits(static_cast<size_t>(nWidth * nHeight));
    EXPECT_EQ(::GetDIBits(hdc, hBitmap, 0, static_cast<UINT>(nHeight), bits.data(), &bmi,
                          DIB_RGB_COLORS),
              nHeight);
    std::vector<COLORREF> colors;
    for (DWORD p : bits)
        colors.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return colors;
}

// The table entry i between two colours, computed as the bitmap must.
COLORREF Ramp(COLORREF f, COLORREF l, int i) {
    auto c = [i](int a, int b) { return (a + ::MulDiv(b - a, i, 255)) & 0xFF; };
    return RGB(c(GetRValue(f), GetRValue(l)), c(GetGValue(f), GetGValue(l)),
               c(GetBValue(f), GetBValue(l)));
}

struct Gradient {
    CBitmap bitmap;
    std::vector<COLORREF> rows;  // one colour per row, top first (each row checked uniform)
};

void MakeGradient(Gradient& g, COLORREF f, COLORREF l, int w, int h) {
    Canvas canvas(1, 1, kGround);
    g.bitmap.Attach(CreateGradientBitmap(canvas.hdc(), f, l, w, h));
    ASSERT_NE(g.bitmap.GetSafeHandle(), nullptr);
    std::vector<COLORREF> px = ReadRows(canvas.hdc(), g.bitmap, w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 1; x < w; ++x)
            ASSERT_EQ(px[static_cast<size_t>(y * w + x)], px[static_cast<size_t>(y * w)]) << y;
        g.rows.push_back(px[static_cast<size_t>(y * w)]);
    }
}

}  // namespace

TEST(DrawPrimitives, FillWithColorPaintsExactlyTheRectangle) {
    Canvas canvas(20, 20, kGround);
    CRect rc(3, 4, 11, 9);
    FillWithColor(rc, canvas.dc(), RGB(10, 20, 30));
    EXPECT_EQ(canvas.Count(rc, RGB(10, 20, 30)), rc.Width() * rc.Height());
    EXPECT_EQ(canvas.CountOutsideNot(rc, kGround), 0);
}

TEST(DrawPrimitives, GradientRunsFromFirstColourAtTheBottomToLastAtTheTop) {
    const COLORREF f = RGB(225, 225, 225), l = RGB(0, 0, 0);
    Gradient tall;
    MakeGradient(tall, f, l, 3, 256);
    for (int r = 0; r < 256; ++r)  // row r counted from the bottom uses entry r
        ASSERT_EQ(tall.rows[static_cast<size_t>(255 - r)], Ramp(f, l, r)) << r;
    EXPECT_EQ(tall.rows[255], f);
    EXPECT_EQ(tall.rows[0], l);
    EXPECT_EQ(Ramp(f, l, 128), RGB(112, 112, 112));
    EXPECT_EQ(tall.rows[255 - 128], RGB(112, 112, 112));

    Gradient one;
    MakeGradient(one, RGB(10, 200, 30), RGB(250, 0, 90), 5, 1);
    EXPECT_EQ(one.rows[0], RGB(10, 200, 30));

    Gradient mixed;  // each channel ramps on its own
    MakeGradient(mixed, RGB(10, 200, 30), RGB(250, 0, 90), 2, 256);
    EXPECT_EQ(mixed.rows[255 - 100], Ramp(RGB(10, 200, 30), RGB(250, 0, 90), 100));
}

TEST(DrawPrimitives, GradientTallerThan511RowsEndsOnTheLastColour) {
    const COLORREF f = RGB(225, 225, 225), l = RGB(0, 0, 10);
    for (int h : {512, 700, 2000}) {
        Gradient g;
        MakeGradient(g, f, l, 2, h);
        // Rows whose index comes to 256 keep the last entry instead of reading past the table.
        for (int r = 0; r < h; ++r) {
            int i = ::MulDiv(256, r, h);
            ASSERT_EQ(g.rows[static_cast<size_t>(h - 1 - r)], Ramp(f, l, i > 255 ? 255 : i))
                << "height " << h << " row " << r;
        }
        EXPECT_EQ(g.rows[0], l);
    }
}

TEST(DrawPrimitives, GradientOfImpossibleSizeIsRefused) {
    Canvas canvas(1, 1, kGround);
    for (SIZE s : {SIZE{0, 10}, SIZE{10, 0}, SIZE{-5, 10}, SIZE{10, -5}, SIZE{-4, -4},
                   SIZE{65536, 65536}, SIZE{INT_MAX, 2}, SIZE{46341, 46341}, SIZE{0x7FFFFFFF, 0x7FFFFFFF}}) {
        HBITMAP h = CreateGradientBitmap(canvas.hdc(), RGB(1, 2, 3), RGB(4, 5, 6), s.cx, s.cy);
        EXPECT_EQ(h, nullptr) << s.cx << " x " << s.cy;
        if (h != nullptr)
            ::DeleteObject(h);
    }
}

TEST(DrawPrimitives, TransparentIconEmbossesNothing) {
    Canvas canvas(30, 30, kGround);
    HICON hIcon = MakeIcon(16, RGB(255, 0, 0), RECT{0, 0, 0, 0});
    std::vector<DWORD> before = canvas.Snapshot();
    DrawEmbossedIcon(canvas.dc(), hIcon, FALSE, CRect(5, 5, 21, 21));
    DrawEmbossedIcon(canvas.dc(), hIcon, TRUE, CRect(5, 5, 21, 21));
    EXPECT_EQ(canvas.Snapshot(), before);
    ::DestroyIcon(hIcon);
}

TEST(DrawPrimitives, EmbossedSilhouettesLieOnePixelApart) {
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    ASSERT_NE(shadow, highlight);
    HICON hIcon = MakeSquareIcon(RGB(255, 0, 0));  // opaque at 4..11
    const CRect rcIcon(10, 10, 26, 26);
    const CRect rcShape(14, 14, 22, 22);  // the opaque square on the canvas
    CRect rcShifted = rcShape;
    rcShifted.OffsetRect(1, 1);

    for (BOOL bShadow : {FALSE, TRUE}) {
        Canvas canvas(40, 40, kGround);
        // Colours left by an earlier drawing step neither tint the silhouette nor get lost.
        ::SetBkColor(canvas.hdc(), RGB(1, 2, 3));
        ::SetTextColor(canvas.hdc(), RGB(128, 128, 128));
        DrawEmbossedIcon(canvas.dc(), hIcon, bShadow, rcIcon);
        EXPECT_EQ(::GetBkColor(canvas.hdc()), RGB(1, 2, 3));
        EXPECT_EQ(::GetTextColor(canvas.hdc()), RGB(128, 128, 128));

        const COLORREF under = bShadow ? shadow : highlight;
        EXPECT_EQ(canvas.Count(rcShape, shadow), 64) << bShadow;
        // Of the copy moved right and down, only its right column and bottom row show.
        EXPECT_EQ(canvas.Count(CRect(22, 15, 23, 23), under), 8) << bShadow;
        EXPECT_EQ(canvas.Count(CRect(15, 22, 22, 23), under), 7) << bShadow;
        CRect rcTouched;
        ::UnionRect(&rcTouched, &rcShape, &rcShifted);
        EXPECT_EQ(canvas.CountOutsideNot(rcTouched, kGround), 0) << bShadow;
        EXPECT_EQ(canvas.Pixel(22, 14), kGround);
        EXPECT_EQ(canvas.Pixel(14, 22), kGround);
    }
    ::DestroyIcon(hIcon);
}
