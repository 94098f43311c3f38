// uQuarnResManager: the skin image store. Every skinned control names its
// pictures by id; the store answers an id with a borrowed TQuarnImage found
// in a file, in the default-skin data module's image list, beside the
// executable, or through the application's hook.
//
// The data module's list starts with a skin drawn by code at load (see
// BuildDefaultSkin), so the library looks finished without any picture file.
//
// Images handed out are borrowed. Edits that free or replace images (Delete,
// ReplaceRes, Reload, Refresh, LoadSkinFolder) move Generation(); a holder
// that keeps an image across calls remembers the generation it looked the
// id up in and looks it up again once the number has moved.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/FolderStamp.h"

namespace qn {

// An image id: the name a skinned control asks the store for.
using TQnResID = String;

// One skin image. Skin images carry alpha, so they draw blended.
class TQuarnImage : public TBitmap32 {
  QN_CLASS(TQuarnImage, TBitmap32)
 public:
  TQuarnImage() { SetDrawMode(TDrawMode::dmBlend); }
};

// The rows the design-time image tree shows.
struct TQuarnImageNodeRec {
  String ID;
  String DPIScale;
  TQuarnImage* Image = nullptr;
  String Description;
};

class TQuarnBitmapItem : public TCollectionItem {
  QN_CLASS_CREATE(TQuarnBitmapItem, TCollectionItem, TCollection)
 public:
  explicit TQuarnBitmapItem(TCollection* Collection);
  ~TQuarnBitmapItem() override;
  void Assign(TPersistent* Source) override;

  TQnResID ResID() const { return FResID; }
  void SetResID(const TQnResID& Value);
  // The item owns its picture; setting copies.
  TQuarnImage* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TQuarnImage* Value);
  String Description() const { return FDescription; }
  void SetDescription(const String& Value);

  QN_PUBLISHED_DECL(TQuarnBitmapItem) {
    QN_PROP(ResID).TypeName(u"TQnResID");
    QN_PROP(Bitmap);
    QN_PROP(Description);
  }

 protected:
  String GetDisplayName() override;

 private:
  TQnResID FResID;
  std::unique_ptr<TQuarnImage> FBitmap;
  String FDescription;
};

class TQuarnBitmapCollection : public TOwnedCollection {
  QN_CLASS(TQuarnBitmapCollection, TOwnedCollection)
 public:
  explicit TQuarnBitmapCollection(TPersistent* AOwner);

  TQuarnBitmapItem* GetItem(Integer Index) const;
  TQuarnBitmapItem* Items(Integer Index) const { return GetItem(Index); }
  TQuarnBitmapItem* Add() { return static_cast<TQuarnBitmapItem*>(TCollection::Add()); }
  // ASCII case-insensitive, through an index rebuilt after changes; the
  // first item wins when two share an id. -1 when there is none.
  Integer IndexOf(const TQnResID& ResID) const;
  TQuarnBitmapItem* Find(const TQnResID& ResID) const;

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TQuarnBitmapItem;
  void Invalidate() { FIndexValid = false; }
  mutable std::unordered_map<String, Integer> FIndex;
  mutable bool FIndexValid = false;
};

// The image-list component whose text form holds the pictures (each through
// the bitmap's binary "Data" property).
class TQuarnImageList : public TComponent {
  QN_CLASS_CREATE(TQuarnImageList, TComponent, TComponent)
 public:
  explicit TQuarnImageList(TComponent* AOwner);
  ~TQuarnImageList() override;

  TQuarnBitmapCollection* Bitmaps() const { return FBitmaps.get(); }
  void SetBitmaps(TQuarnBitmapCollection* Value);

  QN_PUBLISHED_DECL(TQuarnImageList) { QN_PROP(Bitmaps); }

 private:
  std::unique_ptr<TQuarnBitmapCollection> FBitmaps;
};

// The default-skin data module.
class TQuarnResDM : public TDataModule {
  QN_CLASS_CREATE(TQuarnResDM, TDataModule, TComponent)
 public:
  // With an empty list; CreateDefault fills it with the drawn skin.
  explicit TQuarnResDM(TComponent* AOwner);
  static TQuarnResDM* CreateDefault(TComponent* AOwner);

  TQuarnImageList* QuarnImageListMain() const { return FQuarnImageListMain; }
  void SetQuarnImageListMain(TQuarnImageList* Value) { FQuarnImageListMain = Value; }

  QN_PUBLISHED_DECL(TQuarnResDM) { QN_PROP(QuarnImageListMain); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TQuarnImageList* FQuarnImageListMain = nullptr;  // owned as a component
};

// The process-wide default-skin module; nil when not created.
extern TQuarnResDM* QuarnResDM;

// The hook of the last look-up step. Image is empty and belongs to the store;
// fill it and set Handled to answer the id.
using TQnGetImageEvent = TEvent<void(TObject* Sender, const TQnResID& ResID, TQuarnImage* Image, bool& Handled)>;

class TQuarnResManager : public TObject {
  QN_CLASS(TQuarnResManager, TObject)
 public:
  TQuarnResManager();
  ~TQuarnResManager() override;

  // Nil for a blank id or when nothing matches; the image is borrowed.
  TQuarnImage* GetImageByName(const TQnResID& ResID);

