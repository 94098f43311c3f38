#include "graphics/vector/Pix32_ColorGradients_qn.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QN_GRADIENT_AVX2 1
#endif

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_System_qn.h"

namespace qn {

namespace {
[[noreturn]] void IndexError(Integer Index) { throw Exception(u"Index out of bounds (%d)", {Index}); }

// The colour between two stops at fraction F (weight of the upper one).
TColor32 Interpolate(const TColor32GradientStop& L, const TColor32GradientStop& U, Single F) {
  if (F <= 0) return L.Color32;
  if (F >= 1) return U.Color32;
  Int64 w = Round(255 * F);
  if (!(F == F) || w < 0) w = 0;  // NaN from unsorted stops: the lower colour
  const TColor32 r = CombineReg(U.Color32, L.Color32, static_cast<TColor32>(w > 255 ? 255 : w));
  EMMS();
  return r;
}

// (Position - L) * (1 / (U - L)); stops at one offset give the upper colour.
Single Fraction(Single Position, const TColor32GradientStop& L, const TColor32GradientStop& U) {
  const Single d = U.Offset - L.Offset;
  if (d == 0) return 1;
  const Single r = 1 / d;
  return (Position - L.Offset) * r;
}
}  // namespace

// ---------------------------------------------------------------------------

TColor32LookupTable::TColor32LookupTable(Integer Order) {
  CheckOrder(Order);
  FOrder = static_cast<Byte>(Order);
  OrderChanged();
}

void TColor32LookupTable::CheckOrder(Integer Value) {
  if (Value < 0 || Value > 16) IndexError(Value);
}

void TColor32LookupTable::SetOrder(Integer Value) {
  if (Value == FOrder) return;
  CheckOrder(Value);
  FOrder = static_cast<Byte>(Value);
  OrderChanged();
}

void TColor32LookupTable::OrderChanged() {
  FSize = 1u << FOrder;
  FMask = FSize - 1;
  FGradientLUT = std::make_unique<TColor32[]>(FSize);
  if (FOnOrderChanged) FOnOrderChanged(this);
}

void TColor32LookupTable::SetColor32(Integer Index, TColor32 Value) {
  if (Index < 0 || static_cast<Cardinal>(Index) > FMask) IndexError(Index);
  FGradientLUT[Index] = Value;
}

void TColor32LookupTable::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TColor32LookupTable*>(Dest)) {
    d->FOrder = FOrder;
    d->OrderChanged();
    std::memcpy(d->FGradientLUT.get(), FGradientLUT.get(), FSize * sizeof(TColor32));
    return;
  }
  inherited::AssignTo(Dest);
}

// ---------------------------------------------------------------------------

TColor32Gradient::TColor32Gradient(TColor32 Color) : TColor32Gradient(Color, Color) {}

TColor32Gradient::TColor32Gradient(TColor32 StartColor, TColor32 EndColor)
    : TColor32Gradient(TArrayOfColor32GradientStop{{0.0f, StartColor}, {1.0f, EndColor}}) {}

TColor32Gradient::TColor32Gradient(const TArrayOfColor32GradientStop& GradientColors) { SetColors(GradientColors); }

void TColor32Gradient::GradientColorsChanged() {
  if (FOnGradientColorsChanged) FOnGradientColorsChanged(this);
}

void TColor32Gradient::AddColorStop(Single Offset, TColor32 Color) {
  size_t i = 0;
  while (i < FGradientColors.size() && !(FGradientColors[i].Offset > Offset)) ++i;
  FGradientColors.insert(FGradientColors.begin() + static_cast<std::ptrdiff_t>(i), {Offset, Color});
  GradientColorsChanged();
}

void TColor32Gradient::ClearColorStops() {
  FGradientColors.clear();
  GradientColorsChanged();
}

void TColor32Gradient::ClearColorStops(TColor32 Color) {
  FGradientColors.assign(1, {0.0f, Color});
  GradientColorsChanged();
}

void TColor32Gradient::SetColors(const TArrayOfColor32GradientStop& GradientColors) {
  if (GradientColors.empty()) {
    if (!FGradientColors.empty()) ClearColorStops();
    return;
  }
  FGradientColors = GradientColors;
  GradientColorsChanged();
}

