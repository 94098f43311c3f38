// Parents for the tests of controls that show what lies under them: an
// opaque skinned picture whose every pixel differs, inside a plain platform
// container, so a probe tells exactly which parent pixel shows through.
#pragma once

#include "skin/foundation/uQuarnCtrls.h"

namespace skintest {

using namespace qn;

class TPictureRoot : public TQuarnCustomControl {
  QN_CLASS(TPictureRoot, TQuarnCustomControl)
 public:
  explicit TPictureRoot(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetTransparent(false);
  }
  static TColor32 At(Integer x, Integer y) { return Color32(Byte(x * 3), Byte(y * 2), Byte(90 + (x ^ y) % 100), 255); }

 protected:
  void DrawBody(TBitmap32* B) override {
    for (Integer y = 0; y < B->Height(); ++y)
      for (Integer x = 0; x < B->Width(); ++x) B->SetPixel(x, y, At(x, y));
  }
};

class TPlainRoot : public TCustomControl {
  QN_CLASS(TPlainRoot, TCustomControl)
 public:
  explicit TPlainRoot(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
};

inline TColor32 Rgb(TColor32 c) { return c & 0xFFFFFFu; }
inline TColor32 Rgb(TColor c) { return Color32(ColorToRGB(c)) & 0xFFFFFFu; }

}  // namespace skintest
