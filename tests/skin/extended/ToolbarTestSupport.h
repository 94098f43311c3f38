// What the toolbar tests share: a shown form in one colour, toolbars on it,
// an image list whose images are flat squares of known colours, and a
// picture brought up to date on demand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "skin/extended/uQuarnToolbar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace toolbartest {

using namespace qn;

// The colour of image I of TestImages (opaque, all different).
inline TColor ImageColour(Integer I) {
  static const TColor colours[] = {static_cast<TColor>(0x000000FF), static_cast<TColor>(0x0000C000),
                                   static_cast<TColor>(0x00FF0000), static_cast<TColor>(0x0000FFFF),
                                   static_cast<TColor>(0x00FF00FF), static_cast<TColor>(0x00FFFF00)};
  return colours[I % 6];
}

class ToolbarTest : public skintest::RootTest {
 protected:
  TQuarnToolbar* Bar(Integer W = 300, Integer H = 52) {
    auto* b = new TQuarnToolbar(FRoot.get());
    b->SetParent(FRoot.get());
    b->SetAlign(alNone);
    b->SetBounds(10, 10, W, H);
    // Past the delayed refresh that holds the body after a resize.
    Wait(12);
    return b;
  }
  // Count items of kind button, text "T<i>".
  static void AddItems(TQuarnCustomToolbar* B, Integer Count) {
    for (Integer i = 0; i < Count; ++i) {
      TQuarnToolbarItem* it = B->Items()->Add();
      it->Text()->SetText(u"T" + IntToStr(i));
    }
  }
  // Six Size x Size images, image I filled with ImageColour(I).
  TCustomImageList* TestImages(Integer Size = 16) {
    auto* list = new TCustomImageList(FRoot.get());
    list->SetSize(Size, Size);
    for (Integer i = 0; i < 6; ++i) {
      TBitmap bmp;
      bmp.SetSize(Size, Size);
      bmp.Canvas()->Brush()->SetColor(ImageColour(i));
      bmp.Canvas()->FillRect(TRect(0, 0, Size, Size));
      list->Add(&bmp, nullptr);
    }
    return list;
  }
  // The finished picture now; a copy, so later paints leave it alone.
  std::unique_ptr<TBitmap32> Shot(TQuarnCustomToolbar* B) {
    B->Invalidate();
    usertest::Pump();
    auto copy = std::make_unique<TBitmap32>();
    copy->Assign(B->Buffer());
    return copy;
  }
  static TColor32 Rgb(TColor32 C) { return C & 0xFFFFFFu; }
  static TColor32 Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }
};

}  // namespace toolbartest
