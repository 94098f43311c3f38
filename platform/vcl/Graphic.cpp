#include "platform/vcl/Graphic.h"

#include <atomic>
#include <mutex>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Icon.h"

namespace vcl {

// ---------------------------------------------------------------------------
// TGraphic

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::SetSize(Integer AWidth, Integer AHeight) {
  SetWidth(AWidth);
  SetHeight(AHeight);
}

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value) Changed(this);
  else FModified = false;
}

void TGraphic::LoadFromFile(const String& FileName) {
  TFileStream s(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&s);
}

void TGraphic::SaveToFile(const String& FileName) {
  TFileStream s(FileName, fmCreate);
  SaveToStream(&s);
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }
void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

void TGraphic::ReadSized(TStream* Stream) {
  int32_t size = 0;
  if (Stream->Read(&size, 4) != 4) throw EReadError(u"Picture data cut short");
  if (size < 0 || size > Stream->Size() - Stream->Position()) throw EReadError(u"Picture data cut short");
  // The graphic reads its file from a stream that ends where the file does.
  TBytesStream file;
  if (size > 0) {
    file.SetSize(size);
    Stream->ReadBuffer(file.Memory(), size);
  }
  LoadFromStream(&file);
}

void TGraphic::WriteSized(TStream* Stream) {
  TBytesStream file;
  SaveToStream(&file);
  if (file.Size() > INT32_MAX) throw EWriteError(u"Picture too large");
  const int32_t size = static_cast<int32_t>(file.Size());
  Stream->WriteBuffer(&size, 4);
  Stream->WriteBuffer(file.Memory(), size);
}

void TGraphic::DrawTransparent(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) {
  Integer w = Rect.Width(), h = Rect.Height();
  if (w <= 0 || h <= 0) return;
  // Draw onto a copy of what is there, then blend the copy back.
  TBitmap tmp;
  tmp.SetPixelFormat(TPixelFormat::pf32bit);
  tmp.SetSize(w, h);
  HDC dc = ACanvas->Handle();
  BitBlt(tmp.Canvas()->Handle(), 0, 0, w, h, dc, Rect.Left, Rect.Top, SRCCOPY);
  Draw(tmp.Canvas(), TRect(0, 0, w, h));
  BLENDFUNCTION bf;
  bf.SourceConstantAlpha = Opacity;
  AlphaBlend(dc, Rect.Left, Rect.Top, w, h, tmp.Canvas()->Handle(), 0, 0, w, h, bf);
}

namespace {
std::atomic<Int64> gMaxPixels{Int64(1) << 28};
}
void SetMaxGraphicPixels(Int64 Limit) { gMaxPixels = Limit > 0 ? Limit : Int64(1) << 28; }
Int64 MaxGraphicPixels() { return gMaxPixels; }

TGraphic* NewGraphic(TGraphicClass Class) {
  if (!Class || !Class->InheritsFrom(TGraphic::StaticClass()) || !Class->CanCreate())
    throw EInvalidGraphic(u"Invalid graphic class");
  return static_cast<TGraphic*>(Class->Create());
}

void DrawARGB(TCanvas* ACanvas, const TRect& Rect, const uint32_t* Pixels, Integer Width, Integer Height,
              Byte Opacity) {
  if (Width <= 0 || Height <= 0 || Rect.IsEmpty()) return;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[4];
  } bi;
  bi.h.biWidth = Width;
  bi.h.biHeight = -Height;
  bi.h.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) throw EOutOfResources(u"Out of system resources");
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0, n = size_t(Width) * size_t(Height); i < n; ++i) {
    uint32_t c = Pixels[i], a = c >> 24;
    if (a != 255) {
      uint32_t r = ((c >> 16) & 0xFF) * a, g = ((c >> 8) & 0xFF) * a, b = (c & 0xFF) * a;
      c = (a << 24) | (((r + 127) / 255) << 16) | (((g + 127) / 255) << 8) | ((b + 127) / 255);
    }
    out[i] = c;
  }
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  BLENDFUNCTION bf;
  bf.SourceConstantAlpha = Opacity;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(ACanvas->Handle(), Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), mem, 0, 0, Width, Height, bf);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
}

// ---------------------------------------------------------------------------
// File formats

namespace {
struct TFileFormat {
  String Extension;
  String Description;
  TGraphicClass Class;
};
std::mutex& FormatsLock() {
  static std::mutex m;
  return m;
}
std::vector<TFileFormat>& Formats() {
  static std::vector<TFileFormat> f;
  return f;
}
}  // namespace

