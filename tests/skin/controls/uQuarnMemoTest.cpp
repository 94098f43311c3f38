// The skinned memo through the input driver on the virtual clock: its bars
// following the edit's scroll information both ways, read-only filtering,
// the one-line wheel, redraw held off while a keystroke scrolls, painting
// through the memory device context, the transparent background, and the
// memo host's form file.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/Edit.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/foundation/uQuarnIntf.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_memo_test {

using namespace qn;

namespace {

// Counts the paints the window server asks for (a memory-DC paint of the
// memo's own passes a device context and is not one of them).
class TCountingMemo : public TQuarnMemo {
  QN_CLASS(TCountingMemo, TQuarnMemo)
 public:
  explicit TCountingMemo(TComponent* AOwner) : TQuarnMemo(AOwner) {}
  Integer Paints = 0;
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PAINT && Message.WParam == 0) ++Paints;
    TQuarnMemo::WndProc(Message);
  }
};

// An opaque skinned parent whose picture differs at every pixel and can be
// shifted, so a stale copy of it is told from a fresh one.
class TPictureRoot : public TQuarnCustomControl {
  QN_CLASS(TPictureRoot, TQuarnCustomControl)
 public:
  explicit TPictureRoot(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetTransparent(false);
  }
  Integer Phase = 0;
  TColor32 At(Integer x, Integer y) const {
    return Color32(Byte(x * 3 + Phase), Byte(y * 2), Byte(90 + (x ^ y) % 100), 255);
  }

 protected:
  void DrawBody(TBitmap32* B) override {
    for (Integer y = 0; y < B->Height(); ++y)
      for (Integer x = 0; x < B->Width(); ++x) B->SetPixel(x, y, At(x, y));
  }
};

class uQuarnMemo : public skintest::RootTest {
 protected:
  void TearDown() override {
    ResetSystemSettings();
    skintest::RootTest::TearDown();
  }
  TQuarnMemoEx* MemoEx(Integer X, Integer Y, Integer W, Integer H) {
    auto* m = Make<TQuarnMemoEx>(X, Y, W, H);
    Settle();
    return m;
  }
  // Lets the bars' one re-layout after showing or hiding run.
  void Settle() {
    for (Integer i = 0; i < 60; ++i) {
      AdvanceClock(1);
      Run();
    }
  }
  // The application's loop, which also turns key presses into characters.
  static void Run() { Application->ProcessMessages(); }
  static void Type(const String& Text) {
    InputType(Text);
    Run();
  }
  static void Hit(int VK) {
    InputKeyDown(VK);
    InputKeyUp(VK);
    Run();
  }
  static Integer FirstLine(TWinControl* M) {
    return Integer(SendMessageW(M->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
  }
  static Integer LineCount(TWinControl* M) { return Integer(SendMessageW(M->Handle(), EM_GETLINECOUNT, 0, 0)); }
  static Integer LineHeight(TWinControl* M) {
    HDC dc = GetDC(M->Handle());
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(M->Handle(), WM_GETFONT, 0, 0)));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    ReleaseDC(M->Handle(), dc);
    return tm.tmHeight;
  }
  static SCROLLINFO Info(TWinControl* M, int Which) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(M->Handle(), Which, &si);
    return si;
  }
  // What the window shows now, read back from its device context.
  static std::unique_ptr<TBitmap32> Shown(TWinControl* M) {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(M->Width(), M->Height());
    HDC dc = GetDC(M->Handle());
    BitBlt(b->Canvas()->Handle(), 0, 0, M->Width(), M->Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(M->Handle(), dc);
    return b;
  }
  static String Numbered(Integer N) {
    String s;
    for (Integer i = 0; i < N; ++i) {
      if (i) s += u"\r\n";
      s += u"Line " + IntToStr(i);
    }
    return s;
  }
};

