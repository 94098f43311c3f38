// The markup renderer against measurements of the same font on the same
// canvas (a random-markup property test against a plain model of lines
// and styled runs, and the documented edge cases), ink probes for colours
// and placement; the HTML label sized, hovered, clicked and disabled
// through the input driver.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_html_label_test {

using namespace qn;

namespace {

class HtmlCanvas : public usertest::ServerTest {
 protected:
  void SetUp() override {
    usertest::ServerTest::SetUp();
    B = std::make_unique<TBitmap32>();
    B->SetSize(400, 200);
    C()->Font()->SetName(u"Tahoma");
    C()->Font()->SetSize(12);
    C()->Font()->SetColor(clBlack);
  }
  void TearDown() override {
    B.reset();
    FreeDeviceContexts();
    usertest::ServerTest::TearDown();
  }
  TCanvas* C() { return B->Canvas(); }
  // The width of Text on the canvas with Style and Size (0: the base size).
  Integer W(const String& Text, TFontStyles Style = {}, Integer Size = 0) {
    TFont keep;
    keep.Assign(C()->Font());
    C()->Font()->SetStyle(Style);
    if (Size) C()->Font()->SetSize(Size);
    const Integer w = C()->TextWidth(Text);
    C()->Font()->Assign(&keep);
    return w;
  }
  Integer LineH() { return C()->TextHeight(String()); }
  Integer Width(const String& Html, TOwnerDrawState State = {}) {
    return HTMLTextWidth(C(), TRect(0, 0, 0, 0), State, Html, DefaultSuperSubScriptRatio, clRed);
  }
  Integer Height(const String& Html) { return HTMLTextHeight(C(), Html, DefaultSuperSubScriptRatio, clRed); }
  // Draws on white and answers the ink's bounding box and whether a pixel
  // of exactly Colour is among the ink.
  TRect Draw(const String& Html, TOwnerDrawState State = {}, Integer X = 0, Integer Y = 0) {
    B->Clear(Color32(255, 255, 255, 255));
    C()->Brush()->SetStyle(TBrushStyle::bsClear);
    HTMLDrawTextHL(C(), TRect(10, 10, 390, 190), State, Html, X, Y, DefaultSuperSubScriptRatio, clRed, 100);
    TRect box(1000, 1000, -1, -1);
    for (Integer y = 0; y < B->Height(); ++y)
      for (Integer x = 0; x < B->Width(); ++x)
        if ((B->GetPixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          box.Left = std::min(box.Left, x);
          box.Top = std::min(box.Top, y);
          box.Right = std::max(box.Right, x + 1);
          box.Bottom = std::max(box.Bottom, y + 1);
        }
    return box;
  }
  // Whether a pixel of exactly this colour (a TColor) lies in R.
  bool HasInk(TColor Colour, const TRect& R) {
    const TColor32 want = Color32(ColorToRGB(Colour)) & 0xFFFFFF;
    for (Integer y = std::max(0, R.Top); y < std::min(B->Height(), R.Bottom); ++y)
      for (Integer x = std::max(0, R.Left); x < std::min(B->Width(), R.Right); ++x)
        if ((B->GetPixel(x, y) & 0xFFFFFF) == want) return true;
    return false;
  }
  std::unique_ptr<TBitmap32> B;
};

using uQuarnHtmlLabel = HtmlCanvas;

TEST_F(uQuarnHtmlLabel, LinesEntitiesAndLoneAngles) {
  const Integer lh = LineH();
  // BR breaks the line, a source line break does not.
  EXPECT_EQ(Height(u"a<br>b"), 2 * lh + 1);
  EXPECT_EQ(Height(u"a\r\nb"), lh + 1);
  EXPECT_EQ(Width(u"a\r\nb"), W(u"ab"));
  EXPECT_EQ(Height(String()), lh + 1);
  // Escaped angles never open a tag: "<b>" in the normal weight.
  EXPECT_EQ(Width(u"&lt;b&gt;"), W(u"<b>"));
  EXPECT_NE(W(u"<b>"), W(u"<b>", TFontStyles{TFontStyle::fsBold}));
  // The ampersand goes first, so its entity can spell another one.
  EXPECT_EQ(HTMLPrepareText(u"&amp;quot;&AMP;reg;&copy;&trade;&euro;&nbsp;"), u"\"\u00AE\u00A9\u2122\u20AC ");
  EXPECT_EQ(HTMLPrepareText(u"x<hr>y<Br>z"), u"x<HR>\r\ny\r\nz");
  // A "<" that nothing closes hides itself and nothing more.
  EXPECT_EQ(Width(u"a<b"), W(u"ab"));
  EXPECT_EQ(Width(u"<"), 0);
  // The widest line wins.
  EXPECT_EQ(Width(u"aa<br>aaaa<br>a"), W(u"aaaa"));
  // Support routines.
  String s = u"ab<i>c";
  String before;
  HTMLBeforeTag(s, true, before);
  EXPECT_EQ(before, u"ab");
  EXPECT_EQ(s, u"<i>c");
  EXPECT_EQ(HTMLDeleteTag(s), u"c");
  EXPECT_EQ(HTMLDeleteTag(u"x<i>"), u"x<i>");
  EXPECT_EQ(GetChar(u"ab", 2, true), u'B');
  EXPECT_EQ(GetChar(u"ab", 3, false), u' ');
  EXPECT_EQ(CanvasMaxTextHeight(C()), lh);
}

TEST_F(uQuarnHtmlLabel, FontSizesCompoundAndStayInRange) {
  const Integer size = C()->Font()->Size();
  // SIZE=4 doubles one word; after </FONT> the size is back.
  EXPECT_EQ(Width(u"<font size=4>W</font>x"), W(u"W", {}, 2 * size) + W(u"x"));
  EXPECT_EQ(C()->Font()->Size(), size);
  // Nested fonts compound.
  EXPECT_EQ(Width(u"<font size=4><font size=4>W"), W(u"W", {}, 4 * size));
  C()->Font()->SetSize(size);
  // A later quoted attribute lends its value to an earlier unquoted one:
  // SIZE reads "clRed", which is no number, so the size stays.
  EXPECT_EQ(Width(u"<font size=1 color=\"clRed\">W"), W(u"W"));
  EXPECT_EQ(Width(u"<font size=1 color=clRed>W"), W(u"W", {}, size / 2));
  C()->Font()->SetSize(size);
  // Huge sizes and endless halving stay inside [1, 1638]; an unclosed
  // FONT leaves the canvas at that size.
  Width(u"<font size=2000000000>W");
  EXPECT_EQ(C()->Font()->Size(), 1638);
  Width(u"<font size=2000000000><font size=2000000000>W");
  EXPECT_EQ(C()->Font()->Size(), 1638);
  String halving;
  for (int i = 0; i < 40; ++i) halving += u"<font size=1>";
  Width(halving + u"W");
  EXPECT_EQ(C()->Font()->Size(), 1);
  Width(u"<font size=-7>W");
  EXPECT_EQ(C()->Font()->Size(), 1);
  C()->Font()->SetSize(size);
  // Superscript runs at two thirds of the size, at the line top.
  EXPECT_EQ(Width(u"<sup>8</sup>"), W(u"8", {}, Integer(Round(size * 2.0 / 3.0))));
  const TRect full = Draw(u"8");
  const TRect sup = Draw(u"<sup>8</sup>");
  EXPECT_LT(sup.Height(), full.Height());
  EXPECT_LE(sup.Top, full.Top);
  EXPECT_LT(sup.Bottom, full.Bottom);
}

TEST_F(uQuarnHtmlLabel, ColoursLinksAndPlainMode) {
  // #0000FF and $0000FF are the same colour, read in BBGGRR order: red.
  Draw(u"<font color=#0000FF>WWW</font>");
  EXPECT_TRUE(HasInk(static_cast<TColor>(0x000000FF), TRect(0, 0, 400, 200)));
  Draw(u"<font color=$0000FF>WWW</font>");
  EXPECT_TRUE(HasInk(static_cast<TColor>(0x000000FF), TRect(0, 0, 400, 200)));
  // An unreadable colour keeps the text colour and the paint goes on.
  Draw(u"<font color=#zz>WWW</font><b>WWW</b>");
  EXPECT_TRUE(HasInk(clBlack, TRect(0, 0, 400, 200)));
  EXPECT_FALSE(HasInk(static_cast<TColor>(0x000000FF), TRect(0, 0, 400, 200)));

  // A link is blue; a hit turns the run under the point and the rest of
  // the link into the hot colour, up to </A>.
  const String html = u"<a href=\"File.TXT\">WWW<b>WWW</b></a> WWW";
  const Integer first = W(u"WWW"), second = W(u"WWW", TFontStyles{TFontStyle::fsBold});
  Draw(html);
  EXPECT_TRUE(HasInk(clBlue, TRect(10, 10, 10 + first + second, 40)));
  EXPECT_FALSE(HasInk(clRed, TRect(0, 0, 400, 200)));
  Draw(html, {}, 12, 15);
  EXPECT_TRUE(HasInk(clRed, TRect(10 + first, 10, 10 + first + second, 40)));
  EXPECT_FALSE(HasInk(clBlue, TRect(10, 10, 10 + first + second, 40)));
  // After the link the font is the saved one again.
  EXPECT_TRUE(HasInk(clBlack, TRect(10 + first + second + 1, 10, 400, 40)));

  // The hit test is inclusive on every side; (0, 0) never hits.
  String link;
  EXPECT_TRUE(IsHyperLink(C(), TRect(0, 0, 0, 0), html, first + second, LineH(), link, clRed));
  EXPECT_EQ(link, u"File.TXT");
  EXPECT_FALSE(IsHyperLink(C(), TRect(0, 0, 0, 0), html, first + second + 1, 1, link, clRed));
  EXPECT_FALSE(IsHyperLink(C(), TRect(0, 0, 0, 0), html, 0, 0, link, clRed));
  EXPECT_TRUE(IsHyperLink(C(), TRect(0, 0, 0, 0), html, 1, 0, link, clRed));
  EXPECT_TRUE(link.empty() == false);

  // Plain mode: no blue link, no FONT colour, rules in the font colour.
  const TOwnerDrawState disabled{TOwnerDrawStateItem::odDisabled};
  C()->Font()->SetColor(clGray);
  Draw(u"<a href=x>WWW</a><font color=clRed>WWW</font><hr>", disabled);
  EXPECT_FALSE(HasInk(clBlue, TRect(0, 0, 400, 200)));
  EXPECT_FALSE(HasInk(clRed, TRect(0, 0, 400, 200)));
  const Integer ruleY = 10 + LineH();
  EXPECT_TRUE(HasInk(clGray, TRect(10, ruleY, 390, ruleY + 1)));
  // Rule thickness scales with Percent under odReserved1.
  C()->Pen()->SetColor(clGreen);
  Integer ys = 0, xs = 0;
  bool hit = false;
  HTMLDrawTextEx(C(), TRect(0, 0, 100, 100), {}, u"<hr size=4>", xs, ys, htmlCalcHeight, 0, 0, hit, link,
                 DefaultSuperSubScriptRatio, clRed, 50);
  const Integer plainRule = ys;
  HTMLDrawTextEx(C(), TRect(0, 0, 100, 100), TOwnerDrawState{TOwnerDrawStateItem::odReserved1}, u"<hr size=4>", xs,
                 ys, htmlCalcHeight, 0, 0, hit, link, DefaultSuperSubScriptRatio, clRed, 50);
  EXPECT_EQ(plainRule - ys, 2);
  // A rule: its thickness + 1 and a line end; a bare "<HR>" also brings
  // a line break of its own.
  EXPECT_EQ(plainRule, 2 * LineH() + 5);
  EXPECT_EQ(Height(u"<hr>"), 3 * LineH() + 2 + 1);
}

// Random markup of words, style tags, breaks and escaped angles against a
// plain model: lines split at BR, each run measured in its style.
TEST_F(uQuarnHtmlLabel, RandomMarkupMatchesRunModel) {
  std::mt19937 rng(4711);
  const String words[] = {u"ab", u"Wq", u"x y", u"&lt;", u"&gt;", u"1", u"ii"};
  for (int round = 0; round < 150; ++round) {
    String html;
    bool bold = false, italic = false;
    std::vector<Integer> lineWidths{0};
    const int parts = 1 + int(rng() % 12);
    for (int i = 0; i < parts; ++i) {
      switch (rng() % 5) {
        case 0:
          html += bold ? u"</b>" : u"<b>";
          bold = !bold;
          break;
        case 1:
          html += italic ? u"</I>" : u"<I>";
          italic = !italic;
          break;
        case 2:
          html += u"<br>";
          lineWidths.push_back(0);
          break;
        default: {
          const String w = words[rng() % 7];
          html += w;
          String shown = StringReplace(StringReplace(w, u"&lt;", u"<", {}), u"&gt;", u">", {});
          TFontStyles st;
          if (bold) st.Include(TFontStyle::fsBold);
          if (italic) st.Include(TFontStyle::fsItalic);
          // Adjacent text forms one run between two tags.
          lineWidths.back() += W(shown, st);
          break;
        }
      }
    }
    // The model measures word by word; the renderer measures whole runs,
    // which is the same sum for this font's integer advances.
    Integer widest = 0;
    for (Integer w : lineWidths) widest = std::max(widest, w);
    SCOPED_TRACE(std::string(html.begin(), html.end()));
    EXPECT_EQ(Width(html), widest);
    EXPECT_EQ(Height(html), Integer(lineWidths.size()) * LineH() + 1);
    EXPECT_TRUE(C()->Font()->Style().Empty());
  }
}

// ---------------------------------------------------------------------------
// The label

class TCountingHtmlLabel : public TQuarnHtmlLabel {
  QN_CLASS(TCountingHtmlLabel, TQuarnHtmlLabel)
 public:
  explicit TCountingHtmlLabel(TComponent* AOwner) : TQuarnHtmlLabel(AOwner) {}
  Integer Paints = 0;