void TColor32Gradient::SetColors(const TArrayOfColor32& Colors) {
  if (Colors.empty()) {
    if (!FGradientColors.empty()) ClearColorStops();
    return;
  }
  const size_t n = Colors.size();
  FGradientColors.resize(n);
  if (n == 1) {
    FGradientColors[0] = {0.0f, Colors[0]};
  } else {
    const Single d = 1.0f / static_cast<Single>(n - 1);
    for (size_t i = 0; i < n; ++i) FGradientColors[i] = {static_cast<Single>(i) * d, Colors[i]};
  }
  GradientColorsChanged();
}

void TColor32Gradient::SetColors(const TVarRec* Values, Integer Count) {
  TArrayOfColor32 colors;
  for (Integer i = 0; i < Count; ++i) {
    const TVarRec& v = Values[i];
    Assert(v.VType == TVarRec::vtInteger || v.VType == TVarRec::vtInt64);
    colors.push_back(v.VType == TVarRec::vtInteger ? static_cast<TColor32>(v.VInteger)
                                                   : static_cast<TColor32>(v.VInt64));
  }
  SetColors(colors);
}

void TColor32Gradient::SetColors(const TPalette32* Palette) {
  const Single d = 1.0f / 255;
  FGradientColors.resize(256);
  for (int i = 0; i < 256; ++i) FGradientColors[i] = {static_cast<Single>(i) * d, (*Palette)[i]};
  GradientColorsChanged();
}

TColor32 TColor32Gradient::GetStartColor() const {
  return FGradientColors.empty() ? 0 : FGradientColors.front().Color32;
}

TColor32 TColor32Gradient::GetEndColor() const { return FGradientColors.empty() ? 0 : FGradientColors.back().Color32; }

void TColor32Gradient::SetStartColor(TColor32 Value) {
  bool changed = false;
  if (FGradientColors.empty()) {
    FGradientColors.push_back({0.0f, 0});
    changed = true;
  }
  TColor32GradientStop& s = FGradientColors.front();
  if (s.Offset != 0) {
    s.Offset = 0;
    changed = true;
  }
  if (s.Color32 != Value) {
    s.Color32 = Value;
    changed = true;
  }
  if (changed) GradientColorsChanged();
}

void TColor32Gradient::SetEndColor(TColor32 Value) {
  bool changed = false;
  // An empty list becomes (0.0, transparent) .. (1.0, Value), a single stop
  // grows a second one: the end is never the start stop itself.
  if (FGradientColors.empty()) FGradientColors.push_back({0.0f, 0});
  if (FGradientColors.size() == 1) {
    FGradientColors.push_back({0.0f, 0});
    changed = true;
  }
  TColor32GradientStop& s = FGradientColors.back();
  if (s.Offset != 1) {
    s.Offset = 1;
    changed = true;
  }
  if (s.Color32 != Value) {
    s.Color32 = Value;
    changed = true;
  }
  if (changed) GradientColorsChanged();
}

TColor32GradientStop TColor32Gradient::GetGradientEntry(Integer Index) const {
  if (Index < 0 || Index >= GradientCount()) IndexError(Index);
  return FGradientColors[Index];
}

void TColor32Gradient::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TColor32Gradient*>(Dest)) {
    d->SetColors(FGradientColors);
    return;
  }
  inherited::AssignTo(Dest);
}

TColor32 TColor32Gradient::GetColorAt(Single Offset) const {
  const size_t n = FGradientColors.size();
  if (n == 0 || Offset <= FGradientColors[0].Offset) return GetStartColor();
  if (Offset >= FGradientColors[n - 1].Offset) return GetEndColor();
  size_t i = 1;
  while (i < n && Offset > FGradientColors[i].Offset) ++i;
  // Only stops out of order (set as given, or read) get past the last one.
  if (i == n) return GetEndColor();
  return Interpolate(FGradientColors[i - 1], FGradientColors[i],
                     Fraction(Offset, FGradientColors[i - 1], FGradientColors[i]));
}

