#include "skin/controls/uQnLocateObj.h"

namespace qn {

void TQnLocateObj::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnLocateObj*>(Source)) {
    SetX(s->X());
    SetY(s->Y());
    SetAlign(s->Align());
    return;
  }
  TPersistent::Assign(Source);
}

void TQnSpaceSize::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQnSpaceSize*>(Source)) {
    SetActive(s->Active());
    SetLeft(s->Left());
    SetTop(s->Top());
    SetRight(s->Right());
    SetBottom(s->Bottom());
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnLocateObj)
QN_PUBLISHED_IMPL(qn::TQnSpaceSize)