 protected:
  void PaintText(TBitmap32* Buffer) override {
    ++Paints;
    TQuarnHtmlLabel::PaintText(Buffer);
  }
};

class uQuarnHtmlLabelControl : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(100, 100, 400, 200);
    FForm->SetColor(clWhite);
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    FForm.reset();
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }
  TCountingHtmlLabel* Label(const String& Caption) {
    auto* l = new TCountingHtmlLabel(FForm.get());
    l->SetParent(FForm.get());
    l->SetLeft(20);
    l->SetTop(30);
    l->Font()->SetSize(12);
    l->SetCaption(Caption);
    usertest::Pump();
    return l;
  }
  void MoveTo(TControl* L, Integer X, Integer Y) {
    const TPoint p = L->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    usertest::Pump();
  }
  void Click(int Button) {
    InputMouseDown(Button);
    usertest::Pump();
    InputMouseUp(Button);
    usertest::Pump();
  }
  Integer TextW(TFont* F, const String& S, TFontStyles Style = {}) {
    TBitmap32 b;
    b.SetSize(4, 4);
    b.Canvas()->Font()->Assign(F);
    b.Canvas()->Font()->SetStyle(Style);
    return b.Canvas()->TextWidth(S);
  }
  std::unique_ptr<TForm> FForm;
};

