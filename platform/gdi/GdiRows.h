// Host-internal: the row loops behind the common transfers (solid fills,
// copies, premultiplied source-over and nearest stretching). Each has a
// plain form and a 32-byte vector form that the processor picks at start;
// both give exactly the bytes of the per-pixel formulas they stand in for.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcl::gdi {

// n pixels of value v.
void FillRow(uint32_t* d, size_t n, uint32_t v);
// n pixels from s to d (which do not overlap).
void CopyRow(const uint32_t* s, uint32_t* d, size_t n);
// Rows of n pixels, each as CopyRow; the rows start Stride bytes apart.
void CopyRows(const uint32_t* s, ptrdiff_t sStride, uint32_t* d, ptrdiff_t dStride, size_t n, size_t rows);
// Premultiplied source-over with one rounding per byte:
//   d = s + round(d * (255 - s.alpha) / 255), saturated,
// a zero pixel leaving d as it is and an opaque one replacing it.
void OverRow(const uint32_t* s, uint32_t* d, size_t n);
// d[i] = s[cols[i]].
void NearestRow(const uint32_t* s, const int* cols, uint32_t* d, size_t n);

// While set, the transfers take their general per-pixel paths instead of
// these rows (for tests that compare the two).
void GdiForceGeneralTransfers(bool on);
bool GdiGeneralTransfers();

}  // namespace vcl::gdi
