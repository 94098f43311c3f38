// Host-internal: surfaces to and from PNG files, for snapshots, the gallery
// and golden-image tests. Pixels are written as stored (BGRA, alpha as is,
// or forced opaque).
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/GdiSurface.h"

namespace vcl {

// Raises EFCreateError when the file cannot be written.
void SaveSurfaceToPng(const TGdiSurface& surface, const std::string& path, bool opaque = false);
// The surface as the bytes of an 8-bit RGB PNG (alpha dropped), compressed
// for speed over size: pages of text and white compress well either way.
std::vector<Byte> EncodeSurfaceToPngRgb(const TGdiSurface& surface);
// Any PNG, converted to 8-bit BGRA; raises EFOpenError or EReadError.
TGdiSurfacePtr LoadSurfaceFromPng(const std::string& path);
// The same from memory; raises EReadError for anything that is not a whole PNG.
TGdiSurfacePtr LoadSurfaceFromPngData(const void* data, size_t size);

// Whether the PNG readers (these and TPngImage) check chunk and zlib
// checksums; on by default. Fuzzing turns them off so that mutated inputs
// get past the checksums to the decoder behind them.
void SetPngCrcChecking(bool on);
bool PngCrcChecking();

}  // namespace vcl
