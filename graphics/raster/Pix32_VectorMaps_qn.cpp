#include "graphics/raster/Pix32_VectorMaps_qn.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "graphics/raster/Pix32_Math_qn.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

constexpr char16_t kMeshId[8] = {u'y', u'f', u'q', u'L', u'h', u's', u'e', u'M'};
constexpr Integer kHeaderSize = 32;

TFixedPoint Combine(TFixed W, const TFixedPoint& X, const TFixedPoint& Y) {
  return {FixedCombine(W, X.X, Y.X), FixedCombine(W, X.Y, Y.Y)};
}

[[noreturn]] void BadFormat() { throw Exception(u"Bad format - Photoshop .msh expected!"); }

}  // namespace

TVectorMap::~TVectorMap() {
  Lock();
  FVectors.clear();
  FVectors.shrink_to_fit();
  FWidth = FHeight = 0;
  Unlock();
}

void TVectorMap::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) {
  inherited::ChangeSize(Width, Height, NewWidth, NewHeight);
  FVectors.clear();
  FVectors.shrink_to_fit();
  Width = 0;
  Height = 0;
  if (NewWidth < 1 || NewHeight < 1) return;
  // In 64 bits: two sizes that each fit may not multiply within 32.
  const Int64 cells = Int64(NewWidth) * NewHeight;
  if (static_cast<UInt64>(cells) > FVectors.max_size()) throw Exception(u"Can't allocate VectorMap!");
  try {
    FVectors.assign(static_cast<size_t>(cells), TFixedPoint());
  } catch (const std::bad_alloc&) {
    FVectors.clear();
    throw Exception(u"Can't allocate VectorMap!");
  }
  Width = NewWidth;
  Height = NewHeight;
}

void TVectorMap::Clear() { std::fill(FVectors.begin(), FVectors.end(), TFixedPoint()); }

bool TVectorMap::Empty() const { return FWidth == 0 || FHeight == 0 || FVectors.empty(); }

void TVectorMap::SetVectorCombineMode(TVectorCombineMode Value) {
  if (FVectorCombineMode == Value) return;
  FVectorCombineMode = Value;
  Changed();
}

TFixedPoint TVectorMap::GetFixedVectorS(Integer X, Integer Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return {};
  return GetFixedVector(X, Y);
}

TFixedPoint TVectorMap::GetFixedVectorX(TFixed X, TFixed Y) const {
  const Integer ix = X >> 16, iy = Y >> 16;
  if (ix < 0 || iy < 0 || ix >= FWidth || iy >= FHeight) return {};
  const TFixed fx = X & 0xFFFF, fy = Y & 0xFFFF;
  const Integer dx = ix < FWidth - 1 ? 1 : 0;
  const Integer dy = iy < FHeight - 1 ? FWidth : 0;
  const TFixedPoint* p = &FVectors[static_cast<size_t>(ix + iy * FWidth)];
  const TFixedPoint t0 = Combine(fx, p[dx], p[0]);
  const TFixedPoint t1 = Combine(fx, p[dy + dx], p[dy]);
  return Combine(fy, t1, t0);
}

TFixedPoint TVectorMap::GetFixedVectorXS(TFixed X, TFixed Y) const {
  const Integer ix = X >> 16, iy = Y >> 16;
  const TFixed fx = X & 0xFFFF, fy = Y & 0xFFFF;
  const TFixedPoint t0 = Combine(fx, GetFixedVectorS(ix + 1, iy), GetFixedVectorS(ix, iy));
  const TFixedPoint t1 = Combine(fx, GetFixedVectorS(ix + 1, iy + 1), GetFixedVectorS(ix, iy + 1));
  return Combine(fy, t1, t0);
}

void TVectorMap::SetFixedVectorS(Integer X, Integer Y, const TFixedPoint& Value) {
  if (X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) SetFixedVector(X, Y, Value);
}

