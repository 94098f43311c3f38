// A skinned form as the gallery's skinned pages show one: sizeable, a
// 30-pixel title with its caption in bold white on a soft glow, and the
// close button.
#pragma once

#include <memory>

#include "platform/vcl/Forms.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace gallery {

inline std::unique_ptr<vcl::TForm> NewSkinnedForm(const vcl::TRect& Bounds, const vcl::String& Caption) {
  using namespace vcl;
  using namespace qn;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSizeable);
  form->SetBoundsRect(Bounds);
  form->SetCaption(Caption);
  auto* skin = new TQuarnForm(form.get());
  skin->SetTitleHeight(30);
  auto* title = new TQuarnNCLabel(form.get());
  title->Font()->SetName(u"DejaVu Sans");
  title->Font()->SetSize(10);
  title->Font()->SetStyle({TFontStyle::fsBold});
  title->Font()->SetColor(clWhite);
  title->Light()->SetActive(true);
  title->Light()->SetColor(TColor(0xB07A30));
  title->Light()->SetBlurRadius(4);
  title->SetCaption(Caption);
  new TQuarnSystemButton(form.get());
  return form;
}

}  // namespace gallery
