#include "skin/controls/uQuarnSearchEdit.h"

namespace qn {

TQuarnSearchEdit::TQuarnSearchEdit(TComponent* AOwner) : TQuarnPngEdit(AOwner) {
  SetWidth(140);
  SetTextHint(u"Search");
  TQnEditItem* icon = FItems->Add();
  icon->SetKind(ikImage);
  icon->Pos()->SetX(4);
  icon->Pos()->SetY(5);
  icon->SetImage(u"QuarnSearch_icon");
}

void InitQuarnSearchEdit() { RegisterClasses({TQuarnSearchEdit::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSearchEdit)