// Each of the four cells around the position moves towards Value by its
// bilinear weight, so the nearest cell takes most of it.
void TVectorMap::Splat(TFixed X, TFixed Y, const TFixedPoint& Value, bool Checked) {
  const Integer ix = X >> 16, iy = Y >> 16;
  const TFixed fx = X & 0xFFFF, fy = Y & 0xFFFF;
  const TFixed nx = fx ^ 0xFFFF, ny = fy ^ 0xFFFF;
  const struct {
    Integer dx, dy;
    TFixed w;
  } cells[4] = {{0, 0, FixedMul(nx, ny)}, {1, 0, FixedMul(fx, ny)}, {1, 1, FixedMul(fx, fy)}, {0, 1, FixedMul(nx, fy)}};
  for (const auto& c : cells) {
    const Integer x = ix + c.dx, y = iy + c.dy;
    if (Checked && (x < 0 || y < 0 || x >= FWidth || y >= FHeight)) continue;
    TFixedPoint& cell = FVectors[static_cast<size_t>(x + y * FWidth)];
    cell = Combine(c.w, Value, cell);
  }
}

void TVectorMap::SetFixedVectorX(TFixed X, TFixed Y, const TFixedPoint& Value) { Splat(X, Y, Value, false); }

void TVectorMap::SetFixedVectorXS(TFixed X, TFixed Y, const TFixedPoint& Value) {
  const Integer ix = X >> 16, iy = Y >> 16;
  if (ix < -1 || iy < -1 || ix >= FWidth || iy >= FHeight) return;
  Splat(X, Y, Value, true);
}

void TVectorMap::Merge(Integer DstLeft, Integer DstTop, TVectorMap* Src, TRect SrcRect) {
  if (!Src || Src->Empty()) throw Exception(u"Src is empty!");
  if (Empty()) throw Exception(u"Base is empty!");
  const TRect sb = Src->BoundsRect();
  SrcRect = TRect(std::max(SrcRect.Left, sb.Left), std::max(SrcRect.Top, sb.Top), std::min(SrcRect.Right, sb.Right),
                  std::min(SrcRect.Bottom, sb.Bottom));
  if (SrcRect.Right <= SrcRect.Left || SrcRect.Bottom <= SrcRect.Top) return;
  const TRect full(DstLeft, DstTop, DstLeft + SrcRect.Right - SrcRect.Left, DstTop + SrcRect.Bottom - SrcRect.Top);
  const TRect dst(std::max(full.Left, 0), std::max(full.Top, 0), std::min(full.Right, FWidth),
                  std::min(full.Bottom, FHeight));
  if (dst.Right <= dst.Left || dst.Bottom <= dst.Top) return;
  // A destination clipped on the left or top still pairs each cell with the
  // source cell that lands on it.
  const Integer sx0 = SrcRect.Left + dst.Left - full.Left, sy0 = SrcRect.Top + dst.Top - full.Top;
  const Integer w = dst.Right - dst.Left, h = dst.Bottom - dst.Top;
  switch (Src->FVectorCombineMode) {
    case TVectorCombineMode::vcmAdd:
    case TVectorCombineMode::vcmReplace: {
      const bool add = Src->FVectorCombineMode == TVectorCombineMode::vcmAdd;
      for (Integer j = 0; j < h; ++j)
        for (Integer i = 0; i < w; ++i) {
          TFixedPoint& d = FVectors[static_cast<size_t>(dst.Left + i + (dst.Top + j) * FWidth)];
          const TFixedPoint s = Src->GetFixedVector(sx0 + i, sy0 + j);
          d = add ? d + s : s;
        }
      break;
    }
    case TVectorCombineMode::vcmCustom: {
      if (!Src->FOnVectorCombine) return;
      // A single column or row has no spread to run the weight across.
      const TFixed stepX = w > 1 ? Fixed(2.0f / static_cast<Single>(w - 1)) : 0;
      const TFixed stepY = h > 1 ? Fixed(2.0f / static_cast<Single>(h - 1)) : 0;
      TFixedPoint weight(0, -0x10000);
      for (Integer j = 0; j < h; ++j, weight.Y += stepY) {
        weight.X = -0x10000;
        for (Integer i = 0; i < w; ++i, weight.X += stepX) {
          TFixedPoint& d = FVectors[static_cast<size_t>(dst.Left + i + (dst.Top + j) * FWidth)];
          Src->FOnVectorCombine(Src->GetFixedVector(sx0 + i, sy0 + j), weight, d);
        }
      }
      break;
    }
  }
}

