// uQuarnExpandBox: a container with a title bar — icon, bold title and an
// expand/collapse icon — and a one-pixel frame. A click on the title bar
// folds the box up to the title or opens it to the height it had.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

class TQuarnExpandBox : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnExpandBox, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnExpandBox(TComponent* AOwner);

  bool AllowCollapse() const { return FAllowCollapse; }
  void SetAllowCollapse(bool Value) { FAllowCollapse = Value; }
  Integer TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(Integer Value);
  TQnResID TitleIcon() const { return FTitleIcon; }
  void SetTitleIcon(const TQnResID& Value);
  TFont* TitleFont() const { return FTitleFont.get(); }
  // Copied; the next paint shows it.
  void SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }
  TColor TitleColor() const { return FTitleColor; }
  void SetTitleColor(TColor Value);
  TQnResID ExpandIcon() const { return FExpandIcon; }
  void SetExpandIcon(const TQnResID& Value);
  TQnResID CollapseIcon() const { return FCollapseIcon; }
  void SetCollapseIcon(const TQnResID& Value);
  String Title() const { return FTitle; }
  void SetTitle(const String& Value);
  bool Expand() const { return FExpand; }
  void SetExpand(bool Value);
  // Only stores; the next paint takes it.
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { FBorderColor = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  // The height the box opens to.
  Integer ExpandedHeight() const { return FExpandedHeight; }

  bool IsExpandIconStored() const { return FExpandIcon != u"QuarnExpand_2"; }
  bool IsCollapseIconStored() const { return FCollapseIcon != u"QuarnExpand_1"; }
  bool IsTitleStored() const { return FTitle != u"Title"; }

  void AdjustClientRect(TRect& Rect) override;
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnExpandBox) {
    QN_PROP(AllowCollapse).Default(true);
    QN_PROP(TitleHeight).Default(25);
    QN_PROP(TitleIcon).TypeName(u"TQnResID");
    QN_PROP(TitleFont);
    QN_PROP(TitleColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00AACF58));
    QN_PROP(ExpandIcon).TypeName(u"TQnResID").Stored(&TQuarnExpandBox::IsExpandIconStored);
    QN_PROP(CollapseIcon).TypeName(u"TQnResID").Stored(&TQuarnExpandBox::IsCollapseIconStored);
    QN_PROP(Title).Stored(&TQuarnExpandBox::IsTitleStored);
    QN_PROP(Expand).Default(true);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x007F6223));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void DoExpand();
  void DoChanged();
  void WMLButtonDown(TMessage& Message);
  void WMMove(TMessage& Message);

  TNotifyEvent FOnChanged;
  TQnResID FTitleIcon;
  TQnResID FExpandIcon = u"QuarnExpand_2";
  Integer FTitleHeight = 25;
  TQnResID FCollapseIcon = u"QuarnExpand_1";
  String FTitle = u"Title";
  bool FExpand = true;
  std::unique_ptr<TFont> FTitleFont;
  Integer FExpandedHeight = 0;
  TColor FBorderColor = static_cast<TColor>(0x007F6223);
  bool FAllowCollapse = true;
  TColor FTitleColor = static_cast<TColor>(0x00AACF58);

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
};

void InitQuarnExpandBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
