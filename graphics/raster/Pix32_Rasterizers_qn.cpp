#include "graphics/raster/Pix32_Rasterizers_qn.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_OrdinalMaps_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_System_qn.h"

namespace qn {

Integer NumberOfProcessors = 1;
TRasterizerClass DefaultRasterizerClass = nullptr;

TCombineInfo CombineInfo(TCustomBitmap32* Bitmap) {
  TCombineInfo r;
  r.SrcAlpha = static_cast<Integer>(Bitmap->MasterAlpha());
  r.DrawMode = Bitmap->DrawMode();
  r.CombineMode = Bitmap->CombineMode();
  r.CombineCallBack = Bitmap->OnPixelCombine();
  r.TransparentColor = Bitmap->OuterColor();
  if (r.DrawMode == TDrawMode::dmCustom && !r.CombineCallBack) r.DrawMode = TDrawMode::dmOpaque;
  return r;
}

// ---------------------------------------------------------------------------
// TRasterizer

void TRasterizer::SetSampler(TCustomSampler* Value) {
  if (FSampler == Value) return;
  FSampler = Value;
  Changed();
}

void TRasterizer::SetCombineInfo(const TCombineInfo& CombineInfo) {
  FTransparentColor = CombineInfo.TransparentColor;
  FSrcAlpha = CombineInfo.SrcAlpha;
  FCombineCallBack = CombineInfo.CombineCallBack;
  FBlendMemEx = *BLEND_MEM_EX[static_cast<int>(CombineInfo.CombineMode)];
  FBlendLineEx = *BLEND_LINE_EX[static_cast<int>(CombineInfo.CombineMode)];
  switch (CombineInfo.DrawMode) {
    case TDrawMode::dmOpaque: FAssignColor = &TRasterizer::AssignColorOpaque; break;
    case TDrawMode::dmBlend: FAssignColor = &TRasterizer::AssignColorBlend; break;
    case TDrawMode::dmTransparent: FAssignColor = &TRasterizer::AssignColorTransparent; break;
    case TDrawMode::dmCustom:
      FAssignColor = FCombineCallBack ? &TRasterizer::AssignColorCustom : &TRasterizer::AssignColorBlend;
      break;
  }
}

void TRasterizer::AssignColorOpaque(TColor32& Dst, TColor32 Src) { Dst = Src; }

void TRasterizer::AssignColorBlend(TColor32& Dst, TColor32 Src) {
  FBlendMemEx(Src, Dst, static_cast<TColor32>(FSrcAlpha));
  EMMS();
}

void TRasterizer::AssignColorTransparent(TColor32& Dst, TColor32 Src) {
  if (Src != FTransparentColor) Dst = Src;
}

void TRasterizer::AssignColorCustom(TColor32& Dst, TColor32 Src) {
  FCombineCallBack(Src, Dst, static_cast<TColor32>(FSrcAlpha));
}

void TRasterizer::Rasterize(TCustomBitmap32* Dst) { Rasterize(Dst, Dst->BoundsRect()); }

void TRasterizer::Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, const TCombineInfo& CombineInfo) {
  SetCombineInfo(CombineInfo);
  Rasterize(Dst, DstRect);
}

void TRasterizer::Rasterize(TCustomBitmap32* Dst, const TRect& DstRect, TCustomBitmap32* Src) {
  Rasterize(Dst, DstRect, CombineInfo(Src));
}

