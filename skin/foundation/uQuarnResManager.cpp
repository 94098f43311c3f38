#include "skin/foundation/uQuarnResManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "graphics/raster/Pix32_Backends_qn.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Jpeg.h"

namespace qn {

TQuarnResDM* QuarnResDM = nullptr;

namespace {

TQuarnResManager* GResManager = nullptr;

// Ids are compared the way the platform's SameText does: ASCII letters
// folded, everything else as it stands.
void FoldInPlace(String& s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
}

String FoldID(const String& ResID) {
  String s = ResID;
  FoldInPlace(s);
  return s;
}

[[noreturn]] void RaiseNoModule() { throw Exception(u"QuarnResDM is not assigned"); }

}  // namespace

// ---------------------------------------------------------------------------
// TQuarnBitmapItem

TQuarnBitmapItem::TQuarnBitmapItem(TCollection* Collection)
    : TCollectionItem(Collection), FBitmap(std::make_unique<TQuarnImage>()) {}

namespace {
// Pictures made from a handed-out image must not outlive its pixels.
void ItemImageChanged(const TBitmap32* Image) {
  if (GResManager) GResManager->ImageChanged(Image);
}
}  // namespace

TQuarnBitmapItem::~TQuarnBitmapItem() { ItemImageChanged(FBitmap.get()); }

void TQuarnBitmapItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TQuarnBitmapItem*>(Source)) {
    FResID = s->FResID;
    FDescription = s->FDescription;
    FBitmap->Assign(s->FBitmap.get());
    FBitmap->SetDrawMode(TDrawMode::dmBlend);
    ItemImageChanged(FBitmap.get());
    Changed(false);
    return;
  }
  inherited::Assign(Source);
}

void TQuarnBitmapItem::SetResID(const TQnResID& Value) {
  if (FResID == Value) return;
  FResID = Value;
  if (auto* c = dynamic_cast<TQuarnBitmapCollection*>(Collection())) c->Invalidate();
  Changed(false);
}

void TQuarnBitmapItem::SetBitmap(TQuarnImage* Value) {
  FBitmap->Assign(Value);
  FBitmap->SetDrawMode(TDrawMode::dmBlend);
  ItemImageChanged(FBitmap.get());
  Changed(false);
}

void TQuarnBitmapItem::SetDescription(const String& Value) {
  if (FDescription == Value) return;
  FDescription = Value;
  Changed(false);
}

String TQuarnBitmapItem::GetDisplayName() { return FResID.empty() ? inherited::GetDisplayName() : FResID; }

// ---------------------------------------------------------------------------
// TQuarnBitmapCollection

TQuarnBitmapCollection::TQuarnBitmapCollection(TPersistent* AOwner)
    : TOwnedCollection(AOwner, TQuarnBitmapItem::StaticClass()) {}

TQuarnBitmapItem* TQuarnBitmapCollection::GetItem(Integer Index) const {
  return static_cast<TQuarnBitmapItem*>(TCollection::GetItem(Index));
}

Integer TQuarnBitmapCollection::IndexOf(const TQnResID& ResID) const {
  if (!FIndexValid) {
    FIndex.clear();
    for (Integer i = 0; i < Count(); ++i) FIndex.emplace(FoldID(GetItem(i)->ResID()), i);
    FIndexValid = true;
  }
  // Folded into a string kept for the purpose: a paint looks up many names.
  thread_local String key;
  key.assign(ResID);
  FoldInPlace(key);
  auto it = FIndex.find(key);
  return it == FIndex.end() ? -1 : it->second;
}

TQuarnBitmapItem* TQuarnBitmapCollection::Find(const TQnResID& ResID) const {
  const Integer i = IndexOf(ResID);
  return i < 0 ? nullptr : GetItem(i);
}

void TQuarnBitmapCollection::Update(TCollectionItem* Item) {
  // Moves and renames reach here; the index is rebuilt on the next look-up.
  FIndexValid = false;
  inherited::Update(Item);
}

void TQuarnBitmapCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  FIndexValid = false;
  inherited::Notify(Item, Action);
}

// ---------------------------------------------------------------------------
// TQuarnImageList and TQuarnResDM

