// uQuarnSizeGrip: the grip in a form's bottom-right corner. A press starts
// the form's own sizing loop at that corner; on a maximized form the grip is
// blank and inert.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

class TQuarnSizeGrip : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnSizeGrip, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnSizeGrip(TComponent* AOwner);

  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  bool IsImageStored() const { return FImage != u"QuarnDrag_flag"; }
  // Whether a press sizes the form: there is one and it is not maximized.
  bool Dragged() const { return FDragged; }

  void WndProc(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnSizeGrip) {
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akRight, akBottom});
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).TypeName(u"TCursor").Default(crSizeNWSE);
    QN_PROP(Image).TypeName(u"TQnResID").Stored(&TQuarnSizeGrip::IsImageStored);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  // Finds the form once and tells whether it can be sized from here.
  void UpdateDragged();

  TQnResID FImage = u"QuarnDrag_flag";
  bool FDragged = false;
  TCustomForm* FDestForm = nullptr;
};

void InitQuarnSizeGrip();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