void TColor32Gradient::FillColorLookUpTable(PColor32Array ColorLUT, Integer Count) const {
  const Integer n = GradientCount();
  if (n < 2 || Count < 2) {
    const TColor32 c = GetStartColor();
    for (Integer i = 0; i < Count; ++i) ColorLUT[i] = c;
    return;
  }
  ColorLUT[0] = GetStartColor();
  ColorLUT[Count - 1] = GetEndColor();
  const Single delta = 1.0f / static_cast<Single>(Count);
  Single position = delta;
  Integer i = 1;
  // The leading run stops before the last entry, which keeps the end colour
  // even when the first stop lies at or past the table's last position.
  while (i <= Count - 2 && position <= FGradientColors[0].Offset) {
    ColorLUT[i] = ColorLUT[0];
    position += delta;
    ++i;
  }
  Integer j = 1;
  for (; i <= Count - 2; ++i) {
    while (j < n && position > FGradientColors[j].Offset) ++j;
    if (j >= n) {
      for (; i <= Count - 2; ++i) ColorLUT[i] = ColorLUT[Count - 1];
      return;
    }
    ColorLUT[i] = Interpolate(FGradientColors[j - 1], FGradientColors[j],
                              Fraction(position, FGradientColors[j - 1], FGradientColors[j]));
    position += delta;
  }
}

void TColor32Gradient::FillColorLookUpTable(TArrayOfColor32& ColorLUT) const {
  FillColorLookUpTable(ColorLUT.data(), static_cast<Integer>(ColorLUT.size()));
}

void TColor32Gradient::FillColorLookUpTable(TColor32LookupTable* ColorLUT) const {
  FillColorLookUpTable(ColorLUT->Color32Ptr(), static_cast<Integer>(ColorLUT->Size()));
}

namespace {
constexpr char kMagic[4] = {'G', 'r', 'a', 'd'};
[[noreturn]] void WrongFormat() { throw Exception(u"Wrong format"); }
}  // namespace

void TColor32Gradient::SaveToStream(TStream* Stream) const {
  Stream->WriteBuffer(kMagic, 4);
  const Integer n = GradientCount();
  Stream->WriteBuffer(&n, 4);
  for (const auto& s : FGradientColors) {
    Stream->WriteBuffer(&s.Offset, 4);
    Stream->WriteBuffer(&s.Color32, 4);
  }
}

void TColor32Gradient::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    char magic[4];
    if (Stream->Read(magic, 4) != 4 || std::memcmp(magic, kMagic, 4) != 0) WrongFormat();
    Integer n = 0;
    if (Stream->Read(&n, 4) != 4) WrongFormat();
    // The count must fit in what the stream still holds: no allocation on trust.
    const Int64 remaining = Stream->Size() - Stream->Position();
    if (n < 0 || static_cast<Int64>(n) > remaining / 8) WrongFormat();
    TArrayOfColor32GradientStop stops(static_cast<size_t>(n));
    for (auto& s : stops)
      if (Stream->Read(&s.Offset, 4) != 4 || Stream->Read(&s.Color32, 4) != 4) WrongFormat();
    FGradientColors = std::move(stops);
    GradientColorsChanged();
  });
}

// ---- TLinearGradientPolygonFiller ----

TFillLineEvent TLinearGradientPolygonFiller::GetFillLine() {
  if (!FGradient) return {};
  if (FUseLookUpTable) return MakeEvent(this, &TLinearGradientPolygonFiller::FillLineTable);
  return MakeEvent(this, &TLinearGradientPolygonFiller::FillLinePerPixel);
}

// Runs apart only for the table form of this class; a descendant may fill
// its lines its own way.
TFillRunEvent TLinearGradientPolygonFiller::GetFillRun() {
  if (!FGradient || !FUseLookUpTable || ClassType() != StaticClass()) return {};
  return MakeEvent(this, &TLinearGradientPolygonFiller::FillRunTable);
}

// The table is a function of the stops alone, so while they stay the same
// the table, and a row kept from it, serve the next rendering too.
void TLinearGradientPolygonFiller::BeginRendering() {
  if (!FGradient || !FUseLookUpTable) return;
  const TArrayOfColor32GradientStop& Stops = FGradient->GradientColors();
  if (FTableFilled && Stops.size() == FTableStops.size() &&
      std::memcmp(Stops.data(), FTableStops.data(), Stops.size() * sizeof(TColor32GradientStop)) == 0)
    return;
  FGradient->FillColorLookUpTable(FTable, LookUpTableSize);
  FTableOpaque = std::all_of(std::begin(FTable), std::end(FTable), [](TColor32 C) { return (C >> 24) == 255; });
  FTableStops = Stops;
  FTableFilled = true;
  FRow.Clear();
}

