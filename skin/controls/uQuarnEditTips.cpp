#include "skin/controls/uQuarnEditTips.h"

namespace qn {

TQuarnCustomEditTips::TQuarnCustomEditTips(TComponent* AOwner) : TQuarnCustomTips(AOwner), FOwner(AOwner) {
  FPauseTime = 3000;
  FTipsColor = static_cast<TColor>(0x004A3BD9);
  FTipsFont->SetColor(static_cast<TColor>(0x00EFEFEF));
  FFrameColor = static_cast<TColor>(0x004A3BD9);
  FCloseButtonVisible = false;
  FHideOfParentDeactivate = true;
}

HWND TQuarnCustomEditTips::Show(const String& Text) {
  auto* owner = dynamic_cast<TControl*>(FOwner);
  if (!owner) return nullptr;
  const Integer x = owner->Left() + owner->Width() + 5;
  const Integer y = owner->Top() + (owner->Height() - GetTipsHeight(Text)) / 2 - 5;
  return Show(TPoint(x, y), Text);
}

HWND TQuarnCustomEditTips::Show(const TPoint& P, const String& Text) {
  Hide();
  auto* owner = dynamic_cast<TWinControl*>(FOwner);
  if (!owner) return nullptr;
  TRect r(P.X, P.Y, P.X + GetTipsWidth(Text) + 10, P.Y + GetTipsHeight(Text));
  return TQuarnCustomTips::Show(String(), Text, owner, &r, hdCustom);
}

}  // namespace qn

namespace qn {

void InitQuarnEditTips() { RegisterClasses({TQuarnEditTips::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnEditTips)
