// Settings shared by the fuzz targets.
#pragma once

#include <cstdlib>

#include "platform/gdi/GdiPng.h"
#include "platform/vcl/Graphic.h"

namespace fuzz {

// A lowered pixel cap lets the fuzzer explore many small pictures quickly;
// with QN_FUZZ_DEFAULT_CAP set (the suite runs every capped target once
// that way too) the library's default cap is fuzzed instead, so that only
// the readers' own bounds keep memory in check.
inline void PixelCap(vcl::Int64 lowered) {
  static const bool keepDefault = std::getenv("QN_FUZZ_DEFAULT_CAP") != nullptr;
  vcl::SetMaxGraphicPixels(keepDefault ? 0 : lowered);
}

// Mutations break chunk checksums long before they reach the decoder
// behind them; the PNG targets read past the checksums.
inline void SkipPngChecksums() { vcl::SetPngCrcChecking(false); }

}  // namespace fuzz
