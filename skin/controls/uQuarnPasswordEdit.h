// uQuarnPasswordEdit: the library-drawn edit that paints each character as
// one skin image in a cell of its own (unless ShowPassword), refuses copy
// and cut and leaves the text messages unanswered, so the password can be
// read neither from the screen nor through the window.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnEdit.h"

namespace qn {

class TQuarnPasswordEdit : public TQuarnPngEdit {
  QN_CLASS_CREATE(TQuarnPasswordEdit, TQuarnPngEdit, TComponent)
 public:
  explicit TQuarnPasswordEdit(TComponent* AOwner);

  TQnResID PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(const TQnResID& Value);
  // The next two only store.
  Integer XSpace() const { return FXSpace; }
  void SetXSpace(Integer Value) { FXSpace = Value; }
  Integer YSpace() const { return FYSpace; }
  void SetYSpace(Integer Value) { FYSpace = Value; }
  bool ShowPassword() const { return FShowPassword; }
  void SetShowPassword(bool Value);
  // The width of one character's cell: the image's width and the gap.
  Integer CellWidth();

  using TQuarnPngEdit::GetTextWidth;
  Integer GetTextWidth(Integer Start, Integer Count, const String& Text) override;
  // While the cells are shown a click is resolved on them too, not on the
  // glyphs that are not drawn.
  Integer GetTextWidth(Integer Index, const String& Text) override;
  void DrawTexts(TBitmap32* Buffer) override;
  void DrawText(TBitmap32* Buffer, Integer X, Integer Y, const String& S, bool Selected) override;

  String TextProp() const { return FText; }
  void SetTextProp(const String& Value) { SetText(Value); }
  Integer MaxLengthProp() { return GetMaxLength(); }
  void SetMaxLengthProp(Integer Value) { SetMaxLength(Value); }

  QN_PUBLISHED_DECL(TQuarnPasswordEdit) {
    QN_PROP(PasswordChar).TypeName(u"TQnResID");
    QN_PROP(XSpace).Default(2);
    QN_PROP(YSpace).Default(4);
    QN_PROP(ShowPassword).Default(false);
    QN_PROP(CharCase).Default(ecNormal);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(FontHint);
    QN_PROP(BorderNormal).TypeName(u"TQnResID");
    QN_PROP(BorderHot).TypeName(u"TQnResID");
    QN_PROP(BorderVisible).Default(true);
    QN_PROP(ReadOnly).Default(false);
    P.Property(u"Tips", &TQuarnPngEdit::Tips, nullptr);
    P.Property(u"Text", &TQuarnPasswordEdit::TextProp, &TQuarnPasswordEdit::SetTextProp);
    P.Property(u"MaxLength", &TQuarnPasswordEdit::MaxLengthProp, &TQuarnPasswordEdit::SetMaxLengthProp).Default(0);
    QN_PROP(EdItems);
    QN_PROP(Space);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_EDIT_CONTROL_PROPS(P);
  }

 protected:
  TQnResID FPasswordChar = u"QuarnPasswordchar";
  Integer FXSpace = 2;
  Integer FYSpace = 4;
  bool FShowPassword = false;
};

void InitQuarnPasswordEdit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
