// The edit's picture against pictures made the long way: its text laid in
// runs against the same text laid a character at a time, and its kept frame
// against a freshly made edit in the same state, after state changes in a
// random order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_edit_paint_test {

using namespace qn;

namespace {

bool IsHigh(Char C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLow(Char C) { return C >= 0xDC00 && C <= 0xDFFF; }

// The simple way: every character drawn on its own, left to right from the
// first one shown, each at the sum of the advances before it, until one
// reaches the right margin. Unfocused, so without the caret.
class TCharByCharEdit : public TQuarnEdit {
 public:
  using TQuarnEdit::TQuarnEdit;
  void DrawTexts(TBitmap32* Buffer) override {
    const Integer y = FSpace->Active() ? FSpace->Top() : (Height() - GetTextHeight()) / 2;
    const TRect keep = Buffer->ClipRect();
    Buffer->SetClipRect(TRect(std::max(0, TextLeft()), 0, std::max(TextLeft(), TextRight()), Buffer->Height()));
    Integer x = TextLeft();
    const Integer len = Integer(FText.size());
    for (Integer i = FFirstDisplayChar; i <= len && x < TextRight();) {
      const Integer units = i < len && IsHigh(FText[size_t(i - 1)]) && IsLow(FText[size_t(i)]) ? 2 : 1;
      const String c = FText.substr(size_t(i - 1), size_t(units));
      TQuarnEdit::DrawText(Buffer, x, y, c, SelStart() < i && i <= SelStart() + SelLength());
      x += Measure(c);
      i += units;
    }
    Buffer->SetClipRect(keep);
  }
};

std::vector<TColor32> Pixels(TBitmap32* B) {
  return std::vector<TColor32>(B->Bits(), B->Bits() + B->Width() * B->Height());
}

// Where two pictures of one size differ (-1, -1 when they do not).
TPoint FirstDifference(const std::vector<TColor32>& A, const std::vector<TColor32>& B, Integer Width) {
  for (size_t i = 0; i < A.size() && i < B.size(); ++i)
    if (A[i] != B[i]) return TPoint(Integer(i) % Width, Integer(i) / Width);
  return TPoint(-1, -1);
}

class EditPaintTest : public skintest::RootTest {};
using uQuarnEdit_Paint = EditPaintTest;

String RandomText(std::mt19937& Rng, Integer Length) {
  // Narrow and wide letters, spaces, letters beyond Latin-1 and pairs.
  static const std::vector<String> pieces = {u"a", u"m", u"i", u"W", u"j", u" ", u"f", u"\u00e9", u"\u00df",
                                             u"\u03a9", u"\u0416", u"\u4e2d", u"\U0001F600", u"\U00010348", u"1",
                                             u"."};
  String s;
  while (Integer(s.size()) < Length) s += pieces[Rng() % pieces.size()];
  return s;
}

// Texts, fonts (italic ones lean past their advances), selections, scroll
// positions and the disabled look: the runs give the pixels of the single
// characters every time.
TEST_F(uQuarnEdit_Paint, RunsLayTheSamePixelsAsSingleCharacters) {
  std::mt19937 rng(105);
  auto* runs = Make<TQuarnEdit>(10, 10, 260, 28);
  auto* single = Make<TCharByCharEdit>(10, 60, 260, 28);
  using enum TFontStyle;
  const TFontStyles styles[] = {TFontStyles{}, TFontStyles{fsItalic}, TFontStyles{fsBold, fsItalic},
                                TFontStyles{fsUnderline}};
  for (int round = 0; round < 40; ++round) {
    const String text = RandomText(rng, 1 + Integer(rng() % 70));
    const TFontStyles style = styles[rng() % 4];
    const Integer size = 8 + Integer(rng() % 10);
    const Integer len = Integer(text.size());
    Integer selStart = Integer(rng() % (len + 1)), selLength = rng() % 3 ? 0 : Integer(rng() % (len - selStart + 1));
    // Never inside a pair.
    const auto onBoundary = [&](Integer p) {
      return p <= 0 || p >= len || !IsLow(text[size_t(p)]);
    };
    if (!onBoundary(selStart)) ++selStart;
    if (!onBoundary(selStart + selLength)) ++selLength;
    const bool enabled = rng() % 4 != 0;
    for (TQuarnEdit* e : {static_cast<TQuarnEdit*>(runs), static_cast<TQuarnEdit*>(single)}) {
      e->Font()->SetStyle(style);
      e->Font()->SetSize(size);
      e->SetEnabled(enabled);
      e->SetText(text);
      // The caret at the end scrolls a long text; the selection then shows
      // from where it lies.
      e->SetSelStart(len);
      e->SetSelStart(selStart);
      e->SetSelLength(selLength);
    }
    ASSERT_EQ(runs->FirstDisplayChar(), single->FirstDisplayChar());
    const std::vector<TColor32> a = Pixels(Picture(runs)), b = Pixels(Picture(single));
    const TPoint at = FirstDifference(a, b, runs->Width());
    EXPECT_TRUE(at.X < 0) << "differs at " << at.X << ", " << at.Y << " in round " << round << " size " << size
                          << " selection " << selStart << "+" << selLength << " text length " << len;
  }
}

// One edit lives through hover, focus, colour, border, size, enabling, text
// and parent-picture changes in a random order; after each, its picture is
// that of an edit made afresh in the same state at the same place.
TEST_F(uQuarnEdit_Paint, KeptFrameFollowsEveryChange) {
  ASSERT_TRUE(SkinCachesEnabled());
  // The form's picture is stripes whose phase a step moves.
  Integer phase = 0;
  FRoot->SetOnPaint([&](TObject*) {
    TCanvas* c = FRoot->Canvas();
    for (Integer x = -40; x < FRoot->ClientWidth(); x += 16) {
      c->Brush()->SetColor(static_cast<TColor>(0x00302010 + 0x000A0A0A * ((x / 16 + phase) & 7)));
      c->FillRect(TRect(x + phase, 0, x + phase + 16, FRoot->ClientHeight()));
    }
  });
  FRoot->Invalidate();
  usertest::Pump();
  auto* other = Make<TQuarnEdit>(10, 200, 100, 26);
  auto* e = Make<TQuarnEdit>(30, 30, 220, 28);
  e->SetAutoSelect(false);
  e->SetText(u"The frame is kept");
  bool hot = false;
  std::mt19937 rng(1005);
  const TColor colours[] = {clWhite, static_cast<TColor>(0x00F0E0D0), static_cast<TColor>(0x00FFFFFE), clYellow};
  const char16_t* borders[] = {u"QuarnBorderNormal", u"QuarnBorderHot", u"QuarnButton", u""};
  std::vector<std::string> done;
  for (int step = 0; step < 60; ++step) {
    switch (rng() % 10) {
      case 0:
        hot = !hot;
        e->Perform(hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
        done.push_back(hot ? "enter" : "leave");
        break;
      case 1:
        if (e->Focused()) other->SetFocus();
        else if (e->Enabled()) e->SetFocus();
        done.push_back("focus");
        break;
      case 2:
        e->SetColor(colours[rng() % 4]);
        done.push_back("colour");
        break;
      case 3:
        e->SetBorderVisible(!e->BorderVisible());
        e->Invalidate();
        done.push_back("border shown");
        break;
      case 4:
        if (rng() % 2) e->SetBorderNormal(borders[rng() % 4]);
        else e->SetBorderHot(borders[rng() % 4]);
        done.push_back("border picture");
        break;
      case 5:
        e->SetBounds(30 + Integer(rng() % 40), 30 + Integer(rng() % 20), 160 + Integer(rng() % 120),
                     24 + Integer(rng() % 10));
        done.push_back("bounds");
        break;
      case 6:
        e->SetEnabled(!e->Enabled());
        done.push_back("enabled");
        break;
      case 7:
        e->SetText(e->Text() + String(1, Char(u'a' + rng() % 26)));
        done.push_back("text");
        break;
      case 8:
        phase = Integer(rng() % 16);
        FRoot->Invalidate();
        done.push_back("parent picture");
        break;
      default:
        FRoot->SetColor(static_cast<TColor>(0x00204060 + 0x00101010 * Integer(rng() % 4)));
        done.push_back("parent colour");
        break;
    }
    usertest::Pump();
    // Painted twice: the second paint is the one the kept frame serves.
    Picture(e);
    const std::vector<TColor32> kept = Pixels(Picture(e));
    const bool focused = e->Focused();
    const Integer selStart = e->SelStart(), selLength = e->SelLength(), caret = e->CursorPos();
    auto* fresh = new TQuarnEdit(FRoot.get());
    fresh->SetAutoSelect(false);
    fresh->SetParent(FRoot.get());
    fresh->SetBoundsRect(e->BoundsRect());
    fresh->SetColor(e->Color());
    fresh->SetBorderVisible(e->BorderVisible());
    fresh->SetBorderNormal(e->BorderNormal());
    fresh->SetBorderHot(e->BorderHot());
    fresh->SetEnabled(e->Enabled());
    fresh->SetText(e->Text());
    if (focused) fresh->SetFocus();
    usertest::Pump();
    fresh->SetSelStart(selStart);
    fresh->SetSelLength(selLength);
    if (hot) fresh->Perform(CM_MOUSEENTER, 0, 0);
    const std::vector<TColor32> made = Pixels(Picture(fresh));
    std::string path;
    for (const std::string& s : done) path += s + ", ";
    EXPECT_EQ(fresh->CursorPos(), caret) << path;
    ASSERT_EQ(kept.size(), made.size()) << path;
    const TPoint at = FirstDifference(kept, made, fresh->Width());
    EXPECT_TRUE(at.X < 0) << "differs at " << at.X << ", " << at.Y << " after " << path;
    delete fresh;
    // Leaving took the focus look and the hover from the edit: both come
    // back as they were.
    if (focused) e->SetFocus();
    usertest::Pump();
    if (focused && hot) e->Perform(CM_MOUSEENTER, 0, 0);
    if (HasFailure()) return;
  }
}

}  // namespace

}  // namespace t_u_quarn_edit_paint_test
