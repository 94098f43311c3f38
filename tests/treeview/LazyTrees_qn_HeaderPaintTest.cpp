#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "examples/gallery/TreeHeaderSheet.h"
#include "platform/theme/UxTheme.h"
#include "tests/common/Golden.h"
#include "tests/common/TestSupport.h"

namespace t_lazy_trees_qn_header_paint_test {

using namespace qn;
using gallery::THeaderDemoTree;

namespace {

class LazyTrees_qn_HeaderPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    // Theme handles from before the reset are stale.
    ThemeServices()->ApplyThemeChange();
    Images = std::make_unique<TCustomImageList>(nullptr);
    Images->SetSize(16, 16);
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(16, 16);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images->AddMasked(&b, clFuchsia);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 640, 300);
  }
  void TearDown() override {
    Form.reset();
    ResetThemes();
  }
  THeaderDemoTree* MakeTree(std::initializer_list<const char16_t*> Captions, Integer Width = 100) {
    auto* t = new THeaderDemoTree(Form.get());
    t->SetParent(Form.get());
    t->SetBounds(0, 0, 500, 80);
    t->ScrollBarOptions()->SetScrollBars(ssNone);
    t->SetBorderStyle(bsNone);
    t->Header()->Font()->SetName(u"DejaVu Sans");
    t->Header()->Font()->SetSize(8);
    t->Header()->SetImages(Images.get());
    for (const char16_t* c : Captions) {
      TLazyTreeColumn* col = t->Header()->Columns()->Add();
      col->SetText(c);
      col->SetWidth(Width);
    }
    Form->Show();
    t->HandleNeeded();
    t->ApplyThemes();
    return t;
  }
  // The header painted alone into a bitmap of its own.
  std::unique_ptr<TBitmap> Paint(THeaderDemoTree* T, Integer Width = 320) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(Width, T->Header()->Height());
    T->Header()->Columns()->PaintHeader(b->Canvas(), TRect(0, 0, Width, T->Header()->Height()), TPoint(0, 0));
    return b;
  }
  static COLORREF Pixel(TBitmap* B, Integer X, Integer Y) { return GetPixel(B->Canvas()->Handle(), X, Y) & 0xFFFFFF; }
  // The box around the dark (text) pixels inside R.
  static TRect DarkBox(TBitmap* B, const TRect& R) {
    TRect box(R.Right, R.Bottom, R.Left, R.Top);
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) {
        COLORREF p = Pixel(B, x, y);
        if (GetRValue(p) + GetGValue(p) + GetBValue(p) < 200) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
      }
    return box;
  }

  std::unique_ptr<TCustomImageList> Images;
  std::unique_ptr<TForm> Form;
};

// ---------------------------------------------------------------------------
// Layout

struct TLayoutCase {
  TAlignment Align;
  TVTHeaderColumnLayout Layout;
  bool Sort;
  bool RTL;
  TPoint Glyph;
  Integer SortX;
  TRect Text;
};

