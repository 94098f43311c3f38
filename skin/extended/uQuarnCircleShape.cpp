#include "skin/extended/uQuarnCircleShape.h"

#include "gdiplus/Gdiplus_qn.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/classes/ComStreams.h"
#include "platform/vcl/PngImage.h"
#include "skin/foundation/uQnComm_Gdip.h"

namespace qn {

TQuarnCircleShape::TQuarnCircleShape(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable});
  FColor = static_cast<TColor>(0x00EBB71C);
  FAlpha = 0;
  FBorderSides = TSides{};
  SetBounds(Left(), Top(), 120, 120);
}

void TQuarnCircleShape::SetPicture(const TQnResID& Value) {
  if (FPicture == Value) return;
  FPicture = Value;
  Invalidate();
}

void TQuarnCircleShape::DrawBody(TBitmap32* Buffer) {
  TQuarnImage* Image = FPicture.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FPicture);
  if (!Image || Image->Empty()) return;
  // GDI+ decodes from a stream: a picture with alpha goes as PNG so its
  // transparency survives, an opaque one in the bitmap's own format.
  TMemoryStream Stream;
  if (Image->DrawMode() == TDrawMode::dmBlend) {
    TPngImage Png;
    if (!SaveBitmap32ToPNG(Image, &Png)) return;
    Png.SaveToStream(&Stream);
  } else {
    Image->SaveToStream(&Stream);
  }
  Stream.SetPosition(0);
  TIntf<IStream> Adapter(new TStreamAdapter(&Stream));
  TGpImage GpImage(Adapter.get());
  DrawImageInCircle(Buffer->Canvas()->Handle(), TRect(0, 0, Width(), Height()), &GpImage, FColor);
}

void InitQuarnCircleShape() { RegisterClasses({TQuarnCircleShape::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCircleShape)
