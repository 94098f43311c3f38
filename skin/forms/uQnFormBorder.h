// uQnFormBorder: the layered image border of a skinned form. Four layered
// windows, owned by the form, lie around it and show the slices of one
// nine-sliced picture (a soft shadow when no image is named); they follow
// the form's moves, sizes and visibility. Form skins name the border
// (ImageBorder) and ask it to place their windows at each frame paint.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Component.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

class TQnFormLayerBorder : public TComponent {
  QN_CLASS_CREATE(TQnFormLayerBorder, TComponent, TComponent)
 public:
  explicit TQnFormLayerBorder(TComponent* AOwner);
  ~TQnFormLayerBorder() override;

  // Empty: a generated soft shadow.
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  Integer BorderWidth() const { return FBorderWidth; }
  // Negative widths are ignored.
  void SetBorderWidth(Integer Value);

  // Makes Form's four windows when missing and puts them around the form
  // (hidden while it is hidden, minimised or maximised).
  void UpdateFor(TCustomForm* Form);
  // Destroys Form's windows (a skin that stops naming the border).
  void Release(TCustomForm* Form);
  // Destroys every layer window of this border; a skin still naming it
  // makes its own again at its next frame paint.
  void FreeLayerWindow();
  // The layer windows of Form (empty when none).
  std::vector<HWND> WindowsOf(TCustomForm* Form) const;
  Integer WindowCount() const { return Integer(FSets.size()) * 4; }

  QN_PUBLISHED_DECL(TQnFormLayerBorder) {
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(BorderWidth).Default(10);
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TLayerSet {
    TCustomForm* Form = nullptr;
    HWND Wnd[4] = {};
  };
  // The border picture for a window W x H: (W + 2B) x (H + 2B), straight alpha.
  void BuildPicture(Integer W, Integer H, TBitmap32* Dst);
  void Push(TLayerSet& Set);
  void Destroy(TLayerSet& Set);
  TLayerSet* Find(TCustomForm* Form);

  TQnResID FImage;
  Integer FBorderWidth = 10;
  std::vector<TLayerSet> FSets;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