void TRasterizer::Rasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  const Integer updateCount = Dst->UpdateCount();
  if (!FSampler) return;
  FSampler->PrepareSampling();
  auto finish = [&] {
    while (Dst->UpdateCount() > updateCount) Dst->EndUpdate();
    FSampler->FinalizeSampling();
  };
  try {
    const TRect b = Dst->BoundsRect();
    TRect r(std::max(DstRect.Left, b.Left), std::max(DstRect.Top, b.Top), std::min(DstRect.Right, b.Right),
            std::min(DstRect.Bottom, b.Bottom));
    if (FSampler->HasBounds()) {
      const TRect s = MakeRect(FSampler->GetSampleBounds(), TRectRounding::rrOutside);
      r = TRect(std::max(r.Left, s.Left), std::max(r.Top, s.Top), std::min(r.Right, s.Right),
                std::min(r.Bottom, s.Bottom));
    }
    // The visiting orders all start from a first pixel; an empty rectangle
    // has none.
    if (r.Right > r.Left && r.Bottom > r.Top) DoRasterize(Dst, r);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TRasterizer::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    if (auto* b = dynamic_cast<TCustomBitmap32*>(Source)) SetCombineInfo(CombineInfo(b));
    else inherited::Assign(Source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TRasterizer::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TRasterizer*>(Dest)) SmartAssign(this, Dest);
  else inherited::AssignTo(Dest);
}

// ---------------------------------------------------------------------------
// TRegularRasterizer

void TRegularRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  const TRect& r = DstRect;
  TCustomSampler* s = FSampler;
  // A transformer that can sample whole rows saves the mapping and the
  // dispatch of every pixel.
  auto* rows = dynamic_cast<TTransformer*>(s);
  if (rows && !rows->CanSampleRows()) rows = nullptr;
  const bool opaque = FAssignColor == &TRasterizer::AssignColorOpaque;
  std::vector<TColor32> buffer(rows && !opaque ? static_cast<size_t>(r.Right - r.Left) : 0);
  Integer n = 0;
  for (Integer y = r.Top; y < r.Bottom; ++y) {
    PColor32 p = Dst->GetPixelPtr(r.Left, y);
    if (rows && opaque) {
      rows->SampleRow(r.Left, y, r.Right - r.Left, p);
    } else if (rows) {
      rows->SampleRow(r.Left, y, r.Right - r.Left, buffer.data());
      if (FAssignColor == &TRasterizer::AssignColorBlend) {
        FBlendLineEx(buffer.data(), p, r.Right - r.Left, static_cast<TColor32>(FSrcAlpha));
        EMMS();
      } else {
        for (const TColor32 c : buffer) AssignPixel(*p++, c);
      }
    } else {
      for (Integer x = r.Left; x < r.Right; ++x, ++p) AssignPixel(*p, s->GetSampleInt(x, y));
    }
    if (++n == FUpdateRowCount) {
      Dst->Changed(TRect(r.Left, y - n + 1, r.Right, y + 1), AREA_RECT_FLAG);
      n = 0;
    }
  }
  Dst->Changed(TRect(r.Left, r.Bottom - n, r.Right, r.Bottom), AREA_RECT_FLAG);
}

// ---------------------------------------------------------------------------
// TSwizzlingRasterizer

void TSwizzlingRasterizer::SetBlockSize(Integer Value) {
  Value = Clamp(Value, 0, 16);
  if (FBlockSize == Value) return;
  FBlockSize = Value;
  Changed();
}

void TSwizzlingRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  const Integer L = DstRect.Left, T = DstRect.Top;
  const Integer W = DstRect.Right - L, H = DstRect.Bottom - T;
  const Integer bs = 1 << FBlockSize;
  Integer nx = L + bs, ny = T + bs;
  TCustomSampler* s = FSampler;
  auto report = [&](Integer cx, Integer cy) {
    TRect a(cx - bs, cy - bs, cx, cy);
    a = TRect(std::max(a.Left, L), std::max(a.Top, T), std::min(a.Right, DstRect.Right),
              std::min(a.Bottom, DstRect.Bottom));
    Dst->Changed(a, AREA_RECT_FLAG);
  };
  auto visit = [&](Integer x, Integer y) {
    const Integer X = L + x, Y = T + y;
    AssignPixel(*Dst->GetPixelPtr(X, Y), s->GetSampleInt(X, Y));
    if (X >= nx || Y >= ny) {
      report(nx, ny);
      nx = X + bs;
      ny = Y + bs;
    }
  };
  // Walking the quadtree of the enclosing power-of-two square visits the
  // cells in Morton order and drops every quadrant outside W x H at once,
  // so a thin rectangle costs about twice its area rather than its
  // square's.
  Integer size = 1;
  while (size < W || size < H) size <<= 1;
  struct TQuad {
    Integer X, Y, Size;
  };
  std::vector<TQuad> stack;
  stack.push_back({0, 0, size});
  while (!stack.empty()) {
    const TQuad q = stack.back();
    stack.pop_back();
    if (q.X >= W || q.Y >= H) continue;
    if (q.Size == 1) {
      visit(q.X, q.Y);
      continue;
    }
    const Integer h = q.Size >> 1;
    // Pushed in reverse so they pop as (0,0), (1,0), (0,1), (1,1).
    stack.push_back({q.X + h, q.Y + h, h});
    stack.push_back({q.X, q.Y + h, h});
    stack.push_back({q.X + h, q.Y, h});
    stack.push_back({q.X, q.Y, h});
  }
  report(nx, ny);
}

// ---------------------------------------------------------------------------
// TProgressiveRasterizer

void TProgressiveRasterizer::SetSteps(Integer Value) {
  Value = Clamp(Value, 0, 16);
  if (FSteps == Value) return;
  FSteps = Value;
  Changed();
}

void TProgressiveRasterizer::SetUpdateRows(bool Value) {
  if (FUpdateRows == Value) return;
  FUpdateRows = Value;
  Changed();
}

void TProgressiveRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  const Integer L = DstRect.Left, T = DstRect.Top, R = DstRect.Right, B = DstRect.Bottom;
  const Integer W = R - L, H = B - T;
  TCustomSampler* s = FSampler;
  const bool notify = Dst->UpdateCount() == 0 && Dst->OnAreaChanged();
  auto report = [&](const TRect& a) {
    if (notify) Dst->OnAreaChanged()(Dst, a, AREA_RECT_FLAG);
  };
  // Samples (X, Y) and fills X .. XE - 1 by Y .. YB - 1 with it.
  auto block = [&](Integer X, Integer XE, Integer Y, Integer YB) {
    TColor32 c = s->GetSampleInt(X, Y);
    for (Integer y = Y; y < YB; ++y) {
      PColor32 p = Dst->GetPixelPtr(X, y);
      if (FAssignColor == &TRasterizer::AssignColorOpaque) {
        FillLongword(p, static_cast<Cardinal>(XE - X), c);
      } else {
        for (Integer x = X; x < XE; ++x, ++p) AssignPixel(*p, c);
      }
    }
  };
  Integer step = 1 << FSteps;
  for (Integer y = T; y < B; y += step) {
    const Integer yb = std::min(y + step, B);
    Integer x = L;
    for (; x < R - step; x += step) block(x, x + step, y, yb);
    block(x, R, y, yb);
    if (FUpdateRows) report(TRect(L, y, R, yb));
  }
  if (!FUpdateRows) report(DstRect);
  while (step > 1) {
    step >>= 1;
    const Integer cols = W / step;
    for (Integer j = 0; j <= H / step; ++j) {
      const Integer y = T + j * step;
      if (y >= B) break;
      const Integer yb = std::min(y + step, B);
      const bool even = (j & 1) == 0;
      for (Integer i = even ? 1 : 0; i < cols; i += even ? 2 : 1) {
        const Integer x = L + i * step;
        block(x, x + step, y, yb);
      }
      // The right-hand remainder, narrower than a block; a rectangle
      // narrower than the block is that remainder as a whole.
      const Integer x = cols > 0 ? L + (cols - 1) * step : L;
      block(x, R, y, yb);
      if (FUpdateRows) report(TRect(L, y, R, yb));
    }
    if (!FUpdateRows) report(DstRect);
  }
}

