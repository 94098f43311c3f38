#include "skin/controls/uQuarnSizeGrip.h"

namespace qn {

TQuarnSizeGrip::TQuarnSizeGrip(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetAutoInvalidate(true);
  SetCursor(crSizeNWSE);
  SetAnchors(TAnchors{akRight, akBottom});
  SetBounds(Left(), Top(), 20, 20);
}

void TQuarnSizeGrip::SetImage(const TQnResID& Value) {
  if (FImage == Value) return;
  FImage = Value;
  Invalidate();
}

void TQuarnSizeGrip::UpdateDragged() {
  if (!FDestForm) FDestForm = GetParentForm(this);
  FDragged = FDestForm && FDestForm->WindowState() != wsMaximized;
}

void TQuarnSizeGrip::DrawBody(TBitmap32* Buffer) {
  UpdateDragged();
  if (!FDragged) return;
  SetCursor(crSizeNWSE);
  TQuarnImage* img = FImage.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FImage);
  if (!img || img->Empty()) return;
  img->SetDrawMode(TDrawMode::dmBlend);
  img->DrawTo(Buffer, Width() - img->Width() - 1, Height() - img->Height() - 1);
}

void TQuarnSizeGrip::WndProc(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONDOWN && !ComponentState().Contains(csDesigning)) {
    // The form may have been maximized since the grip was last painted.
    UpdateDragged();
    if (FDragged) {
      ReleaseCapture();
      SendMessageW(FDestForm->Handle(), WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, 0);
      return;
    }
  }
  TQuarnCustomControl::WndProc(Message);
}

void InitQuarnSizeGrip() { RegisterClasses({TQuarnSizeGrip::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSizeGrip)
