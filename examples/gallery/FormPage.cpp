// A small order form of windowed controls (aligned panels, buttons) and
// windowless ones (swatches and text drawn by their parent), run modally
// and driven by queued input: Tab through it, click a button, Tab to OK and
// press Enter. The form's picture is taken as it closes: form.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

// Text drawn straight onto the parent: the plainest windowless control.
class TGalleryText : public TGraphicControl {
  QN_CLASS(TGalleryText, TGraphicControl)
 public:
  explicit TGalleryText(TComponent* AOwner) : TGraphicControl(AOwner) {}
  TTextFormat Format{TTextFormats::tfLeft, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine};

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect r(0, 0, Width(), Height());
    String t = Caption();
    c->TextRect(r, t, Format);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

// A colour sample with its name: a rounded box and a caption beside it.
class TGallerySwatch : public TGraphicControl {
  QN_CLASS(TGallerySwatch, TGraphicControl)
 public:
  explicit TGallerySwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}
  TColor Sample = clRed;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clBtnShadow);
    c->Brush()->SetColor(Sample);
    c->RoundRect(2, 3, 22, Height() - 3, 6, 6);
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect r(30, 0, Width(), Height());
    String t = Caption();
    c->TextRect(r, t, TTextFormat{TTextFormats::tfLeft, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine});
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

template <class T>
T* Make(TWinControl* parent, TComponent* owner) {
  T* c = new T(owner);
  static_cast<TControl*>(c)->SetParent(parent);
  return c;
}

TPanel* MakePanel(TWinControl* parent, TComponent* owner, TAlign align, Integer size, const String& caption) {
  TPanel* p = Make<TPanel>(parent, owner);
  p->SetAlign(align);
  if (align == alTop || align == alBottom) p->SetHeight(size);
  else p->SetWidth(size);
  p->SetCaption(caption);
  return p;
}

void Key(int vk) {
  InputKeyDown(vk);
  InputKeyUp(vk);
}

}  // namespace