TEST_F(uQuarnMemo, TypingPastTheViewShowsTheBarAndDeletingHidesIt) {
  auto* ex = MemoEx(20, 20, 220, 90);
  TQuarnMemo* m = ex->Memo();
  TQuarnScrollBar* v = ex->VScrollBar();
  EXPECT_EQ(m->ScrollBars(), ssBoth);
  EXPECT_EQ(m->BorderStyle(), bsNone);
  EXPECT_FALSE(v->Visible());
  // No non-client area: the native bars keep their information but no room.
  EXPECT_EQ(m->ClientWidth(), m->Width());
  EXPECT_EQ(m->ClientHeight(), m->Height());
  // Inside the two-pixel frame, with two more above and below.
  EXPECT_EQ(m->Top(), 4);
  EXPECT_EQ(m->Height(), 90 - 8);
  m->SetFocus();
  Run();

  const Integer visible = m->ClientHeight() / LineHeight(m);
  ASSERT_GE(visible, 3);
  for (Integer i = 0; i < visible; ++i) {
    Type(u"row\r");
  }
  Settle();
  // visible + 1 lines (the last one empty): one too many.
  ASSERT_EQ(LineCount(m), visible + 1);
  EXPECT_TRUE(v->Visible());
  EXPECT_TRUE(v->Enabled());
  EXPECT_EQ(v->PageSize(), visible);
  EXPECT_EQ(v->Max(), visible);
  EXPECT_EQ(v->Position(), FirstLine(m));
  EXPECT_EQ(v->Position(), 1);
  // The bar took its room on the right and the memo gave it up.
  EXPECT_EQ(m->Width() + v->Width(), ex->Width() - 4);

  Type(u"more\rand more");
  Settle();
  EXPECT_EQ(v->Max(), visible + 1);
  EXPECT_EQ(v->Position(), FirstLine(m));

  // Deleting until it fits: the view returns to the top, the bar hides and
  // is disabled.
  while (LineCount(m) > visible) {
    Hit(VK_BACK);
  }
  Settle();
  EXPECT_EQ(FirstLine(m), 0);
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(v->Enabled());
  EXPECT_EQ(v->PageSize(), 0);
  EXPECT_EQ(m->Width(), ex->Width() - 4);
}

