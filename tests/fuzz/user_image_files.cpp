// The host's own image loaders: packed DIBs (bitmap resources, and .bmp
// files after their file header), .ico and .cur files, and LoadImageW on a
// file of the bytes. Whatever decodes has the size its header declares and
// a cursor's hotspot lies on it; the loader on a file agrees with the
// decoders it rests on. The first byte picks the reader, the second the
// size asked for or the load flags.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "platform/user/Resources.h"
#include "platform/user/User.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

namespace {

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void CheckBitmap(HBITMAP b, Int64 w, Int64 h) {
  BITMAP bm;
  if (!GetObjectW(b, sizeof bm, &bm)) std::abort();
  if (w >= 0 && (bm.bmWidth != w || std::abs(bm.bmHeight) != h)) std::abort();
  DeleteObject(b);
}

void CheckIcon(HICON icon, bool cursor) {
  ICONINFO ii;
  if (!GetIconInfo(icon, &ii)) std::abort();
  BITMAP bm;
  if (!ii.hbmColor || !GetObjectW(ii.hbmColor, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) std::abort();
  if (cursor && (Int64(ii.xHotspot) >= bm.bmWidth || Int64(ii.yHotspot) >= std::abs(bm.bmHeight))) std::abort();
  DeleteObject(ii.hbmColor);
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  DestroyIcon(icon);
}

const std::string& ScratchFile() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("qn_fuzz_user_image_" + std::to_string(::getpid()))).string();
  return path;
}

void WriteFile(const std::string& path, const uint8_t* a, size_t an, const uint8_t* b, size_t bn) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(a), std::streamsize(an));
  f.write(reinterpret_cast<const char*>(b), std::streamsize(bn));
}

void PackedDib(const uint8_t* data, size_t size) {
  HBITMAP b = CreateBitmapFromPackedDIB(data, size);
  if (!b) return;
  const Int64 h = int32_t(Get32(data + 8));
  CheckBitmap(b, int32_t(Get32(data + 4)), h < 0 ? -h : h);
}

void IconFile(const uint8_t* data, size_t size, uint8_t ask, bool cursor) {
  const int side = ask % 4 == 0 ? 0 : 16 << (ask % 4);
  HICON direct = CreateIconFromFileData(data, size, side, side, cursor);
  const bool decoded = direct != nullptr;
  if (direct) CheckIcon(direct, cursor);
  // The same bytes as a file: the loader takes what the decoder takes.
  WriteFile(ScratchFile(), data, size, nullptr, 0);
  const String name = FromUtf8(ScratchFile());
  HANDLE h = LoadImageW(nullptr, name.c_str(), cursor ? IMAGE_CURSOR : IMAGE_ICON, side, side, LR_LOADFROMFILE);
  if ((h != nullptr) != decoded) std::abort();
  if (h) CheckIcon(static_cast<HICON>(h), cursor);
}

void BitmapFile(const uint8_t* data, size_t size, uint8_t flagBits) {
  UINT flags = LR_LOADFROMFILE;
  if (flagBits & 1) flags |= LR_MONOCHROME;
  if (flagBits & 2) flags |= LR_LOADTRANSPARENT;
  if (flagBits & 4) flags |= LR_LOADMAP3DCOLORS;
  if (flagBits & 8) flags |= LR_CREATEDIBSECTION;
  HBITMAP direct = CreateBitmapFromPackedDIB(data, size);
  const bool decoded = direct != nullptr;
  if (direct) DeleteObject(direct);
  // A file header in front; its offset and size fields are not read.
  uint8_t head[14] = {'B', 'M'};
  WriteFile(ScratchFile(), head, sizeof head, data, size);
  const String name = FromUtf8(ScratchFile());
  HANDLE h = LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, flags);
  if ((h != nullptr) != decoded) std::abort();
  if (h) {
    const Int64 ht = int32_t(Get32(data + 8));
    CheckBitmap(static_cast<HBITMAP>(h), int32_t(Get32(data + 4)), ht < 0 ? -ht : ht);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fuzz::SkipPngChecksums();
  const uint8_t* p = data + 2;
  const size_t n = size - 2;
  switch (data[0] % 4) {
    case 0: PackedDib(p, n); break;
    case 1: IconFile(p, n, data[1], false); break;
    case 2: IconFile(p, n, data[1], true); break;
    default: BitmapFile(p, n, data[1]); break;
  }
  return 0;
}
