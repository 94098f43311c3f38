#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vcl/Graphics.h"

namespace t_canvas_text_test {

using namespace vcl;

namespace {
uint32_t Px(TBitmap& b, int x, int y) { return static_cast<uint32_t*>(b.ScanLine(y))[x]; }
TRect Ink(TBitmap& b, uint32_t background) {
  TRect r(b.Width(), b.Height(), 0, 0);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (Px(b, x, y) != background) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.IsEmpty() ? TRect() : r;
}
void Clear(TBitmap& b, uint32_t v) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) static_cast<uint32_t*>(b.ScanLine(y))[x] = v;
}
}  // namespace

TEST(Platform_CanvasText, FontRealisesIntoTheDCAndMeasures) {
  TBitmap b(200, 60);
  b.SetPixelFormat(TPixelFormat::pf32bit);
  TCanvas* c = b.Canvas();
  c->Font()->SetName(u"Courier New");
  c->Font()->SetHeight(-20);
  c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  TSize s = c->TextExtent(u"Hello");
  HDC dc = c->Handle();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), c->Font()->Handle());
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetricsW(dc, &tm));
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
  EXPECT_EQ(s.cy, tm.tmHeight);
  EXPECT_EQ(s.cx, 5 * tm.tmAveCharWidth);  // fixed pitch
  EXPECT_EQ(c->TextWidth(u"Hello"), s.cx);
  EXPECT_EQ(c->TextHeight(u"Hello"), s.cy);
  WCHAR face[40];
  GetTextFaceW(dc, 40, face);
  EXPECT_EQ(std::u16string(face), u"DejaVu Sans Mono");
  // A new size is a new font.
  c->Font()->SetHeight(-10);
  EXPECT_LT(c->TextWidth(u"Hello"), s.cx * 2 / 3);
}

TEST(Platform_CanvasText, TextOutUsesTheBrushAndMovesThePen) {
  TBitmap b(200, 40);
  b.SetPixelFormat(TPixelFormat::pf32bit);
  TCanvas* c = b.Canvas();
  Clear(b, 0xFFFFFFFF);
  c->Font()->SetColor(clRed);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(10, 5, u"Quarn");
  TSize s = c->TextExtent(u"Quarn");
  EXPECT_EQ(c->PenPos(), TPoint(10 + s.cx, 5));
  TRect ink = Ink(b, 0xFFFFFFFF);
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Right, 10 + s.cx);
  EXPECT_GE(ink.Top, 5);
  EXPECT_LE(ink.Bottom, 5 + s.cy);
  bool red = false;
  for (int y = ink.Top; y < ink.Bottom; ++y)
    for (int x = ink.Left; x < ink.Right; ++x) {
      uint32_t p = Px(b, x, y);
      if (p != 0xFFFFFFFF) { EXPECT_EQ(p >> 24, 0u); }  // the alpha rule
      red |= p == 0x00FF0000u;
    }
  EXPECT_TRUE(red);
  // A solid brush fills the text cell.
  Clear(b, 0xFFFFFFFF);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clYellow);
  c->TextOut(10, 5, u"Quarn");
  EXPECT_EQ(Ink(b, 0xFFFFFFFF), TRect(10, 5, 10 + s.cx, 5 + s.cy));
  EXPECT_EQ(Px(b, 10, 5), 0x00FFFF00u);
}

TEST(Platform_CanvasText, TextRectClipsAndFormats) {
  TBitmap b(200, 80);
  b.SetPixelFormat(TPixelFormat::pf32bit);
  TCanvas* c = b.Canvas();
  Clear(b, 0xFFFFFFFF);
  c->Brush()->SetColor(clAqua);
  c->TextRect(TRect(20, 10, 60, 30), 15, 12, u"Clipped to the rectangle");
  EXPECT_EQ(Ink(b, 0xFFFFFFFF), TRect(20, 10, 60, 30));
  EXPECT_EQ(Px(b, 59, 29), 0x0000FFFFu);

  // The DrawText form measures, wraps and gives back what it showed.
  TRect r(0, 0, 60, 0);
  String text = u"several words to wrap";
  c->TextRect(r, text, TTextFormat{TTextFormats::tfCalcRect, TTextFormats::tfWordBreak});
  TRect want(0, 0, 60, 0);
  DrawTextW(c->Handle(), text.c_str(), -1, &want, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(r, want);
  EXPECT_GE(r.Height(), 2 * c->TextHeight(u"x"));
  TRect one(0, 40, 70, 60);
  String longText = u"A caption much too long";
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextRect(one, longText,
              TTextFormat{TTextFormats::tfSingleLine, TTextFormats::tfEndEllipsis, TTextFormats::tfModifyString});
  EXPECT_LT(longText.size(), String(u"A caption much too long").size());
  EXPECT_EQ(longText.substr(longText.size() - 3), u"...");
  EXPECT_LE(c->TextWidth(longText), 70);
  c->SetTextFlags(ETO_CLIPPED);
  EXPECT_EQ(c->TextFlags(), Integer(ETO_CLIPPED));
}

}  // namespace t_canvas_text_test