// ---------------------------------------------------------------------------
// TTesseralRasterizer

namespace {

struct TTesseral {
  TRasterizer* Self;
  TCustomBitmap32* Dst;
  TCustomSampler* S;
  void (*AssignFn)(TRasterizer*, TColor32&, TColor32);

  void Pixel(Integer X, Integer Y) { AssignFn(Self, *Dst->GetPixelPtr(X, Y), S->GetSampleInt(X, Y)); }

  void Vertical(Integer X0, Integer Y0, Integer W, Integer H) {
    const Integer half = W / 2;
    if (half == 0) return;
    const Integer x = X0 + half;
    for (Integer y = Y0 + 1; y < Y0 + H; ++y) Pixel(x, y);
    Dst->Changed(TRect(x, Y0, x + 1, Y0 + H), AREA_RECT_FLAG);
    Horizontal(X0, Y0, half, H);
    Horizontal(X0 + half, Y0, W - half, H);
  }

  void Horizontal(Integer X0, Integer Y0, Integer W, Integer H) {
    const Integer half = H / 2;
    if (half == 0) return;
    const Integer y = Y0 + half;
    for (Integer x = X0 + 1; x < X0 + W; ++x) Pixel(x, y);
    Dst->Changed(TRect(X0, y, X0 + W, y + 1), AREA_RECT_FLAG);
    Vertical(X0, Y0, W, half);
    Vertical(X0, Y0 + half, W, H - half);
  }
};

}  // namespace

void TTesseralRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  const Integer L = DstRect.Left, T = DstRect.Top, R = DstRect.Right, B = DstRect.Bottom;
  TTesseral t{this, Dst, FSampler, [](TRasterizer* r, TColor32& d, TColor32 c) {
                static_cast<TTesseralRasterizer*>(r)->AssignPixel(d, c);
              }};
  for (Integer x = L; x < R; ++x) t.Pixel(x, T);
  Dst->Changed(TRect(L, T, R, T + 1), AREA_RECT_FLAG);
  for (Integer y = T + 1; y < B; ++y) t.Pixel(L, y);
  Dst->Changed(TRect(L, T, L + 1, B), AREA_RECT_FLAG);
  if (R - L > B - T) t.Vertical(L, T, R - L, B - T);
  else t.Horizontal(L, T, R - L, B - T);
}

// ---------------------------------------------------------------------------
// TContourRasterizer

void TContourRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  static constexpr Integer kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};
  static constexpr Integer kLeft[4] = {3, 0, 1, 2}, kRight[4] = {1, 2, 3, 0};
  const Integer L = DstRect.Left, T = DstRect.Top;
  const Integer W = DstRect.Right - L, H = DstRect.Bottom - T;
  TCustomSampler* s = FSampler;
  TBooleanMap visited(W, H);
  visited.Clear(0);
  Integer x = 0, y = 0, dir = 1;
  Integer scan = 0;  // the next cell index the search for a new start looks at
  auto plot = [&](Integer cx, Integer cy) -> TColor32 {
    visited.SetValue(cx, cy, true);
    const TColor32 c = s->GetSampleInt(L + cx, T + cy);
    AssignPixel(*Dst->GetPixelPtr(L + cx, T + cy), c);
    return c;
  };
  TColor32 last = plot(0, 0);
  TRect area(L, T, L + 1, T + 1);
  for (;;) {
    // Follow the path.
    for (;;) {
      Integer best = -1, bestD = 0;
      const Integer tries[3] = {dir, kLeft[dir], kRight[dir]};
      for (Integer k = 0; k < 3; ++k) {
        const Integer d = tries[k];
        const Integer nx = x + kDx[d], ny = y + kDy[d];
        if (nx < 0 || ny < 0 || nx >= W || ny >= H || visited.Value(nx, ny)) continue;
        const TColor32 c = plot(nx, ny);
        area = TRect(std::min(area.Left, L + nx), std::min(area.Top, T + ny), std::max(area.Right, L + nx + 1),
                     std::max(area.Bottom, T + ny + 1));
        const Integer D = Intensity(ColorSub(c, last));
        EMMS();
        if (best < 0 || (k > 0 && D < bestD)) {
          best = d;
          bestD = D;
        }
      }
      if (best < 0) break;
      dir = best;
      x += kDx[dir];
      y += kDy[dir];
      last = *Dst->GetPixelPtr(L + x, T + y);
    }
    Dst->Changed(area, AREA_RECT_FLAG);
    // Find where the next path starts.
    const Integer total = W * H;
    while (scan < total && visited.Value(scan % W, scan / W)) ++scan;
    if (scan >= total) break;
    x = scan % W;
    y = scan / W;
    last = plot(x, y);
    area = TRect(L + x, T + y, L + x + 1, T + y + 1);
  }
}

