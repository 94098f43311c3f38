// Gallery page "rangebars": range and gauge bars drawn by the library, in
// the themed system look, the classic one and the flat look, horizontal and
// vertical, at rest, hot, pressed and disabled. Saved as rangebars.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "graphics/raster/Pix32_XPThemes_qn.h"
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
  const Integer w = 780, h = 388;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnRangeBarsPage", u"Range and gauge bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TBarsSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  sheet->Notes.push_back({20, 10, u"System look, themed", true});
  sheet->Notes.push_back({275, 10, u"System look, classic", true});
  sheet->Notes.push_back({530, 10, u"Flat", true});
  // The classic column is painted after the theme library is switched off.
  std::vector<TArrowBar*> classic;

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
  const Integer cols[3] = {20, 275, 530};
  Integer y = 48;
  for (const TRow& row : rows) {
    for (int col = 0; col < 3; ++col) {
      const bool flat = col == 2;
      const Integer x = cols[col];
      sheet->Notes.push_back({x, y, row.Name, false});
      auto* b = new TStaged<TRangeBar>(sheet.get());
      b->SetParent(sheet.get());
      b->SetBounds(x, y + 16, 190, 17);
      if (col == 1) classic.push_back(b);
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
  sheet->Notes.push_back({20, y, u"gauge 0..100 at 65, and vertical", false});
  sheet->Notes.push_back({275, y, u"gauge 0..100 at 65, and vertical", false});
  sheet->Notes.push_back({530, y, u"gauges, flat, solid track", false});
  for (int col = 0; col < 3; ++col) {
    const bool flat = col == 2;
    const Integer x = cols[col];
    auto* g = new TStaged<TGaugeBar>(sheet.get());
    g->SetParent(sheet.get());
    g->SetBounds(x, y + 16, 190, 17);
    g->SetPosition(65);
    auto* v = new TStaged<TGaugeBar>(sheet.get());
    v->SetParent(sheet.get());
    v->SetKind(sbVertical);
    v->SetBounds(x + 205, 48, 17, 300);
    if (col == 1) {
      classic.push_back(g);
      classic.push_back(v);
    }
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
  const TThemeMode mode = ThemeMode();
  SetThemeMode(TThemeMode::Absent);
  for (TArrowBar* b : classic) b->Repaint();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const std::string path = outDir + "/rangebars.png";
  vcl::SaveWindowSnapshot(host, path);
  SetThemeMode(mode);
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