TEST_F(LazyTrees_qn_HeaderPaint, LayoutPlacesGlyphSortGlyphAndText) {
  THeaderDemoTree* t = MakeTree({u"Name", u"Other"});
  TLazyTreeColumn* col = t->Header()->Columns()->Items(0);
  ASSERT_EQ(t->Header()->MainColumn(), 0);
  auto bmp = Paint(t);
  HDC dc = bmp->Canvas()->Handle();
  SIZE ext{};
  GetTextExtentPoint32W(dc, u"Name", 4, &ext);
  // The worked numbers below are for this extent of "Name": TW = 35 with
  // the two extra pixels, TH = 13.
  ASSERT_EQ(ext.cx, 33);
  ASSERT_EQ(ext.cy, 13);
  ASSERT_EQ(UtilityImages()->Width(), 16);
  // Client 100 x 19 at (10, 5); margin 4, spacing 3, glyph 16 x 16; text
  // top (19 - 13) div 2 = 3, glyph and sort glyph top 1 (left/right
  // layouts).
  const TLayoutCase cases[] = {
      // Left: glyph at the margin, text after it, sort glyph after the text
      // (x 4 + 16 + 3 + 35 + 3 = 61).
      {taLeftJustify, blGlyphLeft, false, false, {14, 6}, 0, {33, 8, 68, 21}},
      {taLeftJustify, blGlyphLeft, true, false, {14, 6}, 71, {33, 8, 68, 21}},
      // Glyph right of the text: text 4..39, glyph at 42, sort glyph at 61.
      {taLeftJustify, blGlyphRight, true, false, {52, 6}, 71, {14, 8, 49, 21}},
      // Glyph on top: text at 4, glyph centred at 42; they take 19 + 3 + 13
      // rows: glyph top (19 - 16 - 13 - 3) div 2 = -6, text top 13.
      {taLeftJustify, blGlyphTop, true, false, {52, -1}, 71, {14, 18, 49, 31}},
      {taLeftJustify, blGlyphBottom, false, false, {52, 15}, 0, {14, -1, 49, 12}},
      // Centre: (100 - 16 - 3 - 35) div 2 = 23: glyph 23, text 42..77, sort
      // glyph 3 after the right end at 80.
      {taCenter, blGlyphLeft, true, false, {33, 6}, 90, {52, 8, 87, 21}},
      // Right: sort glyph at 96 - 16 = 80, then glyph 61, text 23..58.
      {taRightJustify, blGlyphRight, true, false, {71, 6}, 90, {33, 8, 68, 21}},
      {taRightJustify, blGlyphLeft, true, false, {33, 6}, 90, {52, 8, 87, 21}},
      // Right to left mirrors the alignment: a left caption is laid out from
      // the right (text 61, glyph 42) with the sort glyph last, left of the
      // glyph at 23; the glyph then keeps the text right of 61.
      {taLeftJustify, blGlyphLeft, true, true, {52, 6}, 33, {71, 8, 106, 21}},
      // A right caption starts at the left margin with the sort glyph (4),
      // then glyph 23 and text 42.
      {taRightJustify, blGlyphLeft, true, true, {33, 6}, 14, {52, 8, 87, 21}},
  };
  for (const TLayoutCase& k : cases) {
    SCOPED_TRACE(testing::Message() << "align " << int(k.Align) << " layout " << int(k.Layout) << " sort " << k.Sort
                                    << " rtl " << k.RTL);
    col->SetAlignment(k.Align);
    col->SetLayout(k.Layout);
    col->SetOptions(col->Options() - TVTColumnOptions{coParentBidiMode});
    col->SetBiDiMode(k.RTL ? bdRightToLeft : bdLeftToRight);
    TPoint glyph, sort;
    TSize sortSize;
    TRect text;
    col->ComputeHeaderLayout(dc, TRect(10, 5, 110, 24), true, k.Sort, glyph, sort, sortSize, text, DT_NOPREFIX);
    EXPECT_EQ(glyph.X, k.Glyph.X);
    EXPECT_EQ(glyph.Y, k.Glyph.Y);
    if (k.Sort) {
      EXPECT_EQ(sort.X, k.SortX);
      EXPECT_EQ(sort.Y, 6);
      EXPECT_EQ(sortSize.cx, 16);
    }
    EXPECT_EQ(text.Left, k.Text.Left);
    EXPECT_EQ(text.Top, k.Text.Top);
    EXPECT_EQ(text.Right, k.Text.Right);
    EXPECT_EQ(text.Bottom, k.Text.Bottom);
  }

  // Glyphs line up with the node images: 2 pixels back outside the main
  // column, and for a main column's check box 4 with toShowRoot (2
  // without); a main column's image stays.
  col->SetBiDiMode(bdLeftToRight);
  col->SetAlignment(taLeftJustify);
  col->SetLayout(blGlyphLeft);
  TLazyTreeColumn* other = t->Header()->Columns()->Items(1);
  TPoint glyph, sort;
  TSize sortSize;
  TRect text;
  other->ComputeHeaderLayout(dc, TRect(10, 5, 110, 24), true, false, glyph, sort, sortSize, text, DT_NOPREFIX);
  EXPECT_EQ(glyph.X, 12);
  t->SetCustomCheckImages(Images.get());
  t->SetCheckImageKind(ckCustom);
  col->SetCheckBox(true);
  col->ComputeHeaderLayout(dc, TRect(10, 5, 110, 24), true, false, glyph, sort, sortSize, text, DT_NOPREFIX);
  EXPECT_EQ(glyph.X, 10);
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - TVTPaintOptions{toShowRoot});
  col->ComputeHeaderLayout(dc, TRect(10, 5, 110, 24), true, false, glyph, sort, sortSize, text, DT_NOPREFIX);
  EXPECT_EQ(glyph.X, 12);
  // Only a sort glyph: centred both ways.
  col->SetText(u"");
  col->ComputeHeaderLayout(dc, TRect(10, 5, 110, 24), false, true, glyph, sort, sortSize, text, DT_NOPREFIX);
  EXPECT_EQ(sort.X, 52);
  EXPECT_EQ(sort.Y, 6);
}

