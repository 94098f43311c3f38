#include "platform/vcl/Clipbrd.h"

#include <cstring>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Forms.h"

namespace vcl {

namespace {
TClipboard* gClipboard = nullptr;
}  // namespace

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

HWND TClipboard::WindowHandle() const { return Application ? Application->Handle() : nullptr; }

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    if (!OpenClipboard(WindowHandle())) throw EClipboardException(u"Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  Close();
  FPicture.reset();
}

void TClipboard::Adding() {
  if (FOpenRefCount != 0 && !FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
}

void TClipboard::SetBuffer(Word Format, const void* Buffer, size_t Size) {
  Open();
  try {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, Size);
    if (!data) throw EOutOfMemory(u"Out of memory");
    std::memcpy(GlobalLock(data), Buffer, Size);
    GlobalUnlock(data);
    Adding();
    if (!SetClipboardData(Format, data)) {
      GlobalFree(data);
      throw EClipboardException(u"Cannot set clipboard data");
    }
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

String TClipboard::AsText() {
  String result;
  Open();
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    size_t n = GlobalSize(data) / sizeof(Char);
    if (auto* p = static_cast<const Char*>(GlobalLock(data))) {
      // Up to the terminator, or the end of the block when there is none.
      size_t len = 0;
      while (len < n && p[len]) ++len;
      result.assign(p, len);
      GlobalUnlock(data);
    }
  }
  Close();
  return result;
}

void TClipboard::SetAsText(const String& Value) { SetBuffer(CF_UNICODETEXT, Value.c_str(), (Value.size() + 1) * sizeof(Char)); }

Integer TClipboard::GetTextBuf(Char* Buffer, Integer BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  String text = AsText();
  Integer n = std::min<Integer>(Integer(text.size()), BufSize - 1);
  std::copy(text.begin(), text.begin() + n, Buffer);
  Buffer[n] = 0;
  return n;
}

void TClipboard::SetTextBuf(const Char* Buffer) { SetAsText(Buffer ? String(Buffer) : String()); }

HANDLE TClipboard::GetAsHandle(Word Format) {
  Open();
  HANDLE h = GetClipboardData(Format);
  Close();
  return h;
}

void TClipboard::SetAsHandle(Word Format, HANDLE Value) {
  Open();
  Adding();
  HANDLE r = SetClipboardData(Format, Value);
  Close();
  if (!r) throw EClipboardException(u"Cannot set clipboard data");
}

Word TClipboard::Formats(Integer Index) {
  Open();
  UINT f = 0;
  for (Integer i = 0; i <= Index; ++i) {
    f = EnumClipboardFormats(f);
    if (!f) break;
  }
  Close();
  if (!f) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return Word(f);
}

void TClipboard::Assign(TPersistent* Source) {
  if (!Source) return Clear();
  if (dynamic_cast<TGraphic*>(Source) || dynamic_cast<TPicture*>(Source)) {
    // Copied first, so that a failing copy leaves the clipboard as it was.
    auto p = std::make_unique<TPicture>();
    p->Assign(Source);
    TBitmap bmp;
    if (p->Graphic()) bmp.Assign(p->Graphic());
    HBITMAP h = bmp.ReleaseHandle();
    if (!h) throw EClipboardException(u"Cannot set clipboard data");
    Open();
    try {
      EmptyClipboard();
      FEmptied = true;
      if (!SetClipboardData(CF_BITMAP, h)) {
        DeleteObject(h);
        throw EClipboardException(u"Cannot set clipboard data");
      }
    } catch (...) {
      Close();
      throw;
    }
    Close();
    FPicture = std::move(p);
    FPictureSequence = GetClipboardSequenceNumber();
    return;
  }
  inherited::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  auto* pic = dynamic_cast<TPicture*>(Dest);
  auto* g = dynamic_cast<TGraphic*>(Dest);
  if (!pic && !g) return inherited::AssignTo(Dest);
  if (FPicture && FPictureSequence == GetClipboardSequenceNumber()) {
    if (pic) return pic->Assign(FPicture.get());
    if (FPicture->Graphic()) g->Assign(FPicture->Graphic());
    return;
  }
  // Someone else's bitmap: copied pixel for pixel (all four bytes).
  HBITMAP h = static_cast<HBITMAP>(GetAsHandle(CF_BITMAP));
  if (!h) {
    if (pic) pic->SetGraphic(nullptr);
    return;
  }
  BITMAP bm;
  if (!GetObjectW(h, sizeof bm, &bm)) return;
  TBitmap copy;
  copy.SetPixelFormat(TPixelFormat::pf32bit);
  copy.SetSize(bm.bmWidth, bm.bmHeight);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, h);
  BitBlt(copy.Canvas()->Handle(), 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  if (pic) pic->Assign(&copy);
  else g->Assign(&copy);
}

TClipboard* Clipboard() {
  if (!gClipboard) gClipboard = new TClipboard();
  return gClipboard;
}

void DoneClipboard() {
  delete gClipboard;
  gClipboard = nullptr;
}

}  // namespace vcl
