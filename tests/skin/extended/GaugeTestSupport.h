// Picture helpers of the gauge tests: colour closeness, crops, counts and
// pixel-by-pixel comparisons of back buffers.
#pragma once

#include <cstdlib>
#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "platform/desktop/Desktop.h"

namespace gaugetest {

using namespace qn;

using TBitmap32Ptr = std::unique_ptr<TBitmap32>;

inline bool Near(TColor32 A, TColor32 B, int Tol) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > Tol) return false;
  return true;
}

inline TBitmap32Ptr Crop(TBitmap32* B, int X, int Y, int W, int H) {
  auto R = std::make_unique<TBitmap32>();
  R->SetSize(W, H);
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) R->SetPixel(i, j, B->GetPixel(X + i, Y + j));
  return R;
}

// Pixels of A and B that differ by more than Tol in some channel.
inline int Mismatches(TBitmap32* A, TBitmap32* B, int Tol) {
  int N = 0;
  for (int j = 0; j < A->Height(); ++j)
    for (int i = 0; i < A->Width(); ++i)
      if (!Near(A->GetPixel(i, j), B->GetPixel(i, j), Tol)) ++N;
  return N;
}

inline int Count(TBitmap32* A, TColor32 C, int Tol) {
  int N = 0;
  for (int j = 0; j < A->Height(); ++j)
    for (int i = 0; i < A->Width(); ++i)
      if (Near(A->GetPixel(i, j), C, Tol)) ++N;
  return N;
}

class TBitmapHolder {
 public:
  explicit TBitmapHolder(TBitmap32Ptr B) : FB(std::move(B)) {}
  TBitmap32* Get() const { return FB.get(); }
  void Set(TBitmap32Ptr B) { FB = std::move(B); }

 private:
  TBitmap32Ptr FB;
};

inline vcl::TScreenImage ToScreenImage(TBitmap32* B) {
  vcl::TScreenImage I;
  I.Width = B->Width();
  I.Height = B->Height();
  for (int j = 0; j < I.Height; ++j)
    for (int i = 0; i < I.Width; ++i) I.Pixels.push_back(B->GetPixel(i, j) | 0xFF000000u);
  return I;
}

}  // namespace gaugetest