void TLinearGradientPolygonFiller::Axis(double& DX, double& DY, double& T0) const {
  // Asked once per line; the points rarely change between lines.
  if (FAxisValid && FAxisStart == FStartPoint && FAxisEnd == FEndPoint) {
    DX = FAxis[0];
    DY = FAxis[1];
    T0 = FAxis[2];
    return;
  }
  ComputeAxis(DX, DY, T0);
  FAxisStart = FStartPoint;
  FAxisEnd = FEndPoint;
  FAxis[0] = DX;
  FAxis[1] = DY;
  FAxis[2] = T0;
  FAxisValid = true;
}

void TLinearGradientPolygonFiller::ComputeAxis(double& DX, double& DY, double& T0) const {
  const double Ax = static_cast<double>(FEndPoint.X) - FStartPoint.X, Ay = static_cast<double>(FEndPoint.Y) - FStartPoint.Y;
  const double Len2 = Ax * Ax + Ay * Ay;
  if (!(Len2 > 0) || !std::isfinite(Len2)) {
    DX = DY = T0 = 0;
    return;
  }
  DX = Ax / Len2;
  DY = Ay / Len2;
  T0 = (0.5 - FStartPoint.X) * DX + (0.5 - FStartPoint.Y) * DY;
}

namespace {
// Round(T·511) kept to a range every wrap can fold; NaN counts as 0.
inline Integer TableIndex(double T) {
  if (!(T == T)) return 0;
  const double V = std::clamp(T, -1e6, 1e6) * 511;
#if defined(__SSE2__)
  // The conversion rounds half to even under the default rounding mode,
  // without the library call.
  return _mm_cvtsd_si32(_mm_set_sd(V));
#else
  return static_cast<Integer>(std::nearbyint(V));
#endif
}

// The wrap routines' folds for the 512-entry table, inline.
template <TWrapMode M>
inline Integer Fold(Integer K) {
  constexpr Integer Max = TLinearGradientPolygonFiller::LookUpTableSize - 1;
  if constexpr (M == TWrapMode::wmClamp)
    return K < 0 ? 0 : (K > Max ? Max : K);
  else if constexpr (M == TWrapMode::wmRepeat)
    return K & Max;
  else
    return (K & (Max + 1)) ? Max - (K & Max) : (K & Max);
}

template <TWrapMode M>
void TableRow(const TColor32* Table, double Row, double DX, Integer X, Integer Count, PColor32 Out) {
  for (Integer I = 0; I < Count; ++I) Out[I] = Table[Fold<M>(TableIndex(Row + (static_cast<double>(X) + I) * DX))];
}

#if defined(QN_GRADIENT_AVX2)
// Four at a time with the steps of TableIndex and Fold, in the same double
// arithmetic; a group with a value that is not a number goes one by one.
template <TWrapMode M>
__attribute__((target("avx2"))) void TableRowAVX2(const TColor32* Table, double Row, double DX, Integer X,
                                                  Integer Count, PColor32 Out) {
  constexpr Integer Max = TLinearGradientPolygonFiller::LookUpTableSize - 1;
  const __m256d Lo = _mm256_set1_pd(-1e6), Hi = _mm256_set1_pd(1e6), Scale = _mm256_set1_pd(511);
  const __m256d RowV = _mm256_set1_pd(Row), DXV = _mm256_set1_pd(DX), X0 = _mm256_set1_pd(static_cast<double>(X));
  const __m256d Steps = _mm256_setr_pd(0, 1, 2, 3);
  const __m128i MaxV = _mm_set1_epi32(Max), Zero = _mm_setzero_si128();
  const int* T32 = reinterpret_cast<const int*>(Table);
  Integer I = 0;
  for (; I + 4 <= Count; I += 4) {
    const __m256d Xs = _mm256_add_pd(X0, _mm256_add_pd(_mm256_set1_pd(static_cast<double>(I)), Steps));
    const __m256d T = _mm256_add_pd(RowV, _mm256_mul_pd(Xs, DXV));
    if (_mm256_movemask_pd(_mm256_cmp_pd(T, T, _CMP_UNORD_Q)) != 0) {
      for (Integer J = I; J < I + 4; ++J) Out[J] = Table[Fold<M>(TableIndex(Row + (static_cast<double>(X) + J) * DX))];
      continue;
    }
    __m128i K = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_min_pd(_mm256_max_pd(T, Lo), Hi), Scale));
    if constexpr (M == TWrapMode::wmClamp) {
      K = _mm_max_epi32(_mm_min_epi32(K, MaxV), Zero);
    } else if constexpr (M == TWrapMode::wmRepeat) {
      K = _mm_and_si128(K, MaxV);
    } else {
      const __m128i Low = _mm_and_si128(K, MaxV);
      const __m128i Even = _mm_cmpeq_epi32(_mm_and_si128(K, _mm_set1_epi32(Max + 1)), Zero);
      K = _mm_blendv_epi8(_mm_sub_epi32(MaxV, Low), Low, Even);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + I), _mm_i32gather_epi32(T32, K, 4));
  }
  for (; I < Count; ++I) Out[I] = Table[Fold<M>(TableIndex(Row + (static_cast<double>(X) + I) * DX))];
}