TQuarnImageList::TQuarnImageList(TComponent* AOwner)
    : TComponent(AOwner), FBitmaps(std::make_unique<TQuarnBitmapCollection>(this)) {
  FBitmaps->SetPropName(u"Bitmaps");
}

TQuarnImageList::~TQuarnImageList() = default;

void TQuarnImageList::SetBitmaps(TQuarnBitmapCollection* Value) { FBitmaps->Assign(Value); }

TQuarnResDM::TQuarnResDM(TComponent* AOwner) : TDataModule(AOwner) {
  FQuarnImageListMain = new TQuarnImageList(this);
  FQuarnImageListMain->SetName(u"QuarnImageListMain");
}

TQuarnResDM* TQuarnResDM::CreateDefault(TComponent* AOwner) {
  auto dm = std::make_unique<TQuarnResDM>(AOwner);
  dm->SetName(u"QuarnResDM");
  BuildDefaultSkin(dm->QuarnImageListMain()->Bitmaps());
  return dm.release();
}

void TQuarnResDM::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FQuarnImageListMain) FQuarnImageListMain = nullptr;
}

// ---------------------------------------------------------------------------
// Files

void LoadQuarnImageFromFile(TQuarnImage* Image, const String& FileName) {
  Byte sig[8] = {};
  {
    TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
    fs.Read(sig, sizeof sig);
  }
  static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  TQuarnImage loaded;
  if (std::memcmp(sig, kPng, 8) == 0) {
    bool alpha = false;
    LoadPNGintoBitmap32(&loaded, FileName, alpha);
  } else if (sig[0] == 0xFF && sig[1] == 0xD8) {
    // The platform's JPEG reader decodes; the picture comes in opaque.
    TJPEGImage jpeg;
    jpeg.LoadFromFile(FileName);
    loaded.Assign(jpeg.Bitmap());
  } else if (sig[0] == 'B' && sig[1] == 'M') {
    loaded.LoadFromFile(FileName);
  } else {
    throw EInvalidGraphic(Format(u"Unknown picture file format: %s", {FileName}));
  }
  if (loaded.Empty()) throw EInvalidGraphic(Format(u"Empty picture: %s", {FileName}));
  Image->Assign(&loaded);
  Image->SetDrawMode(TDrawMode::dmBlend);
}

void LoadImageListText(TQuarnImageList* List, std::string_view Text) {
  // Parsed into a list of its own first: a damaged text raises here and the
  // real list keeps every picture it had.
  TQuarnImageList aside(nullptr);
  TextToComponent(Text, &aside);
  TQuarnBitmapCollection* from = aside.Bitmaps();
  // A picture without area is no picture: a 0 x n size read from the data
  // would not survive being written again.
  for (Integer i = 0; i < from->Count(); ++i) {
    TQuarnImage* b = from->GetItem(i)->Bitmap();
    if (b->Empty()) b->SetSize(0, 0);
  }
  // The items read move across rather than being copied: the list ends as
  // an Assign would leave it (new items, in order, each picture drawing
  // blended and answering to no handler of the text's), without copying
  // every picture once more.
  TQuarnBitmapCollection* to = List->Bitmaps();
  from->BeginUpdate();
  to->BeginUpdate();
  try {
    to->Clear();
    while (from->Count() > 0) {
      TQuarnBitmapItem* item = from->GetItem(0);
      TQuarnImage* b = item->Bitmap();
      b->SetDrawMode(TDrawMode::dmBlend);
      b->SetOnChange({});
      b->SetOnPixelCombine({});
      b->SetOnAreaChanged({});
      b->SetOnResize({});
      item->SetCollection(to);
    }
  } catch (...) {
    to->EndUpdate();
    from->EndUpdate();
    throw;
  }
  to->EndUpdate();
  from->EndUpdate();
}

// ---------------------------------------------------------------------------
// TQuarnResManager

// ---------------------------------------------------------------------------
// What a Refresh loaded