TEST_F(uQuarnHtmlLabelControl, SizesToTheRenderedBlock) {
  auto* l = Label(u"<b>Total</b><br>12 &euro; <i>net</i>");
  TBitmap32 b;
  b.SetSize(4, 4);
  b.Canvas()->Font()->Assign(l->Font());
  const Integer w = ItemHTWidth(b.Canvas(), TRect(0, 0, 0, 0), {}, l->Caption(), DefaultSuperSubScriptRatio, clRed);
  const Integer h = ItemHTHeight(b.Canvas(), l->Caption(), DefaultSuperSubScriptRatio, clRed);
  EXPECT_EQ(l->Width(), w);
  EXPECT_EQ(l->Height(), h);
  EXPECT_EQ(l->Height(), 2 * b.Canvas()->TextHeight(String()) + 1);
  // An unclosed FONT leaves the canvas enlarged; every pass of the label
  // starts from its own font again, so height and width are measured as
  // two independent calls would measure them.
  l->SetCaption(u"a<font size=4>b");
  b.Canvas()->Font()->Assign(l->Font());
  const Integer fw = ItemHTWidth(b.Canvas(), TRect(0, 0, 0, 0), {}, l->Caption(), DefaultSuperSubScriptRatio, clRed);
  b.Canvas()->Font()->Assign(l->Font());
  const Integer fh = ItemHTHeight(b.Canvas(), l->Caption(), DefaultSuperSubScriptRatio, clRed);
  EXPECT_EQ(l->Width(), fw);
  EXPECT_EQ(l->Height(), fh);
  l->Invalidate();
  usertest::Pump();
  EXPECT_EQ(l->Height(), fh);
  // A bold label font does not leak into the measurement: styles come
  // from the markup only.
  l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  l->SetCaption(u"plain");
  EXPECT_EQ(l->Width(), TextW(l->Font(), u"plain"));
  // Off and on again re-fits.
  l->SetAutoSize(false);
  l->SetBounds(20, 30, 300, 60);
  l->SetAutoSize(true);
  EXPECT_EQ(l->Width(), TextW(l->Font(), u"plain"));
  // Centred: the block, not each line, is centred.
  l->SetAutoSize(false);
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  l->SetCaption(u"a<br>wide line");
  l->SetBounds(20, 30, 300, 80);
  usertest::Pump();
  const Integer bw = TextW(l->Font(), u"wide line");
  b.Canvas()->Font()->Assign(l->Font());
  b.Canvas()->Font()->SetStyle({});
  EXPECT_EQ(l->LayoutRect().Left, (300 - bw) / 2);
  EXPECT_EQ(l->LayoutRect().Top, (80 - (2 * b.Canvas()->TextHeight(String()) + 1)) / 2);
}