template <TWrapMode M>
void TableRowWide(const TColor32* Table, double Row, double DX, Integer X, Integer Count, PColor32 Out) {
  if (CPUFeatures().Contains(TCPUInstructionSet::ciAVX2))
    TableRowAVX2<M>(Table, Row, DX, X, Count, Out);
  else
    TableRow<M>(Table, Row, DX, X, Count, Out);
}
#else
template <TWrapMode M>
void TableRowWide(const TColor32* Table, double Row, double DX, Integer X, Integer Count, PColor32 Out) {
  TableRow<M>(Table, Row, DX, X, Count, Out);
}
#endif

void TableRow(TWrapMode M, const TColor32* Table, double Row, double DX, Integer X, Integer Count, PColor32 Out) {
  switch (M) {
    case TWrapMode::wmClamp: TableRowWide<TWrapMode::wmClamp>(Table, Row, DX, X, Count, Out); break;
    case TWrapMode::wmRepeat: TableRowWide<TWrapMode::wmRepeat>(Table, Row, DX, X, Count, Out); break;
    case TWrapMode::wmMirror: TableRowWide<TWrapMode::wmMirror>(Table, Row, DX, X, Count, Out); break;
  }
}

// Full weight on an opaque colour is the colour itself: the blend would
// land a step short of it.
inline void Put(TColor32 C, TColor32& D, Cardinal W) {
  if (W == 255 && (C >> 24) == 255)
    D = C;
  else
    BlendMemEx(C, D, W);
}

// How many weights from W on are full, up to N.
inline Integer FullRun(const TColor32* W, Integer N) {
  Integer I = 0;
#if defined(__SSE2__)
  const __m128i Low = _mm_set1_epi32(0xFF);
  for (; I + 4 <= N; I += 4) {
    const __m128i V = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(W + I)), Low);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(V, Low)) != 0xFFFF) break;
  }
#endif
  while (I < N && (W[I] & 0xFFu) == 255) ++I;
  return I;
}

// The colours of a row blended by their weights; runs of full weight over
// opaque colours are copied whole.
void PutRow(const TColor32* Src, PColor32 Dst, Integer Length, const TColor32* AlphaValues, bool Opaque) {
  if (!AlphaValues) {
    if (Opaque) {
      std::memcpy(Dst, Src, sizeof(TColor32) * static_cast<size_t>(Length));
      return;
    }
    for (Integer I = 0; I < Length; ++I) Put(Src[I], Dst[I], 255);
    return;
  }
  Integer I = 0;
  while (I < Length) {
    if (Opaque) {
      const Integer Run = FullRun(AlphaValues + I, Length - I);
      if (Run > 0) {
        std::memcpy(Dst + I, Src + I, sizeof(TColor32) * static_cast<size_t>(Run));
        I += Run;
        continue;
      }
    }
    const Cardinal W = AlphaValues[I] & 0xFFu;
    if (W != 0) Put(Src[I], Dst[I], W);
    ++I;
  }
}
}  // namespace