TEST_F(uQuarnMemo, ReadOnlyRefusesEditingButCopies) {
  auto* ex = MemoEx(20, 20, 220, 90);
  TQuarnMemo* m = ex->Memo();
  m->SetText(u"alpha beta\r\ngamma");
  m->SetReadOnly(true);
  m->SetFocus();
  Clipboard()->SetAsText(u"pasted");
  m->SetSelStart(0);
  m->SetSelLength(5);
  Run();
  Hit(VK_DELETE);
  Type(u"xyz");
  Hit(VK_BACK);
  for (UINT msg : {WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO}) SendMessageW(m->Handle(), msg, 0, 0);
  EXPECT_EQ(m->Text(), u"alpha beta\r\ngamma");
  EXPECT_EQ(Clipboard()->AsText(), u"pasted");

  InputKeyDown(VK_CONTROL);
  InputKeyDown('C');
  InputKeyUp('C');
  InputKeyUp(VK_CONTROL);
  Run();
  EXPECT_EQ(Clipboard()->AsText(), u"alpha");
  EXPECT_EQ(m->Text(), u"alpha beta\r\ngamma");

  // Writable again, the same messages do their work.
  m->SetReadOnly(false);
  SendMessageW(m->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(m->Text(), u" beta\r\ngamma");
  SendMessageW(m->Handle(), WM_UNDO, 0, 0);
  EXPECT_EQ(m->Text(), u"alpha beta\r\ngamma");
}

TEST_F(uQuarnMemo, WheelScrollsOneLineAndTheBarFollowsWithoutEcho) {
  SetSystemParameter(SPI_GETWHEELSCROLLLINES, 3);
  auto* ex = MemoEx(20, 20, 220, 120);
  TQuarnMemo* m = ex->Memo();
  m->SetText(Numbered(60));
  Settle();
  TQuarnScrollBar* v = ex->VScrollBar();
  ASSERT_TRUE(v->Visible());
  Integer barChanges = 0, memoChanges = 0;
  TObject* sender = nullptr;
  // The bar's own handler is the memo's; count what it reports.
  m->SetOnScrollBarChange([&](TObject* S) {
    ++memoChanges;
    sender = S;
  });
  m->SetFocus();
  Run();
  InputMouseWheel(-WHEEL_DELTA);
  Run();
  EXPECT_EQ(FirstLine(m), 1);
  EXPECT_EQ(v->Position(), 1);
  InputMouseWheel(-2 * WHEEL_DELTA);
  Run();
  EXPECT_EQ(FirstLine(m), 2);  // one line per message, whatever its size
  InputMouseWheel(WHEEL_DELTA);
  Run();
  EXPECT_EQ(FirstLine(m), 1);
  EXPECT_EQ(v->Position(), 1);
  EXPECT_EQ(memoChanges, 0);  // synchronising never fires the bar's change

  // Dragging the thumb: every step puts that line at the top, once.
  v->CalcRects();
  const TRect th = v->Button(TQuarnScrollBar::BtnThumb).Rect;
  MoveTo(v, v->Width() / 2, (th.Top + th.Bottom) / 2);
  Press();
  Integer lastPos = v->Position();
  for (Integer dy = 6; dy <= 60; dy += 6) {
    MoveTo(v, v->Width() / 2, (th.Top + th.Bottom) / 2 + dy);
    if (v->Position() != lastPos) ++barChanges;
    lastPos = v->Position();
    EXPECT_EQ(FirstLine(m), v->Position());
    EXPECT_EQ(Info(m, SB_VERT).nPos, v->Position());
  }
  Release();
  EXPECT_GT(barChanges, 3);
  EXPECT_EQ(memoChanges, barChanges);
  EXPECT_EQ(sender, v);
}

TEST_F(uQuarnMemo, AKeystrokeThatScrollsRepaintsOnceAtItsEnd) {
  auto* m = Make<TCountingMemo>(20, 20, 200, 80);
  auto* v = Make<TQuarnScrollBar>(230, 20, 10, 80);
  v->SetKind(sbVertical);
  m->SetVScrollBar(v);
  EXPECT_EQ(m->ScrollBars(), ssVertical);
  m->SetText(Numbered(30));
  m->SetFocus();
  Run();
  const Integer page = Integer(Info(m, SB_VERT).nPage);
  ASSERT_GT(page, 1);
  EXPECT_EQ(v->PageSize(), page);
  EXPECT_EQ(v->Max(), 29);
  // The caret to the last visible line; the next Down scrolls.
  for (Integer i = 1; i < page; ++i) Hit(VK_DOWN);
  ASSERT_EQ(FirstLine(m), 0);
  m->Paints = 0;
  Hit(VK_DOWN);
  EXPECT_EQ(FirstLine(m), 1);
  EXPECT_EQ(v->Position(), 1);
  EXPECT_EQ(m->Paints, 1);

  // What the window shows is what DoPaint2 draws (caret away first).
  ::vcl::SetFocus(FRoot->Handle());
  Run();
  auto shown = Shown(m);
  TBitmap32 painted;
  painted.SetSize(m->Width(), m->Height());
  m->DoPaint2(painted.Canvas()->Handle());
  Integer ink = 0;
  for (Integer y = 0; y < m->Height(); ++y)
    for (Integer x = 0; x < m->Width(); ++x) {
      ASSERT_EQ(shown->GetPixel(x, y) & 0xFFFFFFu, painted.GetPixel(x, y) & 0xFFFFFFu) << x << "," << y;
      if ((painted.GetPixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) ++ink;
    }
  EXPECT_GT(ink, 50);  // text was drawn, not only the background

  // A bar freed elsewhere is forgotten.
  delete v;
  EXPECT_EQ(m->VScrollBar(), nullptr);
  Hit(VK_DOWN);
}

TEST_F(uQuarnMemo, TransparentMemoShowsTheParentPictureBetweenGlyphs) {
  auto* pic = Make<TPictureRoot>(10, 10, 300, 200);
  auto* m = new TQuarnMemo(FRoot.get());
  m->SetParent(pic);
  m->SetBounds(30, 20, 200, 100);
  m->SetTransparent(true);
  m->SetText(u"Evening light\r\non the headland");
  Run();
  auto check = [&](const char* when) {
    auto shown = Shown(m);
    Integer same = 0, ink = 0;
    for (Integer y = 0; y < m->Height(); ++y)
      for (Integer x = 0; x < m->Width(); ++x) {
        const TColor32 want = pic->At(m->Left() + x, m->Top() + y) & 0xFFFFFFu;
        if ((shown->GetPixel(x, y) & 0xFFFFFFu) == want) ++same;
        else ++ink;
      }
    // The text covers a small part; everything else, also between the
    // glyphs of a line, is the parent's picture.
    EXPECT_GT(ink, 40) << when;
    EXPECT_GT(same, m->Width() * m->Height() * 9 / 10) << when;
    // A point inside the first line between two words.
    return shown;
  };
  check("at first");
  // Pixels of the first text row between the glyphs are the parent's.
  {
    auto shown = Shown(m);
    const Integer y = LineHeight(m) / 2;
    Integer between = 0;
    for (Integer x = 0; x < 60; ++x)
      if ((shown->GetPixel(x, y) & 0xFFFFFFu) == (pic->At(m->Left() + x, m->Top() + y) & 0xFFFFFFu)) ++between;
    EXPECT_GT(between, 20);
    EXPECT_LT(between, 60);
  }
  // The parent's picture changes; the memo takes it on CWM_CHECKPARENTBG.
  pic->Phase = 40;
  pic->Invalidate();
  Run();
  PostMessageW(m->Handle(), CWM_CHECKPARENTBG, 0, 0);
  Run();
  check("after the parent changed");

  // Opaque again: the memo's own colour.
  m->SetColor(static_cast<TColor>(0x00E0F0FF));
  m->SetTransparent(false);
  Run();
  auto shown = Shown(m);
  EXPECT_EQ(shown->GetPixel(m->Width() - 3, m->Height() - 3) & 0xFFFFFFu, 0xFFF0E0u);
}

TEST_F(uQuarnMemo, DisablingScrollsToTheLeftEdge) {
  auto* ex = MemoEx(20, 20, 180, 90);
  TQuarnMemo* m = ex->Memo();
  m->SetText(u"A line much longer than the memo is wide, so it scrolls sideways\r\nshort");
  Settle();
  TQuarnScrollBar* h = ex->HScrollBar();
  ASSERT_TRUE(h->Visible());
  EXPECT_EQ(h->PageSize(), Integer(Info(m, SB_HORZ).nPage));
  EXPECT_EQ(h->Max(), Info(m, SB_HORZ).nMax);
  h->SetPosition(120);
  EXPECT_EQ(Info(m, SB_HORZ).nPos, 120);
  m->SetEnabled(false);
  EXPECT_EQ(Info(m, SB_HORZ).nPos, 0);
  EXPECT_FALSE(h->Enabled());
  EXPECT_FALSE(ex->VScrollBar()->Enabled());
  m->SetEnabled(true);
  EXPECT_TRUE(h->Enabled());
  EXPECT_EQ(h->Position(), 0);
}

TEST_F(uQuarnMemo, SeventyThousandLinesReachTheLastLine) {
  auto* ex = MemoEx(20, 20, 220, 120);
  TQuarnMemo* m = ex->Memo();
  m->SetText(Numbered(70000));
  Settle();
  TQuarnScrollBar* v = ex->VScrollBar();
  ASSERT_EQ(v->Max(), 69999);
  const Integer page = v->PageSize();
  ASSERT_GT(page, 1);
  // The thumb dragged past the end.
  v->CalcRects();
  const TRect th = v->Button(TQuarnScrollBar::BtnThumb).Rect;
  MoveTo(v, v->Width() / 2, (th.Top + th.Bottom) / 2);
  Press();
  MoveTo(v, v->Width() / 2, v->Height() + 200);
  Release();
  EXPECT_EQ(v->Position(), 70000 - page);
  EXPECT_EQ(FirstLine(m), 70000 - page);
  EXPECT_EQ(m->Lines()->Strings(FirstLine(m) + page - 1), u"Line 69999");
  // And back to a line above the 16-bit limit, then below it.
  v->SetPosition(65540);
  EXPECT_EQ(FirstLine(m), 65540);
  v->SetPosition(12);
  EXPECT_EQ(FirstLine(m), 12);
}

TEST_F(uQuarnMemo, FrameFollowsFocusAndHover) {
  auto* ex = MemoEx(20, 20, 200, 90);
  auto* other = MemoEx(20, 150, 200, 60);
  ex->Memo()->SetFocus();
  Run();
  EXPECT_TRUE(ex->InControl());
  EXPECT_TRUE(ex->Hot());
  other->Memo()->SetFocus();
  Run();
  EXPECT_FALSE(ex->InControl());
  EXPECT_FALSE(ex->Hot());
  MoveTo(ex->Memo(), 30, 30);
  EXPECT_TRUE(ex->OverControl());
  EXPECT_TRUE(ex->Hot());
  MoveTo(FRoot.get(), 450, 280);
  EXPECT_FALSE(ex->OverControl());
}

TEST_F(uQuarnMemo, FormFileKeepsTheMemoAsASubObject) {
  TQuarnMemoEx a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"Alpha", "Transparent", "object TQuarnMemo\n", "TQuarnScrollBar", "VScrollBar", "BorderStyle"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.Memo()->Lines()->Add(u"first");
  a.Memo()->Lines()->Add(u"second");
  a.Memo()->SetTransparent(true);
  a.Memo()->SetReadOnly(true);
  a.SetAlpha(90);
  const std::string text = ComponentToText(&a);
  for (const char* name : {"Alpha = 90", "Memo.Transparent = True", "Memo.ReadOnly = True", "Memo.Lines.Strings",
                           "'second'"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  EXPECT_EQ(text.find("object "), text.rfind("object ")) << text;  // no child objects
  TQuarnMemoEx b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(b.Alpha(), 90);
  EXPECT_TRUE(b.Memo()->Transparent());
  EXPECT_TRUE(b.Memo()->ReadOnly());
  EXPECT_EQ(b.Memo()->Lines()->Count(), 2);
  EXPECT_EQ(b.Memo()->Lines()->Strings(1), u"second");
  EXPECT_EQ(b.Memo()->VScrollBar(), b.VScrollBar());
  EXPECT_EQ(ComponentToText(&b), text);
}

}  // namespace

}  // namespace t_u_quarn_memo_test