// ---------------------------------------------------------------------------
// Faces

TEST_F(LazyTrees_qn_HeaderPaint, RightBorderRule) {
  THeaderDemoTree* t = MakeTree({u"", u""});
  t->SetBevelKind(bkFlat);
  TVTHeader* h = t->Header();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoAutoResize});
  h->SetAutoSizeIndex(0);
  TLazyTreeColumn* first = h->Columns()->Items(0);
  TLazyTreeColumn* last = h->Columns()->Items(1);
  Integer r0 = first->Left() + first->Width(), r1 = last->Left() + last->Width();
  ASSERT_LT(r0, r1);
  const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
  Integer mid = h->Height() / 2;
  h->SetStyle(hsFlatButtons);
  auto flat = Paint(t, r1);
  EXPECT_NE(Pixel(flat.get(), r0 - 1, mid), face) << "the first column keeps its right edge";
  EXPECT_EQ(Pixel(flat.get(), r1 - 1, mid), face) << "the frame stands where the last edge would";
  h->SetStyle(hsThickButtons);
  auto thick = Paint(t, r1);
  EXPECT_NE(Pixel(thick.get(), r1 - 1, mid), face);
  // Without a bevel the flat last column has its edge again.
  h->SetStyle(hsFlatButtons);
  t->SetBevelKind(bkNone);
  // The wider client gives the auto-size column the room: the last edge moves.
  r1 = last->Left() + last->Width();
  auto plain = Paint(t, r1);
  EXPECT_NE(Pixel(plain.get(), r1 - 1, mid), face);
}

TEST_F(LazyTrees_qn_HeaderPaint, PressedCellsShiftUnlessTheCheckBoxWasHit) {
  THeaderDemoTree* t = MakeTree({u"Caption", u"x"}, 120);
  TVTHeader* h = t->Header();
  h->SetStyle(hsFlatButtons);
  h->SetHeight(22);
  TRect inner(3, 3, 117, 19);
  auto normal = Paint(t);
  TRect a = DarkBox(normal.get(), inner);
  ASSERT_LT(a.Left, a.Right);
  TLazyTreeColumnsAccess::SetDown(h->Columns(), 0);
  auto pressed = Paint(t);
  TRect b = DarkBox(pressed.get(), inner);
  EXPECT_EQ(b.Left, a.Left + 1);
  EXPECT_EQ(b.Top, a.Top + 1);
  EXPECT_EQ(b.Right, a.Right + 1);
  EXPECT_EQ(b.Bottom, a.Bottom + 1);
  // The face is sunk: the top-left corner is in the shadow colour.
  EXPECT_EQ(Pixel(pressed.get(), 0, 5), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
  // A press that began on the check box leaves the cell as it was.
  TLazyTreeColumnsAccess::SetDown(h->Columns(), 0, true);
  auto onCheck = Paint(t);
  for (Integer y = 0; y < 22; ++y)
    for (Integer x = 0; x < 120; ++x) ASSERT_EQ(Pixel(onCheck.get(), x, y), Pixel(normal.get(), x, y));
}

TEST_F(LazyTrees_qn_HeaderPaint, NarrowColumnDropsTheImageBeforeTheSortGlyph) {
  THeaderDemoTree* t = MakeTree({u"Name", u"x"}, 40);
  TVTHeader* h = t->Header();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoShowImages});
  TLazyTreeColumn* c = h->Columns()->Items(0);
  c->SetImageIndex(0);
  Paint(t);
  EXPECT_TRUE(c->HasImage());
  // Cell 0..40 less 2 all round, the margin 4; a main column's image stays.
  EXPECT_EQ(c->ImageRect(), TRect(6, 2, 22, 18));
  h->SetSortColumn(0);
  auto b = Paint(t);
  EXPECT_FALSE(c->HasImage()) << "the image would run into the sort glyph";
  for (Integer x = 6; x < 18; ++x) EXPECT_NE(Pixel(b.get(), x, 9), COLORREF(0x0000FF)) << x;
}