void TLinearGradientPolygonFiller::FillLineTable(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                                 PColor32 AlphaValues) {
  if (Length <= 0) return;
  double DX, DY, T0;
  Axis(DX, DY, T0);
  if (DY == 0) {
    if (const TColor32* Row = KeptRow(T0, DX, DstX, Length)) {
      PutRow(Row, Dst, Length, AlphaValues, FTableOpaque);
      EMMS();
      return;
    }
  }
  constexpr Integer kPiece = 256;
  TColor32 Colors[kPiece];
  const double Row = T0 + DstY * DY;
  // Across the axis a row has one colour.
  if (DX == 0) {
    TableRow(FWrapMode, FTable, Row, DX, DstX, 1, Colors);
    std::fill(Colors + 1, Colors + std::min(kPiece, Length), Colors[0]);
  }
  for (Integer I = 0; I < Length; I += kPiece) {
    const Integer N = std::min(kPiece, Length - I);
    if (DX != 0)
      TableRow(FWrapMode, FTable, Row, DX, static_cast<Integer>(static_cast<Cardinal>(DstX) + I), N, Colors);
    PutRow(Colors, Dst + I, N, AlphaValues ? AlphaValues + I : nullptr, FTableOpaque);
  }
  EMMS();
}

// The axis runs along the rows: every row has the same colours, so they are
// worked out once and copied from then on.
const TColor32* TLinearGradientPolygonFiller::KeptRow(double T0, double DX, Integer X, Integer Count) {
  if (FRowT0 != T0 || FRowDX != DX || FRowWrap != FWrapMode) {
    FRow.Clear();
    FRowT0 = T0;
    FRowDX = DX;
    FRowWrap = FWrapMode;
  }
  return FRow.Cover(X, Count, [&](Integer X1, Integer N, PColor32 Out) { TableRow(FWrapMode, FTable, T0, DX, X1, N, Out); });
}

// Rows along the axis are all alike and rows across it are of one colour
// each, so a box of either is copied or filled whole, as the row routine
// would at full weight; only with opaque colours, which it puts unblended.
bool TLinearGradientPolygonFiller::FillBox(TCustomBitmap32* Bitmap, const TRect& Box) {
  if (!FGradient || !FUseLookUpTable || !FTableOpaque || ClassType() != StaticClass()) return false;
  const Integer Len = Box.Right - Box.Left;
  if (Len <= 0 || Box.Bottom <= Box.Top) return true;
  double DX, DY, T0;
  Axis(DX, DY, T0);
  if (DY == 0) {
    const TColor32* Row = KeptRow(T0, DX, Box.Left, Len);
    if (!Row) return false;
    MoveLongwordRows(Row, 0, Bitmap->ScanLine(Box.Top) + Box.Left, static_cast<size_t>(Bitmap->Width()), Len,
                     Box.Bottom - Box.Top);
    return true;
  }
  if (DX != 0) return false;
  for (Integer Y = Box.Top; Y < Box.Bottom; ++Y) {
    TColor32 Color;
    TableRow(FWrapMode, FTable, T0 + Y * DY, DX, Box.Left, 1, &Color);
    FillLongword(Bitmap->ScanLine(Y) + Box.Left, static_cast<Cardinal>(Len), Color);
  }
  return true;
}

void TLinearGradientPolygonFiller::FillLinePerPixel(PColor32 Dst, Integer DstX, Integer DstY, Integer Length,
                                                    PColor32 AlphaValues) {
  double DX, DY, T0;
  Axis(DX, DY, T0);
  const double Row = T0 + DstY * DY;
  for (Integer I = 0; I < Length; ++I) {
    double T = Row + (static_cast<double>(DstX) + I) * DX;
    T = T == T ? std::clamp(T, 0.0, 1.0) : 0.0;
    Put(FGradient->GetColorAt(static_cast<Single>(T)), Dst[I], AlphaValues ? AlphaValues[I] & 0xFFu : 255u);
  }
  EMMS();
}

}  // namespace qn