  // Edits of the data module's list; each raises "QuarnResDM is not
  // assigned" without a module. Files may be PNG, BMP or JPEG.
  Integer AddRes(const String& AImageFileName, const TQnResID& ResID, const String& Description);
  Integer ReplaceRes(const TQnResID& DestResID, const String& AImageFileName, const TQnResID& NewResID,
                     const String& NewDescription);
  void Delete(const TQnResID& ResID);
  void BeginUpdate();
  void EndUpdate();
  // Reloads the list from the image list's text form. The same bytes as
  // the last load, into a list nothing has touched since, leave the list
  // as it is: loading them again could only make it what it already is.
  void Refresh(const String& FileName);
  // A new default-skin module in place of the current one.
  void Reload();
  // Every "<id>.png" of Folder replaces or joins the image of that id.
  // Answers how many pictures were taken.
  Integer LoadSkinFolder(const String& Folder);

  bool Designing() const { return FDesigning; }
  void SetDesigning(bool Value) { FDesigning = Value; }
  const TQnGetImageEvent& OnGetImage() const { return FOnGetImage; }
  void SetOnGetImage(const TQnGetImageEvent& Value);
  // Moves whenever images handed out before may have been freed or changed.
  Cardinal Generation() const { return FGeneration; }
  // Whether Image was handed out by GetImageByName since the generation
  // last moved: its pixels then stay as they are until it moves again, so
  // pictures made from it may be kept.
  bool HandedOut(const TBitmap32* Image) const { return FHandedOut.count(Image) != 0; }
  // An image is changed in place or freed outside the store's own edits (an
  // item of the module's list assigned or deleted directly): when the store
  // had handed it out, the generation moves.
  void ImageChanged(const TBitmap32* Image);

  // Look-ups made while one lives (nested ones count once) ask the file
  // system whether a folder changed once instead of once per look-up: a
  // control's paint asks for several pictures and sees the folders as they
  // stood when its paint began. Outside one every look-up asks anew.
  class TLookupBatch {
   public:
    explicit TLookupBatch(TQuarnResManager* Store);
    ~TLookupBatch();
    TLookupBatch(const TLookupBatch&) = delete;
    TLookupBatch& operator=(const TLookupBatch&) = delete;

   private:
    TQuarnResManager* FStore;
  };

 private:
  // What FileExists answered for names right inside one folder, kept while
  // the folder is the same one with the same change time: an entry that
  // appears, goes or is renamed there changes that time.
  struct TFolderProbe {
    String Path;  // the folder as looked at ("" for the working folder)
    TFolderStamp Stamp;  // Settled: the answers below are trusted
    Cardinal CheckedIn = 0;  // the batch that last checked the stamp
    std::unordered_map<String, bool> Answers;
  };
  bool FolderFileExists(TFolderProbe& Folder, const String& Name);
  void CheckFolder(TFolderProbe& Folder);

  TQuarnBitmapCollection* Bitmaps() const;
  TQuarnBitmapCollection* RequireBitmaps() const;
  TQuarnImage* FindImage(const TQnResID& ResID);
  TQuarnImage* Cached(const String& Key, const std::function<bool(TQuarnImage*)>& Load);
  void ImagesFreed();
  String UniqueID(const TQnResID& ResID) const;
  // What the last Refresh loaded, kept to tell whether it still stands.
  struct TLoadedList;
  void RememberLoaded(TBytes Bytes);
  bool LoadedIntact(const TBytes& Bytes) const;
  std::unique_ptr<TLoadedList> FLoaded;

  bool FDesigning = false;
  TQnGetImageEvent FOnGetImage;
  Cardinal FGeneration = 1;
  std::unordered_map<String, std::unique_ptr<TQuarnImage>> FCache;
  std::unordered_set<const TBitmap32*> FHandedOut;
  TFolderProbe FWorkingFolder;
  TFolderProbe FExeFolder;
  Integer FBatchDepth = 0;
  Cardinal FBatch = 0;
};

// The process-wide store, made on first use.
TQuarnResManager* TQuarnResManagerObj();

// Reads a PNG, BMP or JPEG file (told apart by its first bytes) into
// Image; raises for anything else and leaves Image as it was.
void LoadQuarnImageFromFile(TQuarnImage* Image, const String& FileName);
// Replaces List's items by those of an image list's text form. The text is
// read into a list of its own first, so a damaged text raises and List
// keeps what it had.
void LoadImageListText(TQuarnImageList* List, std::string_view Text);

// ---------------------------------------------------------------------------
// The drawn default skin.

struct TQnSkinImageInfo {
  const char16_t* ResID;
  Integer Width, Height;
  Integer Frames;
  bool Stacked;       // frames one above the other
  bool OpaqueCentre;  // every frame's centre is solid paint
};

// Every image of the default skin with its geometry, in drawing order.
const std::vector<TQnSkinImageInfo>& QnDefaultSkinImages();
// Adds the default skin's images to Bitmaps (drawn anew on every call).
void BuildDefaultSkin(TQuarnBitmapCollection* Bitmaps);

void InitQuarnResManager();
void DoneQuarnResManager();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