namespace {

// Everything of a picture a load sets or leaves at its default, but its
// pixels: a fresh picture read from the same text has all of it again.
struct TImageState {
  Integer Width = 0, Height = 0;
  TDrawMode DrawMode{};
  TCombineMode CombineMode{};
  TWrapMode WrapMode{};
  Cardinal MasterAlpha = 0;
  TColor32 OuterColor = 0, PenColor = 0;
  Single StippleStep = 0, StippleCounter = 0;
  TArrayOfColor32 StipplePattern;
  TRect ClipRect;
  bool Clipping = false, MeasuringMode = false;
  Integer RasterX = 0, RasterY = 0;
  TFixed RasterXF = 0, RasterYF = 0;
  bool Handlers = false;
  TClass Backend = nullptr;
  const void* Resampler = nullptr;
  String ResamplerClass;
  std::vector<Byte> ResamplerProps;
  TFontData Font;
  TColor FontColor{};
  Integer FontPPI = 0;

  bool operator==(const TImageState&) const = default;
};

std::vector<Byte> PublishedBytes(TPersistent* Instance) {
  if (!Instance) return {};
  TMemoryStream sink;
  TWriter w(&sink);
  w.WriteProperties(Instance);
  return w.TakeBuffer();
}

TImageState StateOf(TQuarnImage* B) {
  TImageState s;
  s.Width = B->Width();
  s.Height = B->Height();
  s.DrawMode = B->DrawMode();
  s.CombineMode = B->CombineMode();
  s.WrapMode = B->WrapMode();
  s.MasterAlpha = B->MasterAlpha();
  s.OuterColor = B->OuterColor();
  s.PenColor = B->PenColor();
  s.StippleStep = B->StippleStep();
  s.StippleCounter = B->StippleCounter();
  s.StipplePattern = B->StipplePattern();
  s.ClipRect = B->ClipRect();
  s.Clipping = B->Clipping();
  s.MeasuringMode = B->MeasuringMode();
  s.RasterX = B->RasterX;
  s.RasterY = B->RasterY;
  s.RasterXF = B->RasterXF;
  s.RasterYF = B->RasterYF;
  s.Handlers = B->OnChange() || B->OnPixelCombine() || B->OnAreaChanged() || B->OnResize() || B->OnHandleChanged();
  s.Backend = B->Backend() ? B->Backend()->ClassType() : nullptr;
  s.Resampler = B->Resampler();
  s.ResamplerClass = B->ResamplerClassName();
  s.ResamplerProps = PublishedBytes(B->Resampler());
  // A backend may draw no text and so have no font.
  TIntf<IFontSupport> fonts;
  if (!Supports(B->Backend(), fonts)) return s;
  TFont* f = fonts->GetFont();
  if (!f) return s;
  s.Font.Name = f->Name();
  s.Font.Height = f->Height();
  s.Font.Pitch = f->Pitch();
  s.Font.Style = f->Style();
  s.Font.Charset = f->Charset();
  s.Font.Orientation = f->Orientation();
  s.Font.Quality = f->Quality();
  s.FontColor = f->Color();
  s.FontPPI = f->PixelsPerInch();
  return s;
}

struct TItemState {
  TQuarnBitmapItem* Item = nullptr;
  TQuarnImage* Image = nullptr;
  String ResID, Description;
  TImageState State;
  size_t PixelsAt = 0;  // into TLoadedList::Pixels
};

size_t PixelCount(const TQuarnImage* B) {
  return B->Empty() || !B->Bits() ? 0 : static_cast<size_t>(B->Width()) * static_cast<size_t>(B->Height());
}

}  // namespace

struct TQuarnResManager::TLoadedList {
  TBytes Bytes;  // the file as loaded
  const TQuarnResDM* Module = nullptr;
  const TQuarnImageList* List = nullptr;
  const TQuarnBitmapCollection* Bitmaps = nullptr;
  std::vector<TItemState> Items;
  std::vector<TColor32> Pixels;  // every picture's, one after the other
};

void TQuarnResManager::RememberLoaded(TBytes Bytes) {
  FLoaded.reset();
  auto l = std::make_unique<TLoadedList>();
  l->Bytes = std::move(Bytes);
  l->Module = QuarnResDM;
  l->List = QuarnResDM->QuarnImageListMain();
  TQuarnBitmapCollection* b = l->List->Bitmaps();
  l->Bitmaps = b;
  size_t total = 0;
  for (Integer i = 0; i < b->Count(); ++i) total += PixelCount(b->GetItem(i)->Bitmap());
  l->Pixels.resize(total);
  l->Items.reserve(static_cast<size_t>(b->Count()));
  size_t at = 0;
  for (Integer i = 0; i < b->Count(); ++i) {
    TQuarnBitmapItem* item = b->GetItem(i);
    TQuarnImage* img = item->Bitmap();
    const size_t n = PixelCount(img);
    if (n) std::memcpy(l->Pixels.data() + at, img->Bits(), n * sizeof(TColor32));
    l->Items.push_back({item, img, item->ResID(), item->Description(), StateOf(img), at});
    at += n;
  }
  FLoaded = std::move(l);
}

