// Gallery page "colorbuttons": colour buttons in each state (the hot and
// pressed looks brought about by the input driver and laid into the window
// picture), one focused with its focus frame, border sides; smooth and
// region-cut rounding and a translucent fill over a picture; corner buttons
// with their default look, a thick border, no border, and a bar of corner
// buttons joined edge to edge with rounded ends. Saved as colorbuttons.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnColorButton.h"
#include "skin/extended/uQuarnCornerButton.h"

namespace gallery {

namespace {

using namespace qn;

constexpr TColor kInk = TColor(0x00463A2E);
constexpr TColor kNote = TColor(0x006E625A);

// The page's client: a soft background and a picture band under the
// rounded buttons, so what their corners leave shows.
class TColorSheet : public TCustomControl {
  QN_CLASS(TColorSheet, TCustomControl)
 public:
  explicit TColorSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  // The picture, already at the size of its band.
  TBitmap32 Picture;
  TPoint PictureAt;

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    TCanvas* c = Canvas();
    c->Brush()->SetColor(TColor(RGB(250, 247, 244)));
    c->FillRect(r);
    if (!Picture.Empty())
      BitBlt(c->Handle(), PictureAt.X, PictureAt.Y, Picture.Width(), Picture.Height(), Picture.Canvas()->Handle(), 0,
             0, SRCCOPY);
  }
};

void Pump() {
  MSG m;
  for (int i = 0; i < 5000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&m);
}

struct TShot {
  Integer X, Y;
  std::unique_ptr<TBitmap32> Picture;
};

}  // namespace