void TPicture::RegisterFileFormat(const String& AExtension, const String& ADescription, TGraphicClass AGraphicClass) {
  std::lock_guard<std::mutex> g(FormatsLock());
  for (auto& f : Formats())
    if (SameText(f.Extension, AExtension)) {
      f.Description = ADescription;
      f.Class = AGraphicClass;
      return;
    }
  Formats().push_back({LowerCase(AExtension), ADescription, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass) {
  std::lock_guard<std::mutex> g(FormatsLock());
  auto& v = Formats();
  for (size_t i = v.size(); i-- > 0;)
    if (v[i].Class->InheritsFrom(AClass)) v.erase(v.begin() + Integer(i));
}

TGraphicClass TPicture::FindGraphicClassForExtension(const String& AExtension) {
  String e = AExtension;
  if (!e.empty() && e[0] == u'.') e.erase(0, 1);
  std::lock_guard<std::mutex> g(FormatsLock());
  for (auto& f : Formats())
    if (SameText(f.Extension, e)) return f.Class;
  return nullptr;
}

String TPicture::GraphicFilter(TGraphicClass GraphicClass) {
  std::lock_guard<std::mutex> g(FormatsLock());
  String all, each, masks;
  for (auto& f : Formats()) {
    if (GraphicClass && !f.Class->InheritsFrom(GraphicClass)) continue;
    String mask = u"*." + f.Extension;
    if (!masks.empty()) masks += u";";
    masks += mask;
    each += u"|" + f.Description + u" (" + mask + u")|" + mask;
  }
  all = u"All (" + masks + u")|" + masks;
  return all + each;
}

void RegisterGraphicsFileFormats() {
  // Form files hold colours and charsets by name where they have one.
  RegisterIntegerConsts(u"TColor", IdentToColor, ColorToIdent);
  RegisterIntegerConsts(u"TFontCharset", IdentToCharset, CharsetToIdent);
  TPicture::RegisterFileFormat(u"bmp", u"Bitmaps", TBitmap::StaticClass());
  TPicture::RegisterFileFormat(u"ico", u"Icons", TIcon::StaticClass());
}

// ---------------------------------------------------------------------------
// TPicture

TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> G) {
  FGraphic = std::move(G);
  if (FGraphic) FGraphic->OnChange = TNotifyEvent(this, &TPicture::Changed);
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  std::unique_ptr<TGraphic> g;
  if (Value) {
    g.reset(NewGraphic(Value->ClassType()));
    g->Assign(Value);
  }
  Take(std::move(g));
}

void TPicture::ForceType(TGraphicClass Class) {
  if (FGraphic && FGraphic->ClassType() == Class) return;
  Take(std::unique_ptr<TGraphic>(NewGraphic(Class)));
}

TBitmap* TPicture::Bitmap() {
  ForceType(TBitmap::StaticClass());
  return static_cast<TBitmap*>(FGraphic.get());
}
void TPicture::SetBitmap(TBitmap* Value) { SetGraphic(Value); }

TIcon* TPicture::Icon() {
  ForceType(TIcon::StaticClass());
  return static_cast<TIcon*>(FGraphic.get());
}
void TPicture::SetIcon(TIcon* Value) { SetGraphic(Value); }

TMetafile* TPicture::Metafile() {
  ForceType(TMetafile::StaticClass());
  return static_cast<TMetafile*>(FGraphic.get());
}
void TPicture::SetMetafile(TMetafile* Value) { SetGraphic(Value); }

Integer TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
Integer TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const String& FileName) {
  String ext = ExtractFileExt(FileName);
  if (!ext.empty() && ext[0] == u'.') ext.erase(0, 1);
  TGraphicClass c = FindGraphicClassForExtension(ext);
  if (!c) throw EInvalidGraphic(Format(u"Unknown picture file extension (.%s)", {ext}));
  std::unique_ptr<TGraphic> g(NewGraphic(c));
  g->LoadFromFile(FileName);
  Take(std::move(g));
}

void TPicture::SaveToFile(const String& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    Byte sig[8] = {};
    Int64 start = Stream->Position();
    Integer n = Stream->Read(sig, 8);
    Stream->Seek(start, soBeginning);
    TGraphicClass c = nullptr;
    static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (n >= 2 && sig[0] == 'B' && sig[1] == 'M') c = FindGraphicClassForExtension(u"bmp");
    else if (n >= 8 && std::equal(sig, sig + 8, kPng)) c = FindGraphicClassForExtension(u"png");
    else if (n >= 3 && sig[0] == 0xFF && sig[1] == 0xD8 && sig[2] == 0xFF) c = FindGraphicClassForExtension(u"jpg");
    else if (n >= 4 && sig[0] == 0 && sig[1] == 0 && (sig[2] == 1 || sig[2] == 2) && sig[3] == 0)
      c = FindGraphicClassForExtension(u"ico");
    if (!c) throw EInvalidGraphic(u"Unsupported image format");
    std::unique_ptr<TGraphic> g(NewGraphic(c));
    g->LoadFromStream(Stream);
    Take(std::move(g));
  });
}

void TPicture::SaveToStream(TStream* Stream) {
  if (FGraphic) FGraphic->SaveToStream(Stream);
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) return SetGraphic(nullptr);
  if (auto* p = dynamic_cast<TPicture*>(Source)) return SetGraphic(p->Graphic());
  if (auto* g = dynamic_cast<TGraphic*>(Source)) return SetGraphic(g);
  inherited::Assign(Source);
}

namespace {

// The registered graphic class of that name (nil for none).
TGraphicClass GraphicClassNamed(const String& Name) {
  std::lock_guard<std::mutex> g(FormatsLock());
  for (auto& f : Formats())
    if (SameText(f.Class->ClassName(), Name)) return f.Class;
  return nullptr;
}

}  // namespace

