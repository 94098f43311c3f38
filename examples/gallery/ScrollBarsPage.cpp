// Gallery page "scrollbars": skinned scroll bars over a picture, horizontal
// on the left and vertical on the right, in their states: at rest (no
// arrows), hovered (arrows shown), a hot far arrow, a pressed thumb, focused,
// disabled, and pages of several sizes. Saved as scrollbars.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace gallery {

namespace {

using namespace qn;

struct TLabel {
  Integer X, Y;
  const char16_t* Text;
};

// The window's client: a soft gradient with a few hills, and the labels.
class TScrollSheet : public TCustomControl {
  QN_CLASS(TScrollSheet, TCustomControl)
 public:
  explicit TScrollSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  std::vector<TLabel> Labels;

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    for (Integer y = 0; y < r.Height(); ++y) {
      const Integer t = y * 255 / std::max(1, r.Height());
      Canvas()->Pen()->SetColor(TColor(RGB(Byte(236 - t / 8), Byte(240 - t / 10), Byte(246 - t / 14))));
      Canvas()->MoveTo(0, y);
      Canvas()->LineTo(r.Width(), y);
    }
    DrawSmooth(Canvas(), r, [&](qn::TBitmap32& b) {
      for (Integer i = 0; i < 6; ++i)
        qn::PolygonFS(&b, EllipseIn(-60 + i * 130, r.Height() - 90 + (i % 2) * 25, 160 + i * 130, r.Height() + 140),
                      qn::Color32(Byte(150 + i * 12), Byte(196 + i * 6), Byte(170 + i * 8)), qn::TPolyFillMode::pfNonZero);
    });
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetName(u"DejaVu Sans");
    Canvas()->Font()->SetHeight(-12);
    Canvas()->Font()->SetColor(TColor(RGB(60, 66, 76)));
    for (const TLabel& l : Labels) Canvas()->TextOut(l.X, l.Y, l.Text);
  }
};

// A bar shown in a look the pointer cannot hold for several bars at once:
// hovered, with a hot far arrow, or with its thumb pressed.
class TShowcaseBar : public TQuarnScrollBar {
  QN_CLASS(TShowcaseBar, TQuarnScrollBar)
 public:
  explicit TShowcaseBar(TComponent* AOwner) : TQuarnScrollBar(AOwner) {}
  void Hover() { FMouseInClientRect = true; }
  void HotFar() {
    FMouseInClientRect = true;
    FButtons[BtnFar].Hot = true;
  }
  void PressThumb() {
    FMouseInClientRect = true;
    FButtons[BtnThumb].Pressed = true;
  }

 protected:
  // The pointer is elsewhere; keep the staged look.
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE) return;
    TQuarnScrollBar::Dispatch(M);
  }
};

}  // namespace

std::vector<std::string> ScrollBarsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnScrollBarsPage";
  RegisterClassExW(&wc);
  const Integer w = 640, h = 420;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnScrollBarsPage", u"Skinned scroll bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TScrollSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);

  struct TCase {
    const char16_t* Name;
    Integer Pos, Page;  // range 0..99
    int Look;           // 0 rest, 1 hover, 2 hot arrow, 3 pressed thumb, 4 focused, 5 disabled
  };
  const TCase cases[] = {{u"at rest", 30, 10, 0},         {u"hovered: arrows", 30, 10, 1},
                         {u"hot far arrow", 30, 10, 2},   {u"pressed thumb", 45, 10, 3},
                         {u"focused", 60, 10, 4},         {u"disabled", 30, 10, 5},
                         {u"no page (thumb 20)", 50, 0, 1}, {u"page 40 of 100", 20, 40, 1},
                         {u"page 90 of 100", 10, 90, 1}};
  TQuarnScrollBar* focus = nullptr;
  auto make = [&](const TCase& c, TScrollBarKind Kind, Integer X, Integer Y, Integer Len) {
    auto* b = new TShowcaseBar(sheet.get());
    b->SetParent(sheet.get());
    b->SetKind(Kind);
    if (Kind == sbHorizontal)
      b->SetBounds(X, Y, Len, 10);
    else
      b->SetBounds(X, Y, 10, Len);
    b->SetRange(0, 99, c.Pos, c.Page);
    if (c.Look == 1) b->Hover();
    if (c.Look == 2) b->HotFar();
    if (c.Look == 3) b->PressThumb();
    if (c.Look == 4) {
      b->SetCanFocused(true);
      if (!focus) focus = b;
    }
    if (c.Look == 5) b->SetEnabled(false);
  };
  static const char16_t* const kNums[9] = {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
  sheet->Labels.push_back({24, 12, u"Horizontal"});
  sheet->Labels.push_back({352, 12, u"Vertical"});
  for (Integer i = 0; i < 9; ++i) {
    const Integer y = 40 + i * 38;
    sheet->Labels.push_back({24, y, cases[i].Name});
    sheet->Labels.push_back({6, y + 13, kNums[i]});
    make(cases[i], sbHorizontal, 24, y + 17, 290);
  }
  // Numbered under the vertical bars, keyed to the list on the left.
  for (Integer i = 0; i < 9; ++i) {
    const Integer x = 360 + i * 30;
    make(cases[i], sbVertical, x, 40, 250);
    sheet->Labels.push_back({x + 1, 296, kNums[i]});
  }
  sheet->Labels.push_back({352, 322, u"1-9 as on the left; one bar holds the focus,"});
  sheet->Labels.push_back({352, 338, u"so vertical 5 shows a focusable bar at rest"});
  if (focus) focus->SetFocus();
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const std::string path = outDir + "/scrollbars.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
