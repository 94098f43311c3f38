// Outside data that reaches GDI: region data (ExtCreateRegion), device
// independent bitmaps (headers of any kind with bits of the size they
// declare) and PNG images. The first byte picks the reader.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/GdiPng.h"
#include "platform/rtl/System.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

namespace {

void Region(const uint8_t* data, size_t size) {
  std::vector<uint64_t> buf(size / 8 + 1);
  std::memcpy(buf.data(), data, size);
  HRGN r = ExtCreateRegion(nullptr, DWORD(size), reinterpret_cast<const RGNDATA*>(buf.data()));
  if (!r) return;
  // What a region gives out must come back as the same region.
  DWORD n = GetRegionData(r, 0, nullptr);
  std::vector<uint64_t> out(n / 8 + 1);
  if (GetRegionData(r, n, reinterpret_cast<RGNDATA*>(out.data())) != n) std::abort();
  HRGN again = ExtCreateRegion(nullptr, n, reinterpret_cast<const RGNDATA*>(out.data()));
  if (!again || !EqualRgn(r, again)) std::abort();
  DeleteObject(again);
  DeleteObject(r);
}

void Dib(const uint8_t* data, size_t size) {
  if (size < sizeof(BITMAPINFOHEADER)) return;
  // Room for the largest header, masks and a full colour table.
  std::vector<uint64_t> info(2048 / 8);
  size_t head = std::min<size_t>(size, 1024);
  std::memcpy(info.data(), data, head);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  const auto& h = bi->bmiHeader;
  // The bits must be as large as the header says, as the platform requires
  // of callers; other headers are only checked for refusal without a crash.
  Int64 w = h.biWidth, hh = h.biHeight < 0 ? -Int64(h.biHeight) : Int64(h.biHeight);
  Int64 stride = ((w * h.biBitCount + 31) / 32) * 4;
  if (w <= 0 || hh <= 0 || w > 256 || hh > 256 || stride <= 0) return;
  std::vector<uint8_t> bits(size_t(stride * hh) + 16);
  size_t rest = size - head;
  std::memcpy(bits.data(), data + head, std::min(rest, bits.size()));
  HBITMAP target = CreateBitmap(16, 16, 1, 32, nullptr);
  SetDIBits(nullptr, target, 0, UINT(hh), bits.data(), bi, DIB_RGB_COLORS);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  StretchDIBits(dc, 0, 0, 16, 16, 0, 0, int(w), int(hh), bits.data(), bi, DIB_RGB_COLORS, SRCCOPY);
  SetDIBitsToDevice(dc, 0, 0, DWORD(w), DWORD(hh), 0, 0, 0, UINT(hh), bits.data(), bi, DIB_RGB_COLORS);
  void* p = nullptr;
  HBITMAP sec = CreateDIBSection(dc, bi, DIB_RGB_COLORS, &p, nullptr, 0);
  if (sec) {
    HGDIOBJ o2 = SelectObject(dc, sec);
    RECT r{0, 0, 8, 8};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SelectObject(dc, o2);
    DeleteObject(sec);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(target);
}

void Png(const uint8_t* data, size_t size) {
  try {
    auto s = LoadSurfaceFromPngData(data, size);
    if (!s || s->Width <= 0 || s->Height <= 0) std::abort();
  } catch (const EReadError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  fuzz::SkipPngChecksums();
  switch (data[0] % 3) {
    case 0: Region(data + 1, size - 1); break;
    case 1: Dib(data + 1, size - 1); break;
    default: Png(data + 1, size - 1); break;
  }
  return 0;
}