bool TQuarnResManager::LoadedIntact(const TBytes& Bytes) const {
  const TLoadedList* l = FLoaded.get();
  if (!l || l->Bytes != Bytes) return false;
  if (QuarnResDM != l->Module || !QuarnResDM || QuarnResDM->QuarnImageListMain() != l->List) return false;
  TQuarnBitmapCollection* b = l->List->Bitmaps();
  if (b != l->Bitmaps || b->Count() != static_cast<Integer>(l->Items.size())) return false;
  for (Integer i = 0; i < b->Count(); ++i) {
    const TItemState& was = l->Items[static_cast<size_t>(i)];
    TQuarnBitmapItem* item = b->GetItem(i);
    TQuarnImage* img = item->Bitmap();
    if (item != was.Item || img != was.Image || item->ResID() != was.ResID ||
        item->Description() != was.Description)
      return false;
    const size_t n = PixelCount(img);
    // Pixels first: written through Bits they tell nobody, and a size
    // change shows in the count.
    const size_t had = (i + 1 < b->Count() ? l->Items[static_cast<size_t>(i) + 1].PixelsAt : l->Pixels.size()) -
                       was.PixelsAt;
    if (n != had) return false;
    if (n && std::memcmp(l->Pixels.data() + was.PixelsAt, img->Bits(), n * sizeof(TColor32)) != 0) return false;
    if (!(StateOf(img) == was.State)) return false;
  }
  return true;
}

TQuarnResManager::TQuarnResManager() = default;
TQuarnResManager::~TQuarnResManager() = default;

TQuarnBitmapCollection* TQuarnResManager::Bitmaps() const {
  if (!QuarnResDM || !QuarnResDM->QuarnImageListMain()) return nullptr;
  return QuarnResDM->QuarnImageListMain()->Bitmaps();
}

TQuarnBitmapCollection* TQuarnResManager::RequireBitmaps() const {
  TQuarnBitmapCollection* b = Bitmaps();
  if (!b) RaiseNoModule();
  return b;
}

void TQuarnResManager::ImagesFreed() {
  FCache.clear();
  FHandedOut.clear();
  ++FGeneration;
}

void TQuarnResManager::ImageChanged(const TBitmap32* Image) {
  if (HandedOut(Image)) ImagesFreed();
}

TQuarnImage* TQuarnResManager::Cached(const String& Key, const std::function<bool(TQuarnImage*)>& Load) {
  auto it = FCache.find(Key);
  if (it != FCache.end()) return it->second.get();
  auto img = std::make_unique<TQuarnImage>();
  if (!Load(img.get()) || img->Empty()) return nullptr;
  TQuarnImage* r = img.get();
  FCache.emplace(Key, std::move(img));
  return r;
}

TQuarnImage* TQuarnResManager::GetImageByName(const TQnResID& ResID) {
  TQuarnImage* img = FindImage(ResID);
  if (img) FHandedOut.insert(img);
  return img;
}

