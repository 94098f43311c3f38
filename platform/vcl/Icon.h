// TIcon: the images of an .ico (or .cur) file, one of which (the one closest
// to the requested size) becomes an HICON when a handle is needed. Images
// may be 32-bit with alpha, paletted or true-colour with an AND mask, or
// PNG-compressed. Icons loaded from a file save back byte for byte; icons
// made from a handle save as one 32-bit image with its mask.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/gdi/GdiIcon.h"
#include "platform/vcl/Graphic.h"

namespace vcl {

class TIcon : public TGraphic {
  QN_GRAPHIC_CLASS(TIcon, TGraphic)
 public:
  TIcon();
  ~TIcon() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FImages.empty(); }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer Value) override { SetSize(Value, FRequested.cy); }
  void SetHeight(Integer Value) override { SetSize(FRequested.cx, Value); }
  // Chooses the image closest to this size (the file keeps all of them).
  void SetSize(Integer AWidth, Integer AHeight) override;
  bool Transparent() const override { return true; }
  Integer ImageCount() const { return Integer(FImages.size()); }

  // Made on demand; nullptr when the icon is empty or cannot be made.
  HICON Handle();
  // Takes the icon over (it is destroyed with this object).
  void SetHandle(HICON Value);
  HICON ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // "Icon image is not valid" for anything that is not a sound icon file.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

  // The current image as straight-alpha 0xAARRGGBB pixels, top row first;
  // masked images are opaque where the mask is clear, 0 elsewhere.
  std::vector<uint32_t> Pixels() const;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  struct TImage {
    Integer W = 0, H = 0;
    Integer Bpp = 32;
    bool HasAlpha = false;
    std::vector<uint32_t> Color;  // BGRA as stored (alpha 0 unless HasAlpha)
    std::vector<uint8_t> Mask;    // 1: transparent
    // The directory entry and the image's bytes as read, for saving.
    Byte Entry[16] = {};
    TBytes Raw;
  };
  const TImage* Current() const;
  void FreeHandle();
  void ImagesFromHandle(HICON h);
  static TImage DecodeImage(const Byte* p, size_t n);

  std::vector<TImage> FImages;
  Word FResType = 1;  // 1 icon, 2 cursor
  TSize FRequested{32, 32};
  HICON FHandle = nullptr;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
