// uQnItemsInEdit: the small decorations inside the library-drawn edit's
// frame (images, clickable image buttons and short texts anchored to the
// left or right edge), kept in a collection the edit publishes and stores
// in form files.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Collection.h"
#include "platform/vcl/Cursors.h"
#include "skin/controls/uQnLocateObj.h"

namespace qn {

class TQuarnPngEdit;

enum class TItemKind { ikButton, ikImage, ikText };
QN_ENUM_NAMES(TItemKind, ikButton, ikImage, ikText)
using enum TItemKind;

class TQnEditItem : public TCollectionItem {
  QN_CLASS_CREATE(TQnEditItem, TCollectionItem, TCollection)
 public:
  explicit TQnEditItem(TCollection* Collection);
  ~TQnEditItem() override;

  // Copies the look and place; Enabled and the events stay.
  void Assign(TPersistent* Source) override;
  // Fires OnClick; the edit checks Visible, Enabled and Kind first.
  virtual void Click();
  // The item's rectangle in the edit's coordinates; an image item whose
  // image is missing is (Left, Top, 0, 0) and never hit.
  TRect GetRect();

  TItemKind Kind() const { return FKind; }
  void SetKind(TItemKind Value);
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  TQnResID ImageHot() const { return FImageHot; }
  void SetImageHot(const TQnResID& Value);
  TQnResID ImagePress() const { return FImagePress; }
  void SetImagePress(const TQnResID& Value);
  const String& Text() const { return FText; }
  // Only a text item repaints; others store the text silently.
  void SetText(const String& Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TQnLocateObj* Pos() const { return FPos.get(); }
  void SetPos(TQnLocateObj* Value) { FPos->Assign(Value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // The next four only store.
  bool MakeSpace() const { return FMakeSpace; }
  void SetMakeSpace(bool Value) { FMakeSpace = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TCursor Curosor() const { return FCurosor; }
  void SetCurosor(TCursor Value) { FCurosor = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

  QN_PUBLISHED_DECL(TQnEditItem) {
    QN_PROP(Kind).Default(ikButton);
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(ImageHot).TypeName(u"TQnResID");
    QN_PROP(ImagePress).TypeName(u"TQnResID");
    QN_PROP(Text);
    QN_PROP(Font);
    QN_PROP(Pos);
    QN_PROP(Visible).Default(true);
    QN_PROP(MakeSpace).Default(true);
    QN_PROP(Enabled).Default(true);
    QN_PROP(Tag).Default(0);
    QN_PROP(Curosor).TypeName(u"TCursor").Default(crDefault);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }

 protected:
  // The change path: the collection hears of it, then OnChanged.
  virtual void DoChanged();
  void PosChanged(TObject* Sender) { DoChanged(); }
  // The edit the item lives in, or nil.
  TQuarnPngEdit* Edit() const;

  TItemKind FKind = ikButton;
  TQnResID FImage, FImageHot, FImagePress;
  String FText;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TQnLocateObj> FPos;
  bool FVisible = true;
  bool FMakeSpace = true;
  bool FEnabled = true;
  Integer FTag = 0;
  TCursor FCurosor = crDefault;
  TNotifyEvent FOnChanged;
  TNotifyEvent FOnClick;
  TCollection* FOwner = nullptr;
};

class TQnEditItems : public TCollection {
  QN_CLASS(TQnEditItems, TCollection)
 public:
  // The item class is the edit's; without an edit plain TQnEditItem.
  explicit TQnEditItems(TQuarnPngEdit* Edit);

  TQnEditItem* Add() { return static_cast<TQnEditItem*>(TCollection::Add()); }
  TQnEditItem* Insert(Integer Index) { return AddItem(nullptr, Index); }
  // Item (or, when nil, one the edit makes) moved into this collection at
  // Index (the end when Index < 0).
  TQnEditItem* AddItem(TQnEditItem* Item, Integer Index);
  TQnEditItem* Items(Integer Index) const { return static_cast<TQnEditItem*>(GetItem(Index)); }
  void SetItems(Integer Index, TQnEditItem* Value) { SetItem(Index, Value); }
  Integer HotIndex() const { return FHotIndex; }
  // Only stores: the edit repaints.
  void SetHotIndex(Integer Value) { FHotIndex = Value; }
  TQuarnPngEdit* EditOwner() const { return FEdit; }
  TPersistent* GetOwner() override;

 protected:
  void Update(TCollectionItem* Item) override;
  void Deleting(TCollectionItem* Item) override;
  // Items freed or moved out on their own are extracted, not deleted; the
  // edit forgets them either way.
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

  TQuarnPngEdit* FEdit = nullptr;
  Integer FHotIndex = -1;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