std::vector<std::string> FormPage(const std::string& outDir) {
  SetScreenSize(800, 600);
  SetVirtualClock(true);
  std::vector<std::string> out;
  std::string path = outDir + "/form.png";

  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"New order");
  form->SetClientWidth(460);
  form->SetClientHeight(300);

  TPanel* header = MakePanel(form, form, alTop, 46, u"  Order for Lantern && Quill");
  header->SetAlignment(taLeftJustify);
  header->SetBevelOuter(bvNone);
  header->SetColor(static_cast<TColor>(RGB(46, 84, 140)));
  header->Font()->SetColor(clWhite);
  header->Font()->SetSize(12);
  header->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});

  TPanel* footer = MakePanel(form, form, alBottom, 46, u"");
  footer->SetBevelOuter(bvNone);
  TButton* ok = Make<TButton>(footer, form);
  ok->SetCaption(u"OK");
  ok->SetBounds(282, 11, 80, 26);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  TButton* cancel = Make<TButton>(footer, form);
  cancel->SetCaption(u"Cancel");
  cancel->SetBounds(370, 11, 80, 26);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  TGalleryText* status = Make<TGalleryText>(footer, form);
  status->SetBounds(12, 11, 250, 26);
  status->SetCaption(u"Nothing applied yet");

  // The colours on the left: a lowered panel holding windowless swatches,
  // each aligned to the top with margins.
  TPanel* side = MakePanel(form, form, alLeft, 132, u"");
  side->SetBevelOuter(bvNone);
  side->SetBorderWidth(6);
  TPanel* colours = MakePanel(side, form, alClient, 0, u"");
  colours->SetBevelOuter(bvLowered);
  colours->SetColor(clWindow);
  struct Sample {
    const char16_t* Name;
    TColor Colour;
  };
  const Sample samples[] = {{u"Crimson", static_cast<TColor>(RGB(200, 40, 60))},
                            {u"Saffron", static_cast<TColor>(RGB(244, 180, 0))},
                            {u"Jade", static_cast<TColor>(RGB(0, 150, 110))},
                            {u"Cobalt", static_cast<TColor>(RGB(30, 80, 200))}};
  // Aligned to the top in turn: the last one made sits lowest, so they are
  // made bottom first.
  for (int i = 3; i >= 0; --i) {
    auto* s = Make<TGallerySwatch>(colours, form);
    s->SetAlign(alTop);
    s->SetHeight(26);
    s->SetAlignWithMargins(true);
    s->Sample = samples[i].Colour;
    s->SetCaption(samples[i].Name);
    s->SetTop(0);
  }

  // The details in the client area: a caption line, then the buttons that
  // act on the order.
  TPanel* body = MakePanel(form, form, alClient, 0, u"");
  body->SetBevelOuter(bvNone);
  TGalleryText* title = Make<TGalleryText>(body, form);
  title->SetBounds(12, 14, 300, 20);
  title->SetCaption(u"Shipping details");
  title->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  TGalleryText* line1 = Make<TGalleryText>(body, form);
  line1->SetBounds(12, 40, 300, 18);
  line1->SetCaption(u"12 Harbour Street, Portsmouth");
  TGalleryText* line2 = Make<TGalleryText>(body, form);
  line2->SetBounds(12, 60, 300, 18);
  line2->SetCaption(u"Delivery within 3 working days");
  TPanel* frame = MakePanel(body, form, alNone, 0, u"");
  frame->SetBounds(12, 92, 300, 104);
  frame->SetBevelOuter(bvLowered);
  frame->SetBevelInner(bvRaised);
  frame->SetBevelWidth(1);
  frame->SetCaption(u"");
  TButton* apply = Make<TButton>(frame, form);
  apply->SetCaption(u"&Apply discount");
  apply->SetBounds(14, 14, 130, 28);
  TButton* reset = Make<TButton>(frame, form);
  reset->SetCaption(u"&Reset");
  reset->SetBounds(154, 14, 130, 28);
  TGalleryText* note = Make<TGalleryText>(frame, form);
  note->SetBounds(14, 54, 270, 36);
  note->SetCaption(u"Tab moves between the buttons; Enter clicks OK.");
  note->Format = TTextFormat{TTextFormats::tfLeft, TTextFormats::tfWordBreak};
  note->Font()->SetColor(clGrayText);

  int applied = 0;
  apply->SetOnClick([&](TObject*) {
    ++applied;
    status->SetCaption(u"Discount applied: 10 %");
    status->Font()->SetColor(static_cast<TColor>(RGB(0, 120, 60)));
  });
  reset->SetOnClick([&](TObject*) { status->SetCaption(u"Nothing applied yet"); });
  // The picture is taken while the form is still up, as it closes.
  bool scripted = true;
  form->SetOnClose([&](TObject*, TCloseAction&) {
    if (!scripted) return;
    Application->ProcessMessages();
    SaveWindowSnapshot(form->Handle(), path);
  });
  form->SetActiveControl(apply);
  // Centred in the work area, placed now so the click below knows where
  // the button will be.
  form->SetBounds((Screen->WorkAreaWidth() - form->Width()) / 2, (Screen->WorkAreaHeight() - form->Height()) / 2,
                  form->Width(), form->Height());
  form->HandleNeeded();

  // Queued before the modal loop that will read it: Tab through, click
  // Apply, Tab twice to OK and press Enter.
  Key(VK_TAB);
  Key(VK_TAB);
  TPoint p = apply->ClientToScreen(TPoint(apply->Width() / 2, apply->Height() / 2));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Key(VK_TAB);
  Key(VK_TAB);
  Key(VK_RETURN);
  // Should the input run out, the loop gives up instead of waiting.
  TModalIdleHook saved = SetModalIdleHook([] { return false; });
  Integer result = form->ShowModal();
  SetModalIdleHook(saved);
  const int appliedByScript = applied;
  if (Live()) {
    // Live, the person fills the order in again: OK, Cancel, Esc or the
    // close button end it.
    scripted = false;
    status->SetCaption(u"Nothing applied yet");
    status->Font()->SetColor(clWindowText);
    HoldModal(form);
  }
  delete form;
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (result != mrOk || appliedByScript != 1) throw Exception(u"the form did not close with OK after one Apply");
  out.push_back(path);
  return out;
}

}  // namespace gallery
