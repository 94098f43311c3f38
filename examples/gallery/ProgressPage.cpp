// Gallery page "progress": on a skinned form, progress bars (plain, with
// captions and glow, full, and as sliders with a normal and a hot thumb),
// the three hue/saturation/brightness track bars, splitters in both
// orientations between panels, expand boxes open and folded, and the size
// grip in the form's bottom-right corner. Saved as progress.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnSizeGrip.h"
#include "skin/controls/uQuarnSplitter.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace gallery {

namespace {

using namespace qn;

// A slider shown with the pointer over it, which one pointer cannot do for
// several controls at once.
class THoveredBar : public TQuarnProgressBar {
  QN_CLASS(THoveredBar, TQuarnProgressBar)
 public:
  explicit THoveredBar(TComponent* AOwner) : TQuarnProgressBar(AOwner) { FMouseIn = true; }

 protected:
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE) return;
    TQuarnProgressBar::Dispatch(M);
  }
};

TQuarnLabel* Label(TWinControl* Parent, Integer X, Integer Y, const String& Text, bool Heading = false,
                   TColor Ink = TColor(0x00463A2E)) {
  auto* l = new TQuarnLabel(Parent);
  l->SetParent(Parent);
  l->Font()->SetName(u"DejaVu Sans");
  l->Font()->SetSize(Heading ? 10 : 8);
  if (Heading) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  l->Font()->SetColor(Ink);
  l->SetCaption(Text);
  l->SetLeft(X);
  l->SetTop(Y);
  return l;
}

template <class T>
T* Add(TWinControl* Parent, Integer X, Integer Y, Integer W, Integer H) {
  auto* c = new T(Parent);
  c->SetParent(Parent);
  c->SetBounds(X, Y, W, H);
  return c;
}

// An opaque, softly tinted panel with a caption: the pane a splitter sizes.
TQuarnPanel* Pane(TWinControl* Parent, TAlign Align, Integer Size, TColor Body, const String& Text) {
  auto* p = new TQuarnPanel(Parent);
  p->SetParent(Parent);
  if (Align == alLeft || Align == alRight)
    p->SetWidth(Size);
  else
    p->SetHeight(Size);
  p->SetAlign(Align);
  p->SetAlpha(255);
  p->SetColor(Body);
  p->SetDoubleBorder(false);
  p->SetBorderSides(TSides{});
  p->SetCaption(Text);
  p->SetCaptionVisible(true);
  p->Font()->SetName(u"DejaVu Sans");
  p->Font()->SetSize(8);
  p->Font()->SetColor(TColor(0x00705E4E));
  return p;
}

}  // namespace