TQuarnImage* TQuarnResManager::FindImage(const TQnResID& ResID) {
  if (std::all_of(ResID.begin(), ResID.end(), [](char16_t c) { return c <= u' '; })) return nullptr;  // as Trim sees blanks

  // (a) a path to a picture file.
  const bool inWorkingFolder = ResID.find(u'/') == String::npos && ResID.find(u'\\') == String::npos;
  if (inWorkingFolder ? FolderFileExists(FWorkingFolder, ResID) : FileExists(ResID)) {
    TQuarnImage* img = Cached(u"file:" + ExpandFileName(ResID), [&](TQuarnImage* i) {
      try {
        LoadQuarnImageFromFile(i, ResID);
        return true;
      } catch (const Exception&) {
        return false;
      }
    });
    if (img) return img;
  }

  // (b) the default-skin module's list.
  if (TQuarnBitmapCollection* b = Bitmaps())
    if (TQuarnBitmapItem* item = b->Find(ResID)) return item->Bitmap();

  // (c) a file of that bare name beside the executable. Anything that could
  // leave the folder is not a bare name.
  const bool bare = ResID.find(u'/') == String::npos && ResID.find(u'\\') == String::npos &&
                    ResID.find(u"..") == String::npos && ResID.find(u':') == String::npos;
  if (bare) {
    const String dir = IncludeTrailingPathDelimiter(ExtractFilePath(GetModuleFileName()));
    if (FExeFolder.Path != dir) {
      FExeFolder = TFolderProbe();
      FExeFolder.Path = dir;
    }
    for (const String& name : {ResID, ResID + u".png"}) {
      if (!FolderFileExists(FExeFolder, name)) continue;
      TQuarnImage* img = Cached(u"exe:" + FoldID(ResID), [&](TQuarnImage* i) {
        try {
          LoadQuarnImageFromFile(i, dir + name);
          return true;
        } catch (const Exception&) {
          return false;
        }
      });
      if (img) return img;
    }
  }

  // (d) the application's hook.
  if (FOnGetImage) {
    return Cached(u"hook:" + FoldID(ResID), [&](TQuarnImage* i) {
      bool handled = false;
      FOnGetImage(this, ResID, i, handled);
      return handled;
    });
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// File probes

TQuarnResManager::TLookupBatch::TLookupBatch(TQuarnResManager* Store) : FStore(Store) {
  if (FStore->FBatchDepth++ == 0) ++FStore->FBatch;
}

TQuarnResManager::TLookupBatch::~TLookupBatch() { --FStore->FBatchDepth; }

void TQuarnResManager::CheckFolder(TFolderProbe& Folder) {
  if (Folder.CheckedIn == FBatch) return;
  Folder.CheckedIn = FBatch;
  const TFolderStamp stamp = FolderStamp(Folder.Path);
  if (stamp.Same(Folder.Stamp) && Folder.Stamp.Settled) return;
  Folder.Answers.clear();
  Folder.Stamp = stamp;
}

// Only an entry that is a plain file or nothing at all is remembered: a link
// can change where it leads and a folder can hold what FileExists rejects,
// neither of which moves the folder's change time.
bool TQuarnResManager::FolderFileExists(TFolderProbe& Folder, const String& Name) {
  if (FBatchDepth == 0) return FileExists(Folder.Path + Name);
  CheckFolder(Folder);
  if (!Folder.Stamp.Valid || !Folder.Stamp.Settled) return FileExists(Folder.Path + Name);
  auto it = Folder.Answers.find(Name);
  if (it != Folder.Answers.end()) return it->second;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(fs::path(HostPathUtf8(Folder.Path + Name)), ec);
  if (st.type() == fs::file_type::not_found) {
    Folder.Answers.emplace(Name, false);
    return false;
  }
  if (!ec && st.type() == fs::file_type::regular) {
    Folder.Answers.emplace(Name, true);
    return true;
  }
  return FileExists(Folder.Path + Name);
}

void TQuarnResManager::SetOnGetImage(const TQnGetImageEvent& Value) {
  FOnGetImage = Value;
  // Answers of the old hook must not outlive it.
  ImagesFreed();
}

String TQuarnResManager::UniqueID(const TQnResID& ResID) const {
  TQuarnBitmapCollection* b = RequireBitmaps();
  String id = ResID;
  while (b->IndexOf(id) >= 0) id += u"_1";
  return id;
}

Integer TQuarnResManager::AddRes(const String& AImageFileName, const TQnResID& ResID, const String& Description) {
  TQuarnBitmapCollection* b = RequireBitmaps();
  TQuarnImage img;
  LoadQuarnImageFromFile(&img, AImageFileName);
  String id = Trim(ResID).empty() ? ChangeFileExt(ExtractFileName(AImageFileName), u"") : ResID;
  id = UniqueID(id);
  TQuarnBitmapItem* item = b->Add();
  item->SetResID(id);
  item->SetDescription(Description);
  item->SetBitmap(&img);
  return item->Index();
}

Integer TQuarnResManager::ReplaceRes(const TQnResID& DestResID, const String& AImageFileName,
                                     const TQnResID& NewResID, const String& NewDescription) {
  TQuarnBitmapCollection* b = RequireBitmaps();
  const Integer index = b->IndexOf(DestResID);
  if (index < 0) return -1;
  if (!NewResID.empty()) {
    const Integer other = b->IndexOf(NewResID);
    if (other >= 0 && other != index) throw Exception(u"Image id already exists: " + NewResID);
  }
  TQuarnImage img;
  LoadQuarnImageFromFile(&img, AImageFileName);
  TQuarnBitmapItem* item = b->GetItem(index);
  item->SetBitmap(&img);
  if (!NewResID.empty()) item->SetResID(NewResID);
  if (!NewDescription.empty()) item->SetDescription(NewDescription);
  ImagesFreed();
  return index;
}

void TQuarnResManager::Delete(const TQnResID& ResID) {
  TQuarnBitmapCollection* b = RequireBitmaps();
  const Integer index = b->IndexOf(ResID);
  if (index < 0) return;
  b->Delete(index);
  ImagesFreed();
}

void TQuarnResManager::BeginUpdate() { RequireBitmaps()->BeginUpdate(); }

void TQuarnResManager::EndUpdate() { RequireBitmaps()->EndUpdate(); }

void TQuarnResManager::Refresh(const String& FileName) {
  RequireBitmaps();
  if (!FileExists(FileName)) throw Exception(u"Not found QuarnDesignTimeRes.tmp file!");
  TBytes bytes = ReadAllBytes(FileName);
  if (!LoadedIntact(bytes)) {
    FLoaded.reset();
    LoadImageListText(QuarnResDM->QuarnImageListMain(),
                      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    RememberLoaded(std::move(bytes));
  }
  ImagesFreed();
}

void TQuarnResManager::Reload() {
  // The new module is complete before the old one goes, so a failure keeps
  // the skin that was there.
  TQuarnResDM* fresh = TQuarnResDM::CreateDefault(nullptr);
  TQuarnResDM* old = QuarnResDM;
  QuarnResDM = nullptr;
  delete old;
  QuarnResDM = fresh;
  ImagesFreed();
}

Integer TQuarnResManager::LoadSkinFolder(const String& Folder) {
  TQuarnBitmapCollection* b = RequireBitmaps();
  const String dir = IncludeTrailingPathDelimiter(Folder);
  Integer taken = 0;
  std::vector<String> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(HostPathUtf8(dir), ec)) {
    if (!e.is_regular_file(ec)) continue;
    const String name = FromUtf8(e.path().filename().string());
    if (SameText(ExtractFileExt(name), u".png")) names.push_back(name);
  }
  // Directory order is the file system's; sorted, a folder loads the same
  // way everywhere.
  std::sort(names.begin(), names.end());
  b->BeginUpdate();
  try {
    for (const String& name : names) {
      TQuarnImage img;
      try {
        LoadQuarnImageFromFile(&img, dir + name);
      } catch (const Exception&) {
        continue;  // a damaged picture leaves that id as it was
      }
      const String id = ChangeFileExt(name, u"");
      TQuarnBitmapItem* item = b->Find(id);
      if (!item) {
        item = b->Add();
        item->SetResID(id);
      }
      item->SetBitmap(&img);
      ++taken;
    }
  } catch (...) {
    b->EndUpdate();
    ImagesFreed();
    throw;
  }
  b->EndUpdate();
  ImagesFreed();
  return taken;
}

TQuarnResManager* TQuarnResManagerObj() {
  if (!GResManager) GResManager = new TQuarnResManager();
  return GResManager;
}

void InitQuarnResManager() {
  RegisterClasses({TQuarnImageList::StaticClass(), TQuarnResDM::StaticClass(), TQuarnBitmapItem::StaticClass(),
                   TQuarnImage::StaticClass()});
  if (!QuarnResDM) QuarnResDM = TQuarnResDM::CreateDefault(nullptr);
}

void DoneQuarnResManager() {
  delete GResManager;
  GResManager = nullptr;
  delete QuarnResDM;
  QuarnResDM = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnBitmapItem)
QN_PUBLISHED_IMPL(qn::TQuarnImageList)
QN_PUBLISHED_IMPL(qn::TQuarnResDM)
