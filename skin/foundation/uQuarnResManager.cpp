#include "skin/foundation/uQuarnResManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

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
String FoldID(const String& ResID) {
  String s = ResID;
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - (u'a' - u'A'));
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
  auto it = FIndex.find(FoldID(ResID));
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

void LoadImageListText(TQuarnImageList* List, const std::string& Text) {
  // Parsed into a list of its own first: a damaged text raises here and the
  // real list keeps every picture it had.
  TQuarnImageList aside(nullptr);
  TextToComponent(Text, &aside);
  // A picture without area is no picture: a 0 x n size read from the data
  // would not survive being written again.
  for (Integer i = 0; i < aside.Bitmaps()->Count(); ++i) {
    TQuarnImage* b = aside.Bitmaps()->GetItem(i)->Bitmap();
    if (b->Empty()) b->SetSize(0, 0);
  }
  List->Bitmaps()->Assign(aside.Bitmaps());
}

// ---------------------------------------------------------------------------
// TQuarnResManager

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
  if (Trim(ResID).empty()) return nullptr;

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
  const TBytes bytes = ReadAllBytes(FileName);
  LoadImageListText(QuarnResDM->QuarnImageListMain(), std::string(bytes.begin(), bytes.end()));
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
