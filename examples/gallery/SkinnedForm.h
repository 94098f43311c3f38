// A skinned form as the gallery's skinned pages show one: sizeable, a
// 30-pixel title with its caption in bold white on a dark glow, and the
// close button.
#pragma once

#include <memory>
#include <vector>

#include "platform/user/User.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace gallery {

// The gallery's one title style: 10-point bold white on a dark blue glow.
// The skin's title bar is a light sky blue, on which white alone reads at
// about 2:1; the glow darkens the ground around every stroke to over 4.5:1.
// Controls.dfm gives its title the same font and glow.
inline void GalleryTitleStyle(qn::TQuarnNCLabel* Title) {
  using namespace vcl;
  Title->Font()->SetName(u"DejaVu Sans");
  Title->Font()->SetSize(10);
  Title->Font()->SetStyle({TFontStyle::fsBold});
  Title->Font()->SetColor(clWhite);
  Title->Light()->SetActive(true);
  Title->Light()->SetColor(TColor(RGB(20, 60, 110)));
  Title->Light()->SetBlurRadius(5);
}

// Lays the gallery's skinned frame over a form: the skin, the title with its
// glow and the close button; the components it made (deleting them takes the
// frame off again).
inline std::vector<vcl::TComponent*> SkinForm(vcl::TForm* form, const vcl::String& Caption) {
  using namespace vcl;
  using namespace qn;
  auto* skin = new TQuarnForm(form);
  skin->SetTitleHeight(30);
  auto* title = new TQuarnNCLabel(form);
  GalleryTitleStyle(title);
  title->SetCaption(Caption);
  auto* close = new TQuarnSystemButton(form);
  return {close, title, skin};
}

inline std::unique_ptr<vcl::TForm> NewSkinnedForm(const vcl::TRect& Bounds, const vcl::String& Caption) {
  using namespace vcl;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSizeable);
  form->SetBoundsRect(Bounds);
  form->SetCaption(Caption);
  SkinForm(form.get(), Caption);
  return form;
}

// Delivers what the page's windows have queued (paints, timers due, layout),
// bounded so that a control that keeps posting cannot hang the gallery.
inline void PumpMessages() {
  vcl::MSG m;
  for (int i = 0; i < 20000 && vcl::PeekMessageW(&m, nullptr, 0, 0, vcl::PM_REMOVE); ++i) vcl::DispatchMessageW(&m);
}

// The caption band above a page's picture gives its title and sentence, so
// a page's form starts with what it shows: its controls, laid out below a
// sentence it no longer draws, move up by Dy and the form loses Dy of its
// height. Aligned controls keep their places.
inline void LiftContent(vcl::TWinControl* Form, vcl::Integer Dy) {
  using namespace vcl;
  for (Integer i = 0; i < Form->ControlCount(); ++i) {
    TControl* c = Form->Controls(i);
    if (c->Align() == alNone) c->SetTop(c->Top() - Dy);
  }
  Form->SetHeight(Form->Height() - Dy);
}

// A caption of the pages' one text style: 8-point body text or a 10-point bold
// heading, in the dark slate that reads on the skinned forms' light client.
inline qn::TQuarnLabel* PageLabel(vcl::TWinControl* Parent, vcl::Integer X, vcl::Integer Y, const vcl::String& Text,
                                  bool Heading = false) {
  using namespace vcl;
  auto* l = new qn::TQuarnLabel(Parent);
  l->SetParent(Parent);
  l->Font()->SetName(u"DejaVu Sans");
  l->Font()->SetSize(Heading ? 10 : 8);
  if (Heading) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  l->Font()->SetColor(TColor(0x00463A2E));
  l->SetCaption(Text);
  l->SetLeft(X);
  l->SetTop(Y);
  return l;
}

}  // namespace gallery