std::vector<std::string> ProgressPage(const std::string& outDir) {
  SetScreenSize(1000, 760);
  auto form = NewSkinnedForm(TRect(30, 30, 830, 630), u"Progress, track bars, splitters, expand boxes");
  (new TQuarnSystemButton(form.get()))->SetKind(TQnSystemButtonKind::sbkMaximize);
  (new TQuarnSystemButton(form.get()))->SetKind(TQnSystemButtonKind::sbkMinimize);
  TForm* f = form.get();

  // --- progress bars ---------------------------------------------------------
  Label(f, 24, 16, u"Progress bars", true);
  const Integer px = 24, pw = 340;
  Label(f, px, 44, u"25 of 100");
  Add<TQuarnProgressBar>(f, px, 60, pw, 17)->SetValue(25);
  Label(f, px, 86, u"60, with a caption");
  auto* b = Add<TQuarnProgressBar>(f, px, 102, pw, 17);
  b->SetValue(60);
  b->Caption()->SetText(u"60 %");
  b->Caption()->Font()->SetName(u"DejaVu Sans");
  b->Caption()->Font()->SetSize(8);
  b->Caption()->Font()->SetColor(TColor(0x00463A2E));
  Label(f, px, 128, u"100, caption with a glow");
  b = Add<TQuarnProgressBar>(f, px, 144, pw, 17);
  b->SetValue(100);
  b->Caption()->SetText(u"Complete");
  b->Caption()->Font()->SetName(u"DejaVu Sans");
  b->Caption()->Font()->SetSize(8);
  b->Caption()->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  b->Caption()->Font()->SetColor(TColor(0x00503C1E));
  b->Caption()->Light()->SetActive(true);
  b->Caption()->Light()->SetColor(clWhite);
  b->Caption()->Light()->SetBlurRadius(3);
  Label(f, px, 170, u"Slider: track button shown");
  b = Add<TQuarnProgressBar>(f, px, 186, pw, 17);
  b->TrackButton()->SetNormal(u"QuarnBar_thumb");
  b->TrackButton()->SetHot(u"QuarnBar_thumb_hot");
  b->TrackButton()->SetVisible(true);
  b->SetValue(35);
  Label(f, px, 212, u"Slider under the pointer: hot thumb");
  b = Add<THoveredBar>(f, px, 228, pw, 17);
  b->TrackButton()->SetNormal(u"QuarnBar_thumb");
  b->TrackButton()->SetHot(u"QuarnBar_thumb_hot");
  b->TrackButton()->SetVisible(true);
  b->SetValue(80);

  // --- track bars ------------------------------------------------------------
  const Integer tx = 420;
  Label(f, tx, 16, u"Hue, saturation and brightness", true);
  struct TKind {
    THLSKindRec Kind;
    Integer Value;
    const char16_t* Text;
  };
  const TKind kinds[] = {{hlsH, 60, u"Hue  -180 .. 180, at 60"},
                         {hlsS, -40, u"Saturation  -100 .. 100, at -40"},
                         {hlsB, 25, u"Brightness  -100 .. 100, at 25"}};
  Integer ty = 44;
  for (const TKind& k : kinds) {
    Label(f, tx, ty, k.Text);
    auto* t = Add<TQnHLSTrackBar>(f, tx, ty + 18, 340, 28);
    t->SetKind(k.Kind);
    t->SetValue(k.Value);
    ty += 62;
  }

  // --- splitters -------------------------------------------------------------
  Label(f, 24, 272, u"Splitters", true);
  auto* box = Add<TQuarnPanel>(f, 24, 298, 340, 120);
  box->SetAlpha(255);
  box->SetColor(TColor(0x00FBF8F5));
  box->SetBorderColor(TColor(0x00C9BBAA));
  box->SetDoubleBorder(false);
  Pane(box, alLeft, 120, TColor(0x00F6EDE4), u"alLeft pane");
  auto* s = new TQuarnSplitter(box);
  s->SetParent(box);
  s->SetWidth(5);
  s->SetLeft(200);
  Pane(box, alClient, 0, TColor(0x00FFFFFF), u"client: drag the dots");

  auto* box2 = Add<TQuarnPanel>(f, 24, 430, 340, 120);
  box2->SetAlpha(255);
  box2->SetColor(TColor(0x00FBF8F5));
  box2->SetBorderColor(TColor(0x00C9BBAA));
  box2->SetDoubleBorder(false);
  Pane(box2, alTop, 50, TColor(0x00F6EDE4), u"alTop pane");
  s = new TQuarnSplitter(box2);
  s->SetParent(box2);
  s->SetAlign(alTop);
  s->SetHeight(5);
  s->SetTop(100);
  Pane(box2, alClient, 0, TColor(0x00FFFFFF), u"client");

  // --- expand boxes ----------------------------------------------------------
  Label(f, tx, 272, u"Expand boxes", true);
  auto* e = Add<TQuarnExpandBox>(f, tx, 298, 165, 150);
  e->SetTransparent(false);
  e->SetTitle(u"Expanded");
  e->SetTitleIcon(u"QuarnSearch_icon");
  Label(e, 12, 38, u"Controls sit below");
  Label(e, 12, 56, u"the title bar.");
  auto* inner = Add<TQuarnProgressBar>(e, 12, 82, 140, 17);
  inner->SetValue(45);
  auto* e2 = Add<TQuarnExpandBox>(f, tx + 175, 298, 165, 150);
  e2->SetTransparent(false);
  e2->SetTitle(u"Folded");
  e2->SetTitleColor(TColor(0x00C08A4A));
  Label(e2, 12, 40, u"hidden while folded");
  auto* e3 = Add<TQuarnExpandBox>(f, tx + 175, 340, 165, 100);
  e3->SetTitle(u"Transparent title");
  e3->TitleFont()->SetColor(TColor(0x00503C1E));
  // Transparent by default: the title's white text would vanish on the light
  // form, so the page gives it a dark colour.
  Label(e3, 12, 34, u"Transparent, the default:");
  Label(e3, 12, 52, u"no band, the form shows.");
  auto* e4 = Add<TQuarnExpandBox>(f, tx, 462, 340, 80);
  e4->SetTransparent(false);
  e4->SetTitle(u"AllowCollapse off: no icon, no folding");
  e4->SetAllowCollapse(false);
  Label(e4, 12, 36, u"Always open: the title bar is a heading over its controls.");

  auto* grip = new TQuarnSizeGrip(f);
  grip->SetParent(f);
  grip->SetBounds(f->ClientWidth() - 20, f->ClientHeight() - 20, 20, 20);

  form->Show();
  PumpMessages();
  e2->SetExpand(false);
  PumpMessages();

  const std::string path = outDir + "/progress.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();  // live: the page stays up until its windows are closed
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