TEST_F(LazyTrees_qn_HeaderPaint, AdvancedOwnerDrawGetsTheRequestedElements) {
  THeaderDemoTree* t = MakeTree({u"Caption", u"Other"}, 120);
  TVTHeader* h = t->Header();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoOwnerDraw});
  struct TCall {
    TLazyTreeColumn* Column;
    THeaderPaintElements Elements;
    TRect Text;
  };
  std::vector<TCall> calls;
  t->OnHeaderDrawQueryElements = [](TVTHeader*, THeaderPaintInfo& Info, THeaderPaintElements& Elements) {
    if (Info.Column && Info.Column->Index() == 0) Elements = {hpeText};
  };
  t->OnAdvancedHeaderDraw = [&](TVTHeader*, THeaderPaintInfo& Info, const THeaderPaintElements& Elements) {
    calls.push_back({Info.Column, Elements, Info.TextRectangle});
  };
  auto b = Paint(t);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Column, h->Columns()->Items(0));
  EXPECT_TRUE(calls[0].Elements == THeaderPaintElements{hpeText});
  // The text rectangle is computed: left-aligned after the 2-pixel inset
  // and the margin.
  EXPECT_EQ(calls[0].Text.Left, 6);
  EXPECT_GT(calls[0].Text.Width(), 20);
  TRect none = DarkBox(b.get(), TRect(3, 3, 117, h->Height() - 3));
  EXPECT_GE(none.Left, none.Right) << "the header drew no caption of its own";
  TRect other = DarkBox(b.get(), TRect(123, 3, 237, h->Height() - 3));
  EXPECT_LT(other.Left, other.Right);

  // Without the query event nothing is asked; with OnHeaderDraw a
  // vsOwnerDraw cell is the handler's alone.
  t->OnHeaderDrawQueryElements = TVTHeaderPaintQueryElementsEvent();
  calls.clear();
  int whole = 0;
  t->OnHeaderDraw = [&](TVTHeader*, TCanvas* Canvas, TLazyTreeColumn* Column, const TRect& R, bool, bool,
                        TVTDropMarkMode) {
    ++whole;
    EXPECT_EQ(Column->Index(), 1);
    Canvas->Brush()->SetColor(clLime);
    Canvas->FillRect(R);
  };
  h->Columns()->Items(1)->SetStyle(vsOwnerDraw);
  auto c = Paint(t);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(whole, 1);
  EXPECT_EQ(Pixel(c.get(), 180, 9), COLORREF(0x00FF00));
}

TEST_F(LazyTrees_qn_HeaderPaint, HeaderWithoutColumnsPaintsOnlyItsBackground) {
  THeaderDemoTree* t = MakeTree({});
  t->Header()->SetBackground(clAqua);
  auto b = Paint(t, 120);
  for (Integer y = 0; y < t->Header()->Height(); ++y)
    for (Integer x = 0; x < 120; ++x) ASSERT_EQ(Pixel(b.get(), x, y), COLORREF(0xFFFF00));
  // Themed: the theme's area right of the items.
  t->Themed = true;
  t->ApplyThemes();
  ClearThemeCallLog();
  Paint(t, 120);
  std::vector<TThemeCall> drawn;
  for (const TThemeCall& c : ThemeCallLog())
    if (c.Function == u"DrawThemeBackground") drawn.push_back(c);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].ClassName, u"HEADER");
  EXPECT_EQ(drawn[0].Part, HP_HEADERITEMRIGHT);
  EXPECT_EQ(drawn[0].State, HIS_NORMAL);
}