void TVectorMap::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  Byte header[kHeaderSize] = {};
  const Cardinal magic = 0x02000000u, two = 2;
  std::memcpy(header, &magic, 4);
  for (Integer i = 0; i < 8; ++i) {
    header[4 + 2 * i] = static_cast<Byte>(kMeshId[i] & 0xFF);
    header[5 + 2 * i] = static_cast<Byte>(kMeshId[i] >> 8);
  }
  std::memcpy(header + 20, &two, 4);
  std::memcpy(header + 24, &FWidth, 4);
  std::memcpy(header + 28, &FHeight, 4);
  f.WriteBuffer(header, kHeaderSize);
  // Converted into a buffer of its own, so the map stays readable meanwhile.
  std::vector<Single> data(FVectors.size() * 2);
  for (size_t i = 0; i < FVectors.size(); ++i) {
    data[2 * i] = FVectors[i].X * (1.0f / 65536);
    data[2 * i + 1] = FVectors[i].Y * (1.0f / 65536);
  }
  if (!data.empty()) f.WriteBuffer(data.data(), static_cast<Integer>(data.size() * sizeof(Single)));
  const Byte tail[8] = {};
  f.WriteBuffer(tail, 8);
}

void TVectorMap::LoadFromFile(const String& FileName) {
  if (!FileExists(FileName)) throw Exception(u"File not found!");
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  Byte header[kHeaderSize];
  if (f.Read(header, kHeaderSize) != kHeaderSize) BadFormat();
  for (Integer i = 0; i < 8; ++i) {
    const char16_t c = static_cast<char16_t>(header[4 + 2 * i] | (header[5 + 2 * i] << 8));
    auto lower = [](char16_t ch) { return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch + 32) : ch; };
    if (lower(c) != lower(kMeshId[i])) BadFormat();
  }
  Integer w, h;
  std::memcpy(&w, header + 24, 4);
  std::memcpy(&h, header + 28, 4);
  // The sizes come from outside: they must be sane and the file must hold
  // the vectors they promise.
  if (w < 0 || h < 0) BadFormat();
  // By division: the product of two such sizes may not fit even 64 bits.
  const Int64 room = (f.Size() - kHeaderSize) / 8;
  if (w > 0 && h > room / w) BadFormat();
  const Int64 bytes = Int64(w) * h * 8;
  if (bytes > std::numeric_limits<Integer>::max()) BadFormat();
  std::vector<Single> data(static_cast<size_t>(bytes / 4));
  if (bytes > 0 && f.Read(data.data(), static_cast<Integer>(bytes)) != bytes) BadFormat();
  TArrayOfFixedVector v(static_cast<size_t>(Int64(w) * h));
  for (size_t i = 0; i < v.size(); ++i) v[i] = TFixedPoint(Fixed(data[2 * i]), Fixed(data[2 * i + 1]));
  SetSize(w, h);
  FVectors.swap(v);
}

TRect TVectorMap::GetTrimmedBounds() const {
  const Integer n = static_cast<Integer>(FVectors.size());
  auto nonZero = [&](Integer i) { return FVectors[static_cast<size_t>(i)].X != 0 || FVectors[static_cast<size_t>(i)].Y != 0; };
  Integer first = 0;
  while (first < n && !nonZero(first)) ++first;
  if (first >= n) return TRect(0, 0, 0, 0);
  Integer last = n - 1;
  while (!nonZero(last)) --last;
  const Integer top = first / FWidth, bottom = last / FWidth + 1;
  Integer left = FWidth, right = 0;
  for (Integer y = top; y < bottom; ++y)
    for (Integer x = 0; x < FWidth; ++x)
      if (nonZero(x + y * FWidth)) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
      }
  return TRect(left, top, right, bottom);
}

namespace {
Integer VectorMapsInitCount = 0;
}

void InitPix32VectorMaps() { ++VectorMapsInitCount; }
void DonePix32VectorMaps() {
  if (VectorMapsInitCount > 0) --VectorMapsInitCount;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TVectorMap)
