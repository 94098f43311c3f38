// Gallery page "memo": a transparent memo in its framed host over a
// picture, scrolled down with both skinned bars showing and
// the frame hot; beside it a see-through scroll box of tiles scrolled on
// both axes by its two external bars. Saved as memo.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/controls/uQuarnScrollBox.h"

namespace gallery {

namespace {

using namespace qn;

// The window's client: an evening sky over layered hills and a low sun.
class TDuskSheet : public TCustomControl {
  QN_CLASS(TDuskSheet, TCustomControl)
 public:
  explicit TDuskSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    TCanvas* c = Canvas();
    for (Integer y = 0; y < r.Height(); ++y) {
      const Integer t = y * 255 / std::max(1, r.Height());
      c->Pen()->SetColor(TColor(RGB(Byte(38 + t / 2), Byte(52 + t / 3), Byte(110 + t / 6))));
      c->MoveTo(0, y);
      c->LineTo(r.Width(), y);
    }
    DrawSmooth(c, r, [&](qn::TBitmap32& b) {
      using namespace qn;
      PolygonFS(&b, EllipseIn(560, 250, 680, 370), Color32(255, 196, 120), TPolyFillMode::pfNonZero);
      const TColor32 hills[3] = {Color32(86, 92, 140), Color32(60, 70, 112), Color32(34, 44, 78)};
      for (Integer layer = 0; layer < 3; ++layer)
        for (Integer i = 0; i < 6; ++i) {
          const Integer x = -160 + i * 170 + layer * 60, top = r.Height() - 190 + layer * 55 + ((i + layer) % 2) * 25;
          PolygonFS(&b, EllipseIn(x, top, x + 300, top + 320), hills[layer], TPolyFillMode::pfNonZero);
        }
    });
  }
};

const char16_t* const kNotes =
    u"Evening notes from the headland\r\n"
    u"\r\n"
    u"The wind dropped an hour before sunset, and the water in the bay went flat as a plate.\r\n"
    u"Gulls rode the last warm air over the cliff and the fishing boats came in one by one.\r\n"
    u"\r\n"
    u"Tide tables\r\n"
    u"  high water   18:42   4.1 m\r\n"
    u"  low water    00:57   0.9 m\r\n"
    u"\r\n"
    u"By seven the lighthouse had started its slow turn, a white sweep every twelve seconds.\r\n"
    u"The path back along the ridge is easy in this light;\r\n"
    u"the stones still hold the heat of the day.\r\n"
    u"\r\n"
    u"Tomorrow: north shore, the old harbour wall, the chapel ruins.\r\n"
    u"Take water, a jumper and the long lens.\r\n"
    u"\r\n"
    u"Sketches\r\n"
    u"  1. the harbour from the steps, boats drawn up on the shingle\r\n"
    u"  2. the lighthouse against the last of the light\r\n"
    u"  3. the ridge path, looking back towards the village\r\n"
    u"\r\n"
    u"Light gone by half past eight. Stars over the bay.";

}  // namespace

std::vector<std::string> MemoPage(const std::string& outDir) {
  SetVirtualClock(true);
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnMemoPage";
  RegisterClassExW(&wc);
  const Integer w = 760, h = 420;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnMemoPage", u"Memo and scroll box", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TDuskSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);

  auto caption = [&](Integer X, Integer Y, const String& Text) {
    auto* l = new TQuarnLabel(sheet.get());
    l->SetParent(sheet.get());
    l->SetLeft(X);
    l->SetTop(Y);
    l->Font()->SetColor(TColor(RGB(240, 244, 255)));
    l->Font()->SetSize(10);
    l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetCaption(Text);
    return l;
  };
  caption(24, 18, u"Transparent memo in its frame");
  caption(424, 18, u"Scroll box with external bars");

  // The memo host: a light veil over the picture, the memo's text straight
  // on it, both bars shown by the content, the frame hot.
  auto* ex = new TQuarnMemoEx(sheet.get());
  ex->SetParent(sheet.get());
  ex->SetBounds(24, 46, 360, 250);
  ex->SetColor(TColor(RGB(250, 246, 240)));
  ex->SetAlpha(96);
  TQuarnMemo* memo = ex->Memo();
  memo->SetTransparent(true);
  memo->Font()->SetSize(10);
  memo->Font()->SetColor(TColor(RGB(16, 22, 48)));
  memo->SetText(kNotes);
  // Over the veil rather than on white strips of their own.
  ex->VScrollBar()->SetTransparent(true);
  ex->HScrollBar()->SetTransparent(true);

  // The scroll box: a grid of tiles larger than the box, its bars beside it.
  auto* box = new TQuarnScrollBox(sheet.get());
  box->SetParent(sheet.get());
  box->SetBounds(424, 46, 300, 236);
  auto* vbar = new TQuarnScrollBar(sheet.get());
  vbar->SetKind(sbVertical);
  vbar->SetParent(sheet.get());
  vbar->SetBounds(728, 46, 10, 236);
  auto* hbar = new TQuarnScrollBar(sheet.get());
  hbar->SetParent(sheet.get());
  hbar->SetBounds(424, 286, 300, 10);
  const COLORREF tints[4] = {RGB(255, 236, 200), RGB(214, 232, 255), RGB(222, 246, 222), RGB(246, 224, 246)};
  const char16_t* rows[4] = {u"North shore", u"Harbour wall", u"Chapel ruins", u"Lighthouse"};
  for (Integer row = 0; row < 4; ++row)
    for (Integer col = 0; col < 4; ++col) {
      auto* tile = new TQuarnPanel(sheet.get());
      tile->SetParent(box);
      tile->SetBounds(8 + col * 132, 8 + row * 84, 124, 76);
      tile->SetColor(TColor(tints[(row + col) % 4]));
      tile->SetAlpha(Byte(150 + 25 * ((row + col) % 3)));
      tile->SetCaption(String(rows[row]) + u" " + IntToStr(col + 1));
      tile->SetCaptionVisible(true);
    }
  box->SetHScrollBar(hbar);
  box->SetVScrollBar(vbar);

  MSG m;
  auto pump = [&] {
    for (int round = 0; round < 4; ++round) {
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      AdvanceClock(60);
    }
  };
  pump();
  // Scrolled: the memo five lines down (its long lines keep the bottom bar
  // up), the box on both axes.
  ex->VScrollBar()->SetPosition(5);
  box->HScroll(150);
  box->VScroll(70);
  ex->UpdateFrame(true, true);
  pump();
  auto* note = caption(24, 306, u"Scrolled five lines down; the long lines keep the\r\nbottom bar. The frame is hot while hovered.");
  note->Font()->SetStyle(TFontStyles{});
  note = caption(424, 306, u"Tiles scrolled 150 across and 70 down\r\nby the two bars beside the box.");
  note->Font()->SetStyle(TFontStyles{});
  pump();

  const std::string path = outDir + "/memo.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its window is closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