TEST_F(LazyTrees_qn_HeaderPaint, ThemedCellsDrawTheHeaderItemInTheirState) {
  THeaderDemoTree* t = MakeTree({u"A", u"B", u"C"}, 60);
  TVTHeader* h = t->Header();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoHotTrack});
  h->SetSortColumn(0);
  TLazyTreeColumnsAccess::SetHover(h->Columns(), 1);
  TLazyTreeColumnsAccess::SetDown(h->Columns(), 2);
  t->Themed = true;
  t->ApplyThemes();
  ClearThemeCallLog();
  Paint(t, 200);
  std::vector<std::pair<int, int>> items;
  for (const TThemeCall& c : ThemeCallLog())
    if (c.Function == u"DrawThemeBackground" && c.ClassName == u"HEADER") items.emplace_back(c.Part, c.State);
  std::vector<std::pair<int, int>> expected = {{HP_HEADERITEMRIGHT, HIS_NORMAL},
                                               {HP_HEADERITEM, HIS_NORMAL},
                                               {HP_HEADERITEM, HIS_HOT},
                                               {HP_HEADERITEM, HIS_PRESSED}};
  EXPECT_EQ(items, expected);
  // The explorer look draws the sort arrow from the theme as well.
  t->Explorer = true;
  t->ApplyThemes();
  ClearThemeCallLog();
  Paint(t, 200);
  bool arrow = false;
  for (const TThemeCall& c : ThemeCallLog())
    arrow |= c.Function == u"DrawThemeBackground" && c.Part == HP_HEADERSORTARROW && c.State == HSAS_SORTEDUP;
  EXPECT_TRUE(arrow);
}

// ---------------------------------------------------------------------------
// The header on screen

TEST_F(LazyTrees_qn_HeaderPaint, NonClientBandAndHitTest) {
  THeaderDemoTree* t = MakeTree({u"Name"});
  TVTHeader* h = t->Header();
  Integer full = t->ClientHeight();
  h->SetOptions(h->Options() + TVTHeaderOptions{hoVisible});
  EXPECT_EQ(t->ClientHeight(), full - h->Height());
  h->SetHeight(30);
  EXPECT_EQ(t->ClientHeight(), full - 30);
  RECT wr;
  GetWindowRect(t->Handle(), &wr);
  auto hit = [&](Integer x, Integer y) {
    return SendMessageW(t->Handle(), WM_NCHITTEST, 0, MAKELPARAM(wr.Left + x, wr.Top + y));
  };
  EXPECT_EQ(hit(10, 10), HTBORDER);
  EXPECT_EQ(hit(10, 40), HTCLIENT);
  // The header reaches the pixels: its face is painted in the window.
  Application->ProcessMessages();
  vcl::TScreenImage img = CaptureWindow(t->Handle());
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(img.Pixel(50, 0) & 0xFFFFFF,
            (uint32_t(GetRValue(light)) << 16) | (uint32_t(GetGValue(light)) << 8) | GetBValue(light))
      << "raised top edge";
  h->SetOptions(h->Options() - TVTHeaderOptions{hoVisible});
  EXPECT_EQ(t->ClientHeight(), full);
  EXPECT_EQ(hit(10, 10), HTCLIENT);
}

TEST_F(LazyTrees_qn_HeaderPaint, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeHeaderSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-header", 8, gallery::TTreeHeaderSheet::kWidth *
                                                           gallery::TTreeHeaderSheet::kHeight / 200);
}

}  // namespace

}  // namespace t_lazy_trees_qn_header_paint_test
