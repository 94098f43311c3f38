// Gallery page "rangebars": range and gauge bars drawn by the library, in
// the classic look and the flat look, horizontal and vertical, at rest,
// hot, pressed and disabled. Saved as rangebars.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

struct TNote {
  Integer X, Y;
  const char16_t* Text;
  bool Bold;
};

class TBarsSheet : public TCustomControl {
  QN_CLASS(TBarsSheet, TCustomControl)
 public:
  explicit TBarsSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  std::vector<TNote> Notes;

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    Canvas()->Brush()->SetColor(TColor(RGB(244, 245, 247)));
    Canvas()->FillRect(r);
    Canvas()->Brush()->SetColor(TColor(RGB(226, 230, 236)));
    Canvas()->FillRect(TRect(0, 0, r.Width(), 34));
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetName(u"DejaVu Sans");
    for (const TNote& n : Notes) {
      Canvas()->Font()->SetHeight(n.Bold ? -13 : -11);
      Canvas()->Font()->SetStyle(n.Bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
      Canvas()->Font()->SetColor(TColor(RGB(50, 58, 70)));
      Canvas()->TextOut(n.X, n.Y, n.Text);
    }
  }
};

// Shows a zone hot or pressed without a pointer holding it.
template <class B>
class TStaged : public B {
 public:
  explicit TStaged(TComponent* AOwner) : B(AOwner) {}
  void Stage(TRBZone Hot, TRBZone Pressed) {
    this->HotZone = Hot;
    this->DragZone = Pressed;
  }

 protected:
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE) return;
    B::Dispatch(M);
  }
};

}  // namespace

std::vector<std::string> RangeBarsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnRangeBarsPage";
  RegisterClassExW(&wc);
  const Integer w = 640, h = 400;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnRangeBarsPage", u"Range and gauge bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TBarsSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  sheet->Notes.push_back({20, 10, u"Classic", true});
  sheet->Notes.push_back({330, 10, u"Flat", true});

  struct TRow {
    const char16_t* Name;
    TRBZone Hot, Pressed;
    bool Enabled;
  };
  const TRow rows[] = {{u"range bar at rest", zNone, zNone, true},
                       {u"hot next button", zBtnNext, zNone, true},
                       {u"pressed handle", zHandle, zHandle, true},
                       {u"pressed track", zNone, zTrackNext, true},
                       {u"disabled", zNone, zNone, false}};
  Integer y = 48;
  for (const TRow& row : rows) {
    for (int flat = 0; flat < 2; ++flat) {
      const Integer x = flat ? 330 : 20;
      sheet->Notes.push_back({x, y, row.Name, false});
      auto* b = new TStaged<TRangeBar>(sheet.get());
      b->SetParent(sheet.get());
      b->SetBounds(x, y + 16, 220, 17);
      if (flat) {
        b->SetStyle(rbsMac);
        b->SetColor(TColor(RGB(236, 239, 243)));
        b->SetHandleColor(TColor(RGB(150, 170, 196)));
        b->SetBorderColor(TColor(RGB(96, 110, 128)));
      }
      b->SetParams(1000, 180);
      b->SetPosition(320);
      b->SetEnabled(row.Enabled);
      b->Stage(row.Hot, row.Pressed);
    }
    y += 50;
  }
  sheet->Notes.push_back({20, y, u"gauge bars 0..100 at 65, and vertical", false});
  sheet->Notes.push_back({330, y, u"gauge bars, flat, solid track", false});
  for (int flat = 0; flat < 2; ++flat) {
    const Integer x = flat ? 330 : 20;
    auto* g = new TStaged<TGaugeBar>(sheet.get());
    g->SetParent(sheet.get());
    g->SetBounds(x, y + 16, 220, 17);
    g->SetPosition(65);
    auto* v = new TStaged<TGaugeBar>(sheet.get());
    v->SetParent(sheet.get());
    v->SetKind(sbVertical);
    v->SetBounds(x + 250, 48, 17, 300);
    v->SetHandleSize(40);
    v->SetPosition(30);
    if (flat) {
      for (TArrowBar* b : {static_cast<TArrowBar*>(g), static_cast<TArrowBar*>(v)}) {
        b->SetStyle(rbsMac);
        b->SetBackgnd(bgSolid);
        b->SetColor(TColor(RGB(236, 239, 243)));
        b->SetHandleColor(TColor(RGB(150, 170, 196)));
        b->SetBorderColor(TColor(RGB(96, 110, 128)));
      }
    }
  }
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const std::string path = outDir + "/rangebars.png";
  vcl::SaveWindowSnapshot(host, path);
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
