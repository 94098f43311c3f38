// Gallery page "transparency": a window whose client paints a picture, and
// skinned controls three deep over it, each drawing a translucent rounded
// body over the picture it takes from its parent. One of them is moved with
// AutoInvalidate on; the controls on it follow. The window is saved as
// transparency.png.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace gallery {

namespace {

using namespace qn;

// A skinned control with a translucent rounded body and a soft border.
class TGlassPanel : public TQuarnCustomControl {
  QN_CLASS(TGlassPanel, TQuarnCustomControl)
 public:
  TGlassPanel(TComponent* AOwner, TColor32 Tint, const String& Caption, TColor32 TextColor)
      : TQuarnCustomControl(AOwner), FTint(Tint), FCaption(Caption), FTextColor(TextColor) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void DrawBody(TBitmap32* B) override {
    const TFloatRect r(1.5f, 1.5f, B->Width() - 1.5f, B->Height() - 1.5f);
    PolygonFS(B, RoundRect(r, 10), FTint, TPolyFillMode::pfNonZero);
    PolylineFS(B, RoundRect(r, 10), 0xB0FFFFFFu, true, 1.5f, TJoinStyle::jsRound);
    // Its caption names the tint, written with alpha so it shows on the form.
    B->Font()->SetName(u"DejaVu Sans");
    B->Font()->SetHeight(-12);
    B->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    B->RenderText(10, 8, FCaption, 0, FTextColor);
  }

 private:
  TColor32 FTint;
  String FCaption;
  TColor32 FTextColor;
};

}  // namespace

std::vector<std::string> TransparencyPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnTransparencyPage";
  RegisterClassExW(&wc);
  const Integer w = 640, h = 400;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnTransparencyPage", u"Translucent skinned controls",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(), wr.Height(), nullptr, nullptr,
                              nullptr, nullptr);
  auto sheet = std::make_unique<TPictureSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);

  auto add = [](TWinControl* Parent, TColor32 Tint, const String& Caption, TColor32 Text, Integer X, Integer Y,
                Integer W, Integer H) {
    auto* p = new TGlassPanel(Parent, Tint, Caption, Text);
    p->SetParent(Parent);
    p->SetBounds(X, Y, W, H);
    return p;
  };
  // Three deep on the left; the right stack is moved afterwards.
  const TColor32 dark = 0xFF1C222Cu, light = 0xFFFFFFFFu;
  auto* a = add(sheet.get(), 0x60FFFFFFu, u"1: white, 38% on the picture", dark, 30, 30, 300, 320);
  auto* b = add(a, 0x5046C4FFu, u"2: sky blue, 31% on 1", dark, 24, 40, 250, 220);
  add(b, 0x70FFFFFFu, u"3: white, 44% on 2", dark, 24, 40, 200, 140);
  auto* c = add(sheet.get(), 0x50101820u, u"moved with AutoInvalidate", light, 360, 150, 250, 200);
  c->SetAutoInvalidate(true);
  auto* d = add(c, 0x60FFC446u, u"amber, 38%, moved with it", dark, 20, 30, 210, 140);
  add(d, 0x60FFFFFFu, u"white, 38%", dark, 20, 30, 170, 80);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  // Moved: the stack re-takes the picture under its new place.
  c->SetBounds(370, 170, 250, 200);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/transparency.png";
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