TEST_F(uQuarnHtmlLabelControl, LinksHoverClickAndCursor) {
  auto* l = Label(u"see <a href=\"notes.txt\">one</a><a href=\"two.txt\">two</a> end");
  std::vector<String> clicks;
  l->SetOnHyperLinkClick([&](TObject*, String Link) { clicks.push_back(Link); });
  const Integer see = TextW(l->Font(), u"see "), one = TextW(l->Font(), u"one");
  const Integer y = l->Height() / 2;

  MoveTo(l, 2, y);
  EXPECT_FALSE(l->HyperlinkHovered());
  EXPECT_EQ(l->Cursor(), crDefault);
  const Integer before = l->Paints;
  MoveTo(l, see + 2, y);
  EXPECT_TRUE(l->HyperlinkHovered());
  EXPECT_EQ(l->Cursor(), crHandPoint);
  EXPECT_EQ(l->Paints, before + 1);
  // Within the same link: no repaint.
  MoveTo(l, see + 4, y);
  EXPECT_EQ(l->Paints, before + 1);
  // To the adjacent link: one repaint although the flag stays set.
  MoveTo(l, see + one + 3, y);
  EXPECT_TRUE(l->HyperlinkHovered());
  EXPECT_EQ(l->Paints, before + 2);

  Click(VK_LBUTTON);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], u"two.txt");
  // Only the chosen buttons click links.
  l->SetHyperLinkMouseButtons(TQuarnHTLabelMouseButtons{mbRight});
  MoveTo(l, see + 2, y);
  Click(VK_LBUTTON);
  EXPECT_EQ(clicks.size(), 1u);
  Click(VK_RBUTTON);
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[1], u"notes.txt");

  // The hovered link is drawn in the hot colour on the screen.
  l->SetHyperLinkFontHotColor(static_cast<TColor>(0x0000C000));
  MoveTo(l, see + one + 3, y);
  MoveTo(l, see + 2, y);
  usertest::Pump();
  TScreenImage shot = CaptureScreen();
  const TPoint o = l->ClientToScreen(TPoint(0, 0));
  bool hot = false, blue = false;
  for (Integer yy = 0; yy < l->Height(); ++yy)
    for (Integer xx = see; xx < see + one; ++xx) hot |= (shot.Pixel(o.X + xx, o.Y + yy) & 0xFFFFFF) == 0x00C000;
  for (Integer yy = 0; yy < l->Height(); ++yy)
    for (Integer xx = see + one + 1; xx < see + 2 * one; ++xx)
      blue |= (shot.Pixel(o.X + xx, o.Y + yy) & 0xFFFFFF) == 0x0000FF;
  EXPECT_TRUE(hot);
  EXPECT_TRUE(blue);

  // Leaving clears the hover.
  MoveTo(FForm.get(), 390, 190);
  EXPECT_FALSE(l->HyperlinkHovered());
}