// ---------------------------------------------------------------------------
// TMultithreadedRegularRasterizer

TScanLineRasterizerThread::TScanLineRasterizerThread(PLineRasterizerData AData, const TRect& ADstRect,
                                                     TCustomBitmap32* ADst, TRasterizer* ARasterizer)
    : TThread(true), Data(AData), DstRect(ADstRect), Dst(ADst),
      GetSample(MakeEvent(ARasterizer->Sampler(), &TCustomSampler::GetSampleInt)),
      AssignColor(ARasterizer->FAssignColor), FRasterizer(ARasterizer) {}

void TScanLineRasterizerThread::Execute() {
  const Integer L = DstRect.Left, R = DstRect.Right, B = DstRect.Bottom;
  try {
    for (Integer y = Data->ScanLine.fetch_add(1) + 1; y < B; y = Data->ScanLine.fetch_add(1) + 1) {
      PColor32 p = Dst->GetPixelPtr(L, y);
      for (Integer x = L; x < R; ++x, ++p) (FRasterizer->*AssignColor)(*p, GetSample(x, y));
    }
  } catch (...) {
    Failure = std::current_exception();
    // The other workers find no rows left and end.
    Data->ScanLine.store(B);
  }
}

void TMultithreadedRegularRasterizer::DoRasterize(TCustomBitmap32* Dst, const TRect& DstRect) {
  TLineRasterizerData data;
  data.ScanLine.store(DstRect.Top - 1);
  const Integer n = std::max(NumberOfProcessors, 1);
  std::vector<std::unique_ptr<TScanLineRasterizerThread>> threads;
  std::exception_ptr failure;
  try {
    for (Integer i = 0; i < n; ++i)
      threads.emplace_back(TThread::Create<TScanLineRasterizerThread>(&data, DstRect, Dst, this));
  } catch (...) {
    failure = std::current_exception();
    data.ScanLine.store(DstRect.Bottom);
  }
  if (!failure)
    for (auto& t : threads) t->Start();
  for (auto& t : threads) {
    if (!t->Suspended()) t->WaitFor();
    if (!failure && t->Failure) failure = t->Failure;
    t.reset();
  }
  Dst->Changed(DstRect, AREA_RECT_FLAG);
  if (failure) std::rethrow_exception(failure);
}

// ---------------------------------------------------------------------------
// Unit set-up

namespace {
Integer RasterizersInitCount = 0;
}

void InitPix32Rasterizers() {
  if (RasterizersInitCount++ > 0) return;
  NumberOfProcessors = static_cast<Integer>(std::max<Cardinal>(GetProcessorCount(), 1));
  DefaultRasterizerClass = TRegularRasterizer::StaticClass();
}

void DonePix32Rasterizers() {
  if (RasterizersInitCount > 0) --RasterizersInitCount;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TRasterizer)
QN_PUBLISHED_IMPL(qn::TRegularRasterizer)
QN_PUBLISHED_IMPL(qn::TSwizzlingRasterizer)
QN_PUBLISHED_IMPL(qn::TProgressiveRasterizer)
