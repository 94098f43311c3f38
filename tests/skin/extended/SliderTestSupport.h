// Pictures the slider, circle shape and marker tests serve through the skin
// store's look-up hook: solid colours at known ids, with or without alpha.
#pragma once

#include <map>
#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "skin/foundation/uQuarnResManager.h"

namespace slidertest {

using namespace qn;

class TPictureSource {
 public:
  TPictureSource() { TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(this, &TPictureSource::Get)); }
  ~TPictureSource() {
    TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent());
    TQuarnResManagerObj()->Reload();
  }
  // A W x H picture served as Id; Blend marks it as having alpha.
  TBitmap32* Add(const String& Id, Integer W, Integer H, TColor32 C, bool Blend = false) {
    auto B = std::make_unique<TBitmap32>();
    B->SetSize(W, H);
    B->Clear(C);
    B->SetDrawMode(Blend ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
    TBitmap32* R = B.get();
    FPictures[Id] = std::move(B);
    return R;
  }

 private:
  void Get(TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
    auto It = FPictures.find(Id);
    if (It == FPictures.end()) return;
    Image->Assign(It->second.get());
    Handled = true;
  }
  std::map<String, std::unique_ptr<TBitmap32>> FPictures;
};

}  // namespace slidertest