TEST_F(uQuarnHtmlLabelControl, DisabledIsEmbossedAndFormFileKeepsAlpha) {
  auto* l = Label(u"<a href=x>III</a>");
  l->SetEnabled(false);
  l->Invalidate();
  usertest::Pump();
  TScreenImage shot = CaptureScreen();
  const TPoint o = l->ClientToScreen(TPoint(0, 0));
  const uint32_t shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  const auto rgb = [](uint32_t bgr) { return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF); };
  Integer shadowAt = -1, lightAt = -1;
  for (Integer x = 0; x < l->Width() && (shadowAt < 0 || lightAt < 0); ++x)
    for (Integer yy = 0; yy < l->Height(); ++yy) {
      const uint32_t p = shot.Pixel(o.X + x, o.Y + yy) & 0xFFFFFF;
      if (shadowAt < 0 && p == rgb(shadow)) shadowAt = x;
      if (lightAt < 0 && p == rgb(light) && light != 0xFFFFFF) lightAt = x;
    }
  ASSERT_GE(shadowAt, 0);
  // The highlight copy is one pixel right of the shadow copy (on white it
  // may vanish; the shadow must be there, and no link blue).
  if (lightAt >= 0) {
    EXPECT_EQ(lightAt, shadowAt + 1);
  }
  bool anyBlue = false;
  for (Integer x = 0; x < l->Width(); ++x)
    for (Integer yy = 0; yy < l->Height(); ++yy) anyBlue |= (shot.Pixel(o.X + x, o.Y + yy) & 0xFFFFFF) == 0x0000FF;
  EXPECT_FALSE(anyBlue);

  // Alpha is written whatever its value, so 192 survives a round trip.
  TQuarnHtmlLabel src(nullptr);
  src.SetName(u"L");
  src.SetAlpha(192);
  src.SetHyperLinkMouseButtons(TQuarnHTLabelMouseButtons{mbLeft, mbRight});
  const std::string text = ComponentToText(&src);
  EXPECT_NE(text.find("Alpha = 192"), std::string::npos) << text;
  EXPECT_NE(text.find("HyperLinkMouseButtons = [mbLeft, mbRight]"), std::string::npos) << text;
  TQuarnHtmlLabel dst(nullptr);
  TextToComponent(text, &dst);
  EXPECT_EQ(dst.Alpha(), 192);
  EXPECT_EQ(dst.HyperLinkMouseButtons(), (TQuarnHTLabelMouseButtons{mbLeft, mbRight}));
}

}  // namespace

}  // namespace t_u_quarn_html_label_test