std::vector<std::string> ColorButtonsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnColorButtonsPage";
  RegisterClassExW(&wc);
  const Integer w = 640, h = 382;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnColorButtonsPage", u"Colour buttons", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TColorSheet>(nullptr);
  TColorSheet* s = sheet.get();
  {
    TBitmap32 landscape;
    LoadPNGintoBitmap32(&landscape, MakeLandscape(WorkFolder() + "/colorbuttons-landscape.png"));
    s->Picture.SetSize(490, 60);
    landscape.DrawTo(&s->Picture, s->Picture.BoundsRect(), TRect(0, 50, 240, 110));
    s->PictureAt = TPoint(130, 128);
  }
  s->SetBounds(0, 0, w, h);
  s->SetParentWindow(host);

  auto label = [&](Integer X, Integer Y, const String& Text, int Size = 9, bool Bold = false, TColor C = kInk) {
    auto* l = new TQuarnLabel(s);
    l->SetParent(s);
    l->Font()->SetName(u"DejaVu Sans");
    l->Font()->SetSize(Size);
    l->Font()->SetColor(C);
    if (Bold) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetLeft(X);
    l->SetTop(Y);
    l->SetCaption(Text);
    return l;
  };
  const Integer col[5] = {130, 228, 326, 424, 522};
  const char16_t* heads[5] = {u"normal", u"hot", u"pressed", u"disabled", u"focused"};
  for (Integer i = 0; i < 5; ++i) label(col[i], 12, heads[i], 9, true);

  std::vector<TShot> shots;
  auto colour = [&](Integer X, Integer Y, const String& Caption) {
    auto* b = new TQuarnColorButton(s);
    b->SetParent(s);
    b->SetBounds(X, Y, 86, 30);
    b->SetCaption(Caption);
    return b;
  };
  // Row 1: the plain colour button in every state.
  label(15, 40, u"Colour button");
  TQuarnColorButton* row1[5];
  for (Integer i = 0; i < 5; ++i) row1[i] = colour(col[i], 34, u"Button");
  row1[3]->SetEnabled(false);
  row1[4]->SetShowFocusFrame(true);
  // Row 2: border sides (left and bottom; all four) and a rounded one.
  label(15, 84, u"Border sides");
  auto* sides1 = colour(col[0], 78, u"Left, bottom");
  sides1->SetNormalColor(TColor(0x00F6F0EA));
  sides1->Font()->SetColor(kInk);
  sides1->SetBorderColor(TColor(0x00B07A3C));
  sides1->SetBorderSides(TSides{sdLeft, sdBottom});
  auto* sides2 = colour(col[1], 78, u"All four");
  sides2->SetNormalColor(TColor(0x00F6F0EA));
  sides2->Font()->SetColor(kInk);
  sides2->SetBorderColor(TColor(0x00B07A3C));
  sides2->SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  auto* image = colour(col[2], 78, u"Image");
  image->SetImage(u"QuarnCalendar_18_N");
  image->ImageOffset()->SetX(6);
  image->ImageOffset()->SetY(6);
  image->CaptionOffset()->SetX(22);

  // Row 3: over a picture.
  label(15, 142, u"Over a picture");
  auto* smooth = colour(col[0] + 10, 142, u"Smooth");
  smooth->SetRoundFrame(true);
  smooth->SetRoundSize(14);
  auto* region = colour(col[2] - 20, 142, u"Region");
  region->SetRoundFrame(true);
  region->SetSmoothRound(false);
  region->SetRoundSize(14);
  auto* alpha = colour(col[3] - 20, 142, u"Alpha 150");
  alpha->SetAlpha(150);
  alpha->SetRoundFrame(true);
  alpha->SetRoundSize(8);

  // Row 4: corner buttons.
  label(col[0], 204, u"default", 9, true);
  label(col[1], 204, u"border 3", 9, true);
  label(col[2], 204, u"no border", 9, true);
  label(15, 232, u"Corner button");
  auto corner = [&](Integer X, Integer Y, Integer W, const String& Caption) {
    auto* b = new TQuarnCornerButton(s);
    b->SetParent(s);
    b->SetBounds(X, Y, W, 30);
    b->SetCaption(Caption);
    return b;
  };
  corner(col[0], 226, 86, u"Default");
  corner(col[1], 226, 86, u"Thick")->SetBorderWidth(3);
  corner(col[2], 226, 86, u"Plain")->SetBorderSides(TSides{});

  // Row 5: a bar of four joined edge to edge, the ends rounded, the second
  // held down as the chosen one.
  label(15, 294, u"Joined into a bar");
  label(15, 310, u"(second one Down)", 8, false, kNote);
  const char16_t* days[4] = {u"Day", u"Week", u"Month", u"Year"};
  for (Integer i = 0; i < 4; ++i) {
    auto* b = corner(col[0] + i * 80, 288, 80, days[i]);
    b->SetGroupIndex(7);
    if (i == 0) b->SetCorners(TQnCorners{TQnCorner::TopLeft, TQnCorner::BottomLeft});
    else if (i == 3) b->SetCorners(TQnCorners{TQnCorner::TopRight, TQnCorner::BottomRight});
    else b->SetCorners(TQnCorners{});
    // Neighbours share one line: each but the first leaves its left out.
    if (i > 0) b->SetBorderSides(TSides{sdTop, sdRight, sdBottom});
    if (i == 1) b->SetDown(true);
  }
  label(15, 352, u"Pressed shows the hot fill while the pointer is over it; Down, or a press that left, the pressed fill.",
        8, false, kNote);
  Pump();
  row1[4]->SetFocus();
  Pump();

  // The looks the pointer brings about, one at a time.
  ResetInput();
  SetVirtualClock(true);
  auto pointAt = [&](TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    Pump();
  };
  auto shoot = [&](TQuarnCustomControl* C) {
    C->Invalidate();
    Pump();
    auto pic = std::make_unique<TBitmap32>();
    pic->Assign(C->Buffer());
    shots.push_back({C->Left(), C->Top(), std::move(pic)});
  };
  // The focus frame, as the focused button paints itself.
  shoot(row1[4]);
  pointAt(row1[1], 40, 15);
  shoot(row1[1]);
  // A press that has left the button: the pressed fill.
  pointAt(row1[2], 40, 15);
  InputMouseDown(VK_LBUTTON);
  Pump();
  pointAt(s, w - 5, h - 5);
  shoot(row1[2]);
  InputMouseUp(VK_LBUTTON);
  Pump();
  SetVirtualClock(false);
  ResetInput();

  const std::string path = outDir + "/colorbuttons.png";
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();
  TBitmap32 page;
  LoadPNGintoBitmap32(&page, String(path.begin(), path.end()));
  for (TShot& shot : shots) {
    shot.Picture->SetDrawMode(TDrawMode::dmOpaque);
    shot.Picture->DrawTo(&page, shot.X, shot.Y);
  }
  SaveBitmap32ToPNG(&page, false, 0, String(path.begin(), path.end()), 6);
  sheet.reset();
  DestroyWindow(host);
  Pump();
  return {path};
}

}  // namespace gallery
