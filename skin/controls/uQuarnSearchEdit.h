// uQuarnSearchEdit: the library-drawn edit with a search icon at the left
// and the hint "Search".
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnEdit.h"

namespace qn {

class TQuarnSearchEdit : public TQuarnPngEdit {
  QN_CLASS_CREATE(TQuarnSearchEdit, TQuarnPngEdit, TComponent)
 public:
  explicit TQuarnSearchEdit(TComponent* AOwner);

  String TextProp() const { return FText; }
  void SetTextProp(const String& Value) { SetText(Value); }
  Integer MaxLengthProp() { return GetMaxLength(); }
  void SetMaxLengthProp(Integer Value) { SetMaxLength(Value); }

  QN_PUBLISHED_DECL(TQuarnSearchEdit) {
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(FontHint);
    QN_PROP(BorderNormal).TypeName(u"TQnResID");
    QN_PROP(BorderHot).TypeName(u"TQnResID");
    QN_PROP(ReadOnly).Default(false);
    P.Property(u"Text", &TQuarnSearchEdit::TextProp, &TQuarnSearchEdit::SetTextProp);
    P.Property(u"MaxLength", &TQuarnSearchEdit::MaxLengthProp, &TQuarnSearchEdit::SetMaxLengthProp).Default(0);
    QN_PROP(EdItems);
    QN_PROP(Space);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_EDIT_CONTROL_PROPS(P);
  }
};

void InitQuarnSearchEdit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