void TPicture::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  // Only what reads back is written: a graphic with a file format.
  const bool has = FGraphic && !FGraphic->Empty() && GraphicClassNamed(FGraphic->ClassName()) != nullptr;
  bool hasData = has;
  if (auto* ancestor = dynamic_cast<TPicture*>(Filer->Ancestor())) {
    const TGraphic* a = ancestor->Graphic();
    const bool ancestorHas = a && !a->Empty();
    if (!has) hasData = ancestorHas;
    else if (ancestorHas && a->ClassType() == FGraphic->ClassType()) {
      TBytesStream mine, theirs;
      WriteData(&mine);
      ancestor->WriteData(&theirs);
      hasData = mine.Bytes() != theirs.Bytes();
    }
  }
  Filer->DefineBinaryProperty(u"Data", TStreamProc(this, &TPicture::ReadData), TStreamProc(this, &TPicture::WriteData),
                              hasData);
}

void TPicture::ReadData(TStream* Stream) {
  Byte len = 0;
  if (Stream->Read(&len, 1) != 1) throw EReadError(u"Picture data without a class name");
  std::string name(len, '\0');
  if (Stream->Read(name.data(), len) != len) throw EReadError(u"Picture data without a class name");
  const String cls(name.begin(), name.end());
  if (cls.empty()) {
    // What a picture without a graphic writes.
    Take(nullptr);
    return;
  }
  TGraphicClass c = GraphicClassNamed(cls);
  if (!c) throw EReadError(u"Unsupported picture class " + cls);
  std::unique_ptr<TGraphic> g(NewGraphic(c));
  g->ReadData(Stream);
  Take(std::move(g));
}

void TPicture::WriteData(TStream* Stream) {
  const String cls = FGraphic ? FGraphic->ClassName() : String();
  std::string name;
  for (char16_t c : cls) name.push_back(static_cast<char>(c <= 0xFF ? c : u'?'));
  const Byte len = static_cast<Byte>(std::min<size_t>(name.size(), 255));
  Stream->WriteBuffer(&len, 1);
  Stream->WriteBuffer(name.data(), len);
  if (FGraphic) FGraphic->WriteData(Stream);
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* g = dynamic_cast<TGraphic*>(Dest); g && FGraphic) return g->Assign(FGraphic.get());
  inherited::AssignTo(Dest);
}

// ---------------------------------------------------------------------------
// TMetafile

void TMetafile::SetWidth(Integer Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed(this);
}

void TMetafile::SetHeight(Integer Value) {
  if (Value < 0 || Value == FHeight) return;
  FHeight = Value;
  Changed(this);
}

void TMetafile::Add(TRecord Record) {
  if (!Record) return;
  FRecords.push_back(std::move(Record));
  Changed(this);
}

void TMetafile::Clear() {
  FRecords.clear();
  Changed(this);
}

void TMetafile::LoadFromStream(TStream*) { throw EInvalidGraphic(u"Metafile is not valid"); }

void TMetafile::SaveToStream(TStream*) {
  throw EInvalidGraphicOperation(u"A recorded metafile cannot be saved");
}

void TMetafile::Assign(TPersistent* Source) {
  if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    if (m == this) return;
    FRecords = m->FRecords;
    FWidth = m->FWidth;
    FHeight = m->FHeight;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TMetafile::Replay(HDC DC) {
  TCanvas c;
  c.SetHandle(DC);
  for (auto& r : FRecords) r(&c);
  c.SetHandle(nullptr);
}

void TMetafile::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty() || FWidth <= 0 || FHeight <= 0 || Rect.IsEmpty()) return;
  HDC dc = ACanvas->Handle();
  if (Rect.Width() == FWidth && Rect.Height() == FHeight) {
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, Rect.Left, Rect.Top, nullptr);
    IntersectClipRect(dc, 0, 0, FWidth, FHeight);
    Replay(dc);
    RestoreDC(dc, saved);
    return;
  }
  // Scaled: record on white and on black; pixels that agree were drawn.
  TBitmap onWhite, onBlack;
  for (TBitmap* b : {&onWhite, &onBlack}) {
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(FWidth, FHeight);
    b->Canvas()->Brush()->SetColor(b == &onWhite ? clWhite : clBlack);
    b->Canvas()->FillRect(TRect(0, 0, FWidth, FHeight));
    HDC bdc = b->Canvas()->Handle();
    int saved = SaveDC(bdc);
    Replay(bdc);
    RestoreDC(bdc, saved);
  }
  for (Integer y = 0; y < FHeight; ++y) {
    auto* w = static_cast<uint32_t*>(onWhite.ScanLine(y));
    auto* k = static_cast<uint32_t*>(onBlack.ScanLine(y));
    for (Integer x = 0; x < FWidth; ++x)
      w[x] = (w[x] & 0xFFFFFF) == (k[x] & 0xFFFFFF) ? (w[x] | 0xFF000000u) : 0u;
  }
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), onWhite.Canvas()->Handle(), 0, 0, FWidth,
             FHeight, bf);
}

}  // namespace vcl
