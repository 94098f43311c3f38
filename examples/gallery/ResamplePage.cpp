// One small picture stretched up (2.5 times) and down (to five eighths) by
// every resampler: one row each for the nearest, linear and draft
// resamplers, then the kernel resampler with every registered kernel in
// registration order. The original sits at the right of each row.
#include <string>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer SrcW = 64, SrcH = 48, UpW = 160, UpH = 120, DownW = 40, DownH = 30, Gap = 10;

// Rings that alias when sampled badly, a colour ramp, and hard edges.
void Picture(TCustomBitmap32& b) {
  for (Integer y = 0; y < SrcH; ++y)
    for (Integer x = 0; x < SrcW; ++x) {
      TColor32 c;
      if (x < SrcW / 2) {
        const Integer dx = x - SrcW / 4, dy = y - SrcH / 2;
        c = ((dx * dx + dy * dy) / 12) & 1 ? 0xFF202020u : 0xFFF0F0F0u;
      } else {
        c = Color32(Byte((x - SrcW / 2) * 8), Byte(y * 5), Byte(255 - y * 5));
        if (x - SrcW / 2 == y / 2 || y == SrcH - 8) c = 0xFF000000u;
      }
      b.SetPixel(x, y, c);
    }
}

}  // namespace

std::vector<std::string> ResamplePage(const std::string& outDir) {
  TCustomBitmap32 src;
  src.SetSize(SrcW, SrcH);
  Picture(src);
  const Integer kernels = KernelList ? KernelList->Count() : 0;
  const Integer rows = 3 + kernels;
  // Each row is named above its pictures; the columns once at the top.
  constexpr Integer Head = 22, Caption = 16;
  vcl::TScreenImage img;
  img.Width = Gap + UpW + Gap + DownW + Gap + SrcW + Gap;
  img.Height = Head + rows * (Caption + UpH + Gap);
  std::vector<TImageLabel> labels{{Gap, 5, u"2.5 times up", true},
                                  {Gap + UpW + Gap, 5, u"5/8", true},
                                  {Gap + UpW + Gap + DownW + Gap, 5, u"original", true}};
  img.Pixels.assign(size_t(img.Width) * img.Height, 0xFFFFFFFFu);
  auto put = [&](const TCustomBitmap32& b, Integer ox, Integer oy) {
    for (Integer y = 0; y < b.Height(); ++y)
      for (Integer x = 0; x < b.Width(); ++x) img.Pixels[size_t(oy + y) * img.Width + ox + x] = b.GetPixel(x, y);
  };
  for (Integer r = 0; r < rows; ++r) {
    if (r == 0) new TNearestResampler(&src);
    else if (r == 1) new TLinearResampler(&src);
    else if (r == 2) new TDraftResampler(&src);
    else (new TKernelResampler(&src))->SetKernelClassName(KernelList->Items(r - 3)->ClassName());
    TCustomBitmap32 up, down;
    up.SetSize(UpW, UpH);
    down.SetSize(DownW, DownH);
    StretchTransfer(&up, up.BoundsRect(), up.BoundsRect(), &src, src.BoundsRect(), src.Resampler(),
                    TDrawMode::dmOpaque);
    StretchTransfer(&down, down.BoundsRect(), down.BoundsRect(), &src, src.BoundsRect(), src.Resampler(),
                    TDrawMode::dmOpaque);
    const Integer oy = Head + r * (Caption + UpH + Gap) + Caption;
    const vcl::String name = r == 0   ? vcl::String(u"TNearestResampler")
                             : r == 1 ? vcl::String(u"TLinearResampler")
                             : r == 2 ? vcl::String(u"TDraftResampler")
                                      : u"TKernelResampler, " + KernelList->Items(r - 3)->ClassName();
    labels.push_back({Gap, oy - Caption + 1, name});
    put(up, Gap, oy);
    put(down, Gap + UpW + Gap, oy);
    put(src, Gap + UpW + Gap + DownW + Gap, oy);
  }
  const std::string path = outDir + "/resample.png";
  vcl::SavePng(WithLabels(img, labels), path);
  return {path};
}

}  // namespace gallery
