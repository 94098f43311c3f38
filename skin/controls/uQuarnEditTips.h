// uQuarnEditTips: the tips component preset as a validation note beside an
// edit: red, without title or close button, one at a time, right of its
// owner and centred on it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnTips.h"

namespace qn {

class TQuarnCustomEditTips : public TQuarnCustomTips {
  QN_CLASS_CREATE(TQuarnCustomEditTips, TQuarnCustomTips, TComponent)
 public:
  // AOwner must be a control: the tip sits beside it.
  explicit TQuarnCustomEditTips(TComponent* AOwner);

  // Right of the owner, vertically centred on it.
  HWND Show(const String& Text);
  // At P (in the coordinates of the owner's parent), replacing any tip
  // shown before.
  HWND Show(const TPoint& P, const String& Text);
  // Frees every tip shown, newest first.
  void Hide() { CloseSubTipsWindow(); }

 protected:
  TComponent* FOwner = nullptr;
};

class TQuarnEditTips : public TQuarnCustomEditTips {
  QN_CLASS_CREATE(TQuarnEditTips, TQuarnCustomEditTips, TComponent)
 public:
  explicit TQuarnEditTips(TComponent* AOwner) : TQuarnCustomEditTips(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnEditTips) {
    QN_PROP(FrameColor).TypeName(u"TColor").NoDefault().Stored(true);
    QN_PROP(TipsColor).TypeName(u"TColor").NoDefault().Stored(true);
    QN_PROP(TipsFont);
    QN_PROP(PauseTime).NoDefault().Stored(&TQuarnCustomTips::IsPauseTimeStored);
  }
};

// Registers the published class for form files.
void InitQuarnEditTips();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
