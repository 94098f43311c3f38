// The ComCtrls unit of the host layer: the tab control and the page
// control with its tab sheets, over the common "SysTabControl32" class, and
// the list view over "SysListView32".
//
// Everything a tab control asks of its window goes through Perform, so a
// replaced WindowProc sees (and may rewrite) every TCM_* message: the
// rectangles of TabRect, the hit test of IndexOfTabAt and the display
// rectangle TCM_ADJUSTRECT gives, which bounds the sheets.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/comctl/ListView.h"
#include "platform/comctl/TabControl.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

namespace vcl {

enum class TTabPosition : Byte { tpTop, tpBottom, tpLeft, tpRight };
QN_ENUM_NAMES(TTabPosition, tpTop, tpBottom, tpLeft, tpRight)
using enum TTabPosition;

enum class TTabStyle : Byte { tsTabs, tsButtons, tsFlatButtons };
QN_ENUM_NAMES(TTabStyle, tsTabs, tsButtons, tsFlatButtons)
using enum TTabStyle;

class TCustomTabControl;
class TPageControl;
class TTabSheet;

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;
using TDrawTabEvent = TEvent<void(TCustomTabControl* Control, Integer TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = TEvent<void(TObject* Sender, Integer TabIndex, Integer& ImageIndex)>;

// A tab control's Tabs: TCM_* messages through the control's window
// procedure, a string list of the control's while it has no window. The
// objects ride in the items' data.
class TTabStrings : public TStrings {
 public:
  explicit TTabStrings(TCustomTabControl* ATabControl) : TabControl(ATabControl) {}
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  String Get(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  TObject* GetObject(Integer Index) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCount() override;

 private:
  TCustomTabControl* TabControl;
};

class TCustomTabControl : public TWinControl {
  QN_CLASS(TCustomTabControl, TWinControl)
 public:
  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  TStrings* Tabs() const { return FTabs.get(); }
  void SetTabs(TStrings* Value) { FTabs->Assign(Value); }
  // The selected tab (TCM_GETCURSEL / TCM_SETCURSEL); -1 for none.
  Integer TabIndex();
  void SetTabIndex(Integer Value);
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value);
  // Tabs on the left or right are always multi-line.
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  // 0: computed from the font; the width applies to fixed-width tabs,
  // which a positive width asks for.
  SmallInt TabHeight() const { return FTabHeight; }
  void SetTabHeight(SmallInt Value);
  SmallInt TabWidth() const { return FTabWidth; }
  void SetTabWidth(SmallInt Value);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  bool RaggedRight() const { return FRaggedRight; }
  void SetRaggedRight(bool Value);
  bool ScrollOpposite() const { return FScrollOpposite; }
  void SetScrollOpposite(bool Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // Valid while a tab is drawn (OnDrawTab).
  TCanvas* Canvas() const { return FCanvas.get(); }

  // The tab under a client point (TCM_HITTEST), -1 for none.
  Integer IndexOfTabAt(Integer X, Integer Y);
  // TCM_GETITEMRECT; an empty rectangle for an index outside the tabs.
  TRect TabRect(Integer Index);
  // The client rectangle less the tabs and the frame (TCM_ADJUSTRECT).
  TRect DisplayRect();
  Integer RowCount();

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TTabChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TTabChangingEvent& Value) { FOnChanging = Value; }
  const TDrawTabEvent& OnDrawTab() const { return FOnDrawTab; }
  void SetOnDrawTab(const TDrawTabEvent& Value) { FOnDrawTab = Value; }
  const TTabGetImageEvent& OnGetImageIndex() const { return FOnGetImageIndex; }
  void SetOnGetImageIndex(const TTabGetImageEvent& Value) { FOnGetImageIndex = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TTabStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void AdjustClientRect(TRect& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Asked before the user changes the tab (TCN_SELCHANGING): OnChanging.
  virtual bool CanChange();
  // After the user changed it (TCN_SELCHANGE): OnChange.
  virtual void Change();
  virtual void DrawTab(Integer TabIndex, const TRect& Rect, bool Active);
  // The image of a tab: OnGetImageIndex, starting from the tab's index.
  virtual Integer GetImageIndex(Integer TabIndex);
  // Sends every tab its image index again.
  void UpdateTabImages();
  // TCM_SETITEMSIZE from TabWidth and TabHeight.
  void SetTabSize();
  LRESULT TC(UINT Msg, WPARAM WParam, LPARAM LParam) { return Perform(Msg, WParam, LParam); }

 private:
  void ImageListChange(TObject* Sender);
  std::unique_ptr<TTabStrings> FTabs;
  std::unique_ptr<TStringList> FSaveTabs;  // the tabs while there is no window
  Integer FSaveTabIndex = -1;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TCustomImageList* FImages = nullptr;
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  SmallInt FTabHeight = 0, FTabWidth = 0;
  bool FMultiLine = false, FHotTrack = false, FOwnerDraw = false, FRaggedRight = false, FScrollOpposite = false;
  TNotifyEvent FOnChange;
  TTabChangingEvent FOnChanging;
  TDrawTabEvent FOnDrawTab;
  TTabGetImageEvent FOnGetImageIndex;
};

#define QN_TAB_CONTROL_PROPS(C)                                                                              \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                              \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});       \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                          \
  P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);                                                 \
  P.Property(u"HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack).Default(false);     \
  P.Property(u"Images", &TCustomTabControl::Images, &TCustomTabControl::SetImages);                         \
  P.Property(u"MultiLine", &TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine).Default(false);  \
  P.Property(u"OwnerDraw", &TCustomTabControl::OwnerDraw, &TCustomTabControl::SetOwnerDraw).Default(false);  \
  P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);                 \
  P.Property(u"RaggedRight", &TCustomTabControl::RaggedRight, &TCustomTabControl::SetRaggedRight)           \
      .Default(false);                                                                                       \
  P.Property(u"ScrollOpposite", &TCustomTabControl::ScrollOpposite, &TCustomTabControl::SetScrollOpposite)  \
      .Default(false);                                                                                       \
  P.Property(u"Style", &TCustomTabControl::Style, &TCustomTabControl::SetStyle).Default(tsTabs);            \
  P.Property(u"TabHeight", &TCustomTabControl::TabHeight, &TCustomTabControl::SetTabHeight).Default(0);     \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);                   \
  P.Property(u"TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition)           \
      .Default(tpTop);                                                                                       \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);                    \
  P.Property(u"TabWidth", &TCustomTabControl::TabWidth, &TCustomTabControl::SetTabWidth).Default(0);        \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                          \
  P.Property(u"OnChange", &TCustomTabControl::OnChange, &TCustomTabControl::SetOnChange);                   \
  P.Property(u"OnChanging", &TCustomTabControl::OnChanging, &TCustomTabControl::SetOnChanging);             \
  P.Property(u"OnDrawTab", &TCustomTabControl::OnDrawTab, &TCustomTabControl::SetOnDrawTab);                \
  P.Property(u"OnGetImageIndex", &TCustomTabControl::OnGetImageIndex, &TCustomTabControl::SetOnGetImageIndex);

class TTabControl : public TCustomTabControl {
  QN_CLASS_CREATE(TTabControl, TCustomTabControl, TComponent)
 public:
  explicit TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

  QN_PUBLISHED_DECL(TTabControl) {
    QN_TAB_CONTROL_PROPS(TTabControl)
    P.Property(u"Tabs", &TCustomTabControl::Tabs, &TCustomTabControl::SetTabs);
    P.Property(u"TabIndex", &TCustomTabControl::TabIndex, &TCustomTabControl::SetTabIndex).Default(-1);
  }
};

// ---------------------------------------------------------------------------
// Page control

class TTabSheet : public TWinControl {
  QN_CLASS_CREATE(TTabSheet, TWinControl, TComponent)
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* APageControl);
  // The sheet's place among the pages.
  Integer PageIndex() const;
  void SetPageIndex(Integer Value);
  // Whether the sheet has a tab; a sheet without one can still be active.
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  // The index of the sheet's tab among the visible tabs; -1 without one.
  Integer TabIndex() const;
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  bool Highlighted() const { return FHighlighted; }
  void SetHighlighted(bool Value);

  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TTabSheet) {
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(Highlighted).Default(false);
    QN_PROP(ImageIndex).Default(0);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    QN_PROP(TabVisible).Default(true);
    QN_PROP(OnHide);
    QN_PROP(OnShow);
  }

 protected:
  friend class TPageControl;
  // A sheet read from a form file inside a page control joins its pages.
  void ReadState(TReader* Reader) override;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  bool FTabShowing = false;  // it has a tab in the control now
  Integer FImageIndex = 0;
  bool FHighlighted = false;
  TNotifyEvent FOnShow, FOnHide;
};

class TPageControl : public TCustomTabControl {
  QN_CLASS_CREATE(TPageControl, TCustomTabControl, TComponent)
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  Integer PageCount() const { return Integer(FPages.size()); }
  TTabSheet* Pages(Integer Index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer Value);
  // The page after (or before) CurPage, round the end; with CheckTabVisible
  // only pages that have a tab. nullptr when there is none.
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  // Moves to the next page as the user would: CanChange decides, Change
  // follows.
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TPageControl) {
    QN_TAB_CONTROL_PROPS(TPageControl)
    P.Property(u"ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  }

 protected:
  friend class TTabSheet;
  // Sheets are written in page order, not in the order their windows are
  // stacked, so a page control read back has its tabs in the same order.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void CreateWnd() override;
  void Change() override;
  Integer GetImageIndex(Integer TabIndex) override;
  void DrawTab(Integer TabIndex, const TRect& Rect, bool Active) override;
  // Every sheet has the room of the pages, the hidden ones too, so that
  // the controls anchored on them are laid out before they are shown.
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void MovePage(TTabSheet* Page, Integer NewIndex);
  // Gives the sheet its tab, takes it away, or renames it.
  void UpdateTab(TTabSheet* Page);
  void ChangeActivePage(TTabSheet* Page);
  // The sheet whose tab is the visible tab TabIndex.
  TTabSheet* PageForTab(Integer TabIndex) const;

 private:
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};


// ---------------------------------------------------------------------------
// List view
//
// Items live in TListItems as objects; the window holds a copy of what it
// shows (texts, images, states) with the item object in each item's lParam.
// While there is no window the objects keep their selection, focus and
// check state, so items and columns survive RecreateWnd.

enum class TViewStyle : Byte { vsIcon, vsSmallIcon, vsList, vsReport };
QN_ENUM_NAMES(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport)
using enum TViewStyle;

enum class TSortType : Byte { stNone, stData, stText, stBoth };
QN_ENUM_NAMES(TSortType, stNone, stData, stText, stBoth)
using enum TSortType;

enum class TDisplayCode : Byte { drBounds, drIcon, drLabel, drSelectBounds };
using enum TDisplayCode;

enum class TItemChange : Byte { ctText, ctImage, ctState };
using enum TItemChange;

enum class TIconArrangement : Byte { iaTop, iaLeft };
QN_ENUM_NAMES(TIconArrangement, iaTop, iaLeft)
using enum TIconArrangement;

enum class THotTrackStyle : Byte { htHandPoint, htUnderlineCold, htUnderlineHot };
QN_ENUM_NAMES(THotTrackStyle, htHandPoint, htUnderlineCold, htUnderlineHot)
using enum THotTrackStyle;
using THotTrackStyles = TSet<THotTrackStyle>;
QN_TYPE_NAME(THotTrackStyles)

enum class TCustomDrawStage : Byte { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
using enum TCustomDrawStage;
enum class TCustomDrawStateItem : Byte {
  cdsSelected, cdsGrayed, cdsDisabled, cdsChecked, cdsFocused, cdsDefault, cdsHot, cdsMarked, cdsIndeterminate
};
using enum TCustomDrawStateItem;
using TCustomDrawState = TSet<TCustomDrawStateItem>;

enum class TItemFind : Byte { ifData, ifPartialString, ifExactString, ifNearest };
using enum TItemFind;
enum class TSearchDirection : Byte { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum class TItemStateItem : Byte { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = TSet<TItemStateItem>;

class TCustomListView;
class TListItems;
class TListItem;
using TListItemClass = TClass;

using TLVChangeEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVCheckedItemEvent = TEvent<void(TObject* Sender, TListItem* Item)>;
using TLVDeletedEvent = TEvent<void(TObject* Sender, TListItem* Item)>;
using TLVNotifyEvent = TEvent<void(TObject* Sender, TListItem* Item)>;
using TLVColumnClickEvent = TEvent<void(TObject* Sender, class TListColumn* Column)>;
using TLVColumnRClickEvent = TEvent<void(TObject* Sender, class TListColumn* Column, TPoint Point)>;
using TLVEditingEvent = TEvent<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = TEvent<void(TObject* Sender, TListItem* Item, String& S)>;
using TLVCompareEvent =
    TEvent<void(TObject* Sender, TListItem* Item1, TListItem* Item2, Integer Data, Integer& Compare)>;
using TLVDrawItemEvent = TEvent<void(TCustomListView* Sender, TListItem* Item, TRect Rect, TOwnerDrawState State)>;
using TLVSubItemImageEvent = TEvent<void(TObject* Sender, TListItem* Item, Integer SubItem, Integer& ImageIndex)>;
using TLVCreateItemClassEvent = TEvent<void(TCustomListView* Sender, TListItemClass& ItemClass)>;
using TLVInfoTipEvent = TEvent<void(TObject* Sender, TListItem* Item, String& InfoTip)>;
using TLVOwnerDataEvent = TEvent<void(TObject* Sender, TListItem* Item)>;
using TLVOwnerDataFindEvent =
    TEvent<void(TObject* Sender, TItemFind Find, const String& FindString, const TPoint& FindPosition,
                Pointer FindData, Integer StartIndex, TSearchDirection Direction, bool Wrap, Integer& Index)>;
using TLVOwnerDataHintEvent = TEvent<void(TObject* Sender, Integer StartIndex, Integer EndIndex)>;
using TLVOwnerDataStateChangeEvent =
    TEvent<void(TObject* Sender, Integer StartIndex, Integer EndIndex, TItemStates OldState, TItemStates NewState)>;
using TLVCustomDrawEvent = TEvent<void(TCustomListView* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TLVCustomDrawItemEvent =
    TEvent<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TLVCustomDrawSubItemEvent = TEvent<void(TCustomListView* Sender, TListItem* Item, Integer SubItem,
                                              TCustomDrawState State, bool& DefaultDraw)>;
using TLVAdvancedCustomDrawEvent =
    TEvent<void(TCustomListView* Sender, const TRect& ARect, TCustomDrawStage Stage, bool& DefaultDraw)>;
using TLVAdvancedCustomDrawItemEvent = TEvent<void(TCustomListView* Sender, TListItem* Item, TCustomDrawState State,
                                                   TCustomDrawStage Stage, bool& DefaultDraw)>;
using TLVAdvancedCustomDrawSubItemEvent =
    TEvent<void(TCustomListView* Sender, TListItem* Item, Integer SubItem, TCustomDrawState State,
                TCustomDrawStage Stage, bool& DefaultDraw)>;

class TListColumn : public TCollectionItem {
  QN_CLASS_CREATE(TListColumn, TCollectionItem, TCollection)
 public:
  explicit TListColumn(TCollection* Collection);
  void Assign(TPersistent* Source) override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  // The window's width while there is one: the user may have dragged it.
  Integer Width() const;
  void SetWidth(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  // Widens to fill the view's width left over by the other columns.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // 0: no bound.
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TCustomListView* ListView() const;

  QN_PUBLISHED_DECL(TListColumn) {
    QN_PROP(Alignment).Default(taLeftJustify);
    QN_PROP(AutoSize).Default(false);
    QN_PROP(Caption);
    QN_PROP(ImageIndex).Default(-1);
    QN_PROP(MaxWidth).Default(0);
    QN_PROP(MinWidth).Default(0);
    QN_PROP(Tag).Default(0);
    QN_PROP(Width).Default(50);
  }

 protected:
  String GetDisplayName() override { return FCaption.empty() ? inherited::GetDisplayName() : FCaption; }

 private:
  friend class TCustomListView;
  friend class TListColumns;
  String FCaption;
  Integer FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  Integer FImageIndex = -1;
  bool FAutoSize = false;
  Integer FMinWidth = 0, FMaxWidth = 0, FTag = 0;
};

class TListColumns : public TOwnedCollection {
  QN_CLASS(TListColumns, TOwnedCollection)
 public:
  explicit TListColumns(TCustomListView* AOwner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(Integer Index) const { return static_cast<TListColumn*>(GetItem(Index)); }
  TCustomListView* Owner() const { return FListView; }

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  TCustomListView* FListView;
};

class TListItem : public TPersistent {
  QN_CLASS(TListItem, TPersistent)
 public:
  explicit TListItem(TListItems* AOwner);
  ~TListItem() override;
  void Assign(TPersistent* Source) override;

  TListItems* Owner() const { return FOwner; }
  TCustomListView* ListView() const;
  Integer Index() const;
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TStrings* SubItems() const { return FSubItems.get(); }
  void SetSubItems(TStrings* Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  // 1-based index into the state images; -1 none.
  Integer StateIndex() const { return FStateIndex; }
  void SetStateIndex(Integer Value);
  Integer OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(Integer Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  bool Checked() const;
  void SetChecked(bool Value);
  Pointer Data() const { return FData; }
  void SetData(Pointer Value);
  TRect DisplayRect(TDisplayCode Code) const;
  // Opens the in-place editor on the caption.
  bool EditCaption();
  void CancelEdit();
  void MakeVisible(bool PartialOK);
  void Delete();

 private:
  friend class TListItems;
  friend class TCustomListView;
  friend class TSubItems;
  UINT WindowState() const;
  void SetWindowState(UINT State, UINT Mask, bool Value);
  TListItems* FOwner;
  String FCaption;
  std::unique_ptr<TStringList> FSubItems;
  Integer FImageIndex = 0, FStateIndex = -1, FOverlayIndex = -1;
  Pointer FData = nullptr;
  // Kept while there is no window.
  bool FSelected = false, FFocused = false, FChecked = false;
  bool FDeleting = false;
};

class TListItems : public TPersistent {
  QN_CLASS(TListItems, TPersistent)
 public:
  explicit TListItems(TCustomListView* AOwner) : FOwner(AOwner) {}
  ~TListItems() override;
  void Assign(TPersistent* Source) override;

  TListItem* Add();
  TListItem* Insert(Integer Index);
  TListItem* AddItem(TListItem* Item, Integer Index = -1);
  void Delete(Integer Index);
  void Clear();
  Integer Count() const { return Integer(FItems.size()); }
  TListItem* Item(Integer Index) const;
  TListItem* operator[](Integer Index) const { return Item(Index); }
  Integer IndexOf(const TListItem* Value) const;
  void BeginUpdate();
  void EndUpdate();
  TCustomListView* Owner() const { return FOwner; }

 private:
  friend class TCustomListView;
  friend class TListItem;
  TCustomListView* FOwner;
  std::vector<TListItem*> FItems;
  Integer FUpdateCount = 0;
};

class TIconOptions : public TPersistent {
  QN_CLASS(TIconOptions, TPersistent)
 public:
  explicit TIconOptions(TCustomListView* AOwner) : FListView(AOwner) {}
  void Assign(TPersistent* Source) override;
  TIconArrangement Arrangement() const { return FArrangement; }
  void SetArrangement(TIconArrangement Value);
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool Value);
  bool WrapText() const { return FWrapText; }
  void SetWrapText(bool Value);

  QN_PUBLISHED_DECL(TIconOptions) {
    QN_PROP(Arrangement).Default(iaTop);
    QN_PROP(AutoArrange).Default(false);
    QN_PROP(WrapText).Default(true);
  }

 private:
  TCustomListView* FListView;
  TIconArrangement FArrangement = iaTop;
  bool FAutoArrange = false, FWrapText = true;
};

class TCustomListView : public TWinControl {
  QN_CLASS(TCustomListView, TWinControl)
 public:
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListItems* Items() const { return FListItems.get(); }
  void SetItems(TListItems* Value) { FListItems->Assign(Value); }
  TListColumns* Columns() const { return FListColumns.get(); }
  void SetColumns(TListColumns* Value) { FListColumns->Assign(Value); }
  TListColumn* Column(Integer Index) const { return FListColumns->Items(Index); }
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  TCustomImageList* SmallImages() const { return FSmallImages; }
  void SetSmallImages(TCustomImageList* Value) { SetImageList(FSmallImages, Value, LVSIL_SMALL); }
  TCustomImageList* LargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value) { SetImageList(FLargeImages, Value, LVSIL_NORMAL); }
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* Value) { SetImageList(FStateImages, Value, LVSIL_STATE); }
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool Value);
  bool FullDrag() const { return FFullDrag; }
  void SetFullDrag(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool Checkboxes() const { return FCheckboxes; }
  void SetCheckboxes(bool Value);
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value);
  THotTrackStyles HotTrackStyles() const { return FHotTrackStyles; }
  void SetHotTrackStyles(THotTrackStyles Value) { FHotTrackStyles = Value; }
  Cardinal HoverTime() const { return FHoverTime; }
  void SetHoverTime(Cardinal Value) { FHoverTime = Value; }
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  TSortType SortType() const { return FSortType; }
  void SetSortType(TSortType Value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  bool OwnerData() const { return FOwnerData; }
  void SetOwnerData(bool Value) { FOwnerData = Value; }
  bool ShowWorkAreas() const { return FShowWorkAreas; }
  void SetShowWorkAreas(bool Value) { FShowWorkAreas = Value; }
  bool FlatScrollBars() const { return FFlatScrollBars; }
  void SetFlatScrollBars(bool Value) { FFlatScrollBars = Value; }
  TIconOptions* IconOptions() const { return FIconOptions.get(); }
  void SetIconOptions(TIconOptions* Value) { FIconOptions->Assign(Value); }
  // A capacity hint; the window grows as it needs.
  Integer AllocBy() const { return FAllocBy; }
  void SetAllocBy(Integer Value) { FAllocBy = std::max(0, Value); }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // Sorts by OnCompare, or by caption without one.
  bool AlphaSort();
  // Sorts by SortProc (nullptr: as AlphaSort) with lParam the items.
  bool CustomSort(PFNLVCOMPARE SortProc, LPARAM lParam);
  void Scroll(Integer DX, Integer DY);
  TListItem* TopItem();
  Integer VisibleRowCount();
  TListItem* GetItemAt(Integer X, Integer Y);
  TListItem* Selected();
  void SetSelected(TListItem* Value);
  TListItem* ItemFocused();
  void SetItemFocused(TListItem* Value);
  Integer SelCount();
  bool IsEditing();
  TListItem* FindCaption(Integer StartIndex, const String& Value, bool Partial, bool Inclusive, bool Wrap);
  TListItem* FindData(Integer StartIndex, Pointer Value, bool Inclusive, bool Wrap);
  void ClearSelection();
  void SelectAll();
  // Valid while OnDrawItem runs.
  TCanvas* Canvas() const { return FCanvas.get(); }

  // Events.
  const TLVChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TLVChangeEvent& V) { FOnChange = V; }
  const TLVChangingEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TLVChangingEvent& V) { FOnChanging = V; }
  const TLVSelectItemEvent& OnSelectItem() const { return FOnSelectItem; }
  void SetOnSelectItem(const TLVSelectItemEvent& V) { FOnSelectItem = V; }
  const TLVCheckedItemEvent& OnItemChecked() const { return FOnItemChecked; }
  void SetOnItemChecked(const TLVCheckedItemEvent& V) { FOnItemChecked = V; }
  const TLVColumnClickEvent& OnColumnClick() const { return FOnColumnClick; }
  void SetOnColumnClick(const TLVColumnClickEvent& V) { FOnColumnClick = V; }
  const TLVColumnRClickEvent& OnColumnRightClick() const { return FOnColumnRightClick; }
  void SetOnColumnRightClick(const TLVColumnRClickEvent& V) { FOnColumnRightClick = V; }
  const TNotifyEvent& OnColumnDragged() const { return FOnColumnDragged; }
  void SetOnColumnDragged(const TNotifyEvent& V) { FOnColumnDragged = V; }
  const TLVDeletedEvent& OnInsert() const { return FOnInsert; }
  void SetOnInsert(const TLVDeletedEvent& V) { FOnInsert = V; }
  const TLVDeletedEvent& OnDeletion() const { return FOnDeletion; }
  void SetOnDeletion(const TLVDeletedEvent& V) { FOnDeletion = V; }
  const TLVEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TLVEditingEvent& V) { FOnEditing = V; }
  const TLVEditedEvent& OnEdited() const { return FOnEdited; }
  void SetOnEdited(const TLVEditedEvent& V) { FOnEdited = V; }
  const TLVCompareEvent& OnCompare() const { return FOnCompare; }
  void SetOnCompare(const TLVCompareEvent& V) { FOnCompare = V; }
  const TLVDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TLVDrawItemEvent& V) { FOnDrawItem = V; }
  const TLVNotifyEvent& OnGetImageIndex() const { return FOnGetImageIndex; }
  void SetOnGetImageIndex(const TLVNotifyEvent& V) { FOnGetImageIndex = V; }
  const TLVSubItemImageEvent& OnGetSubItemImage() const { return FOnGetSubItemImage; }
  void SetOnGetSubItemImage(const TLVSubItemImageEvent& V) { FOnGetSubItemImage = V; }
  const TLVCreateItemClassEvent& OnCreateItemClass() const { return FOnCreateItemClass; }
  void SetOnCreateItemClass(const TLVCreateItemClassEvent& V) { FOnCreateItemClass = V; }
  const TLVInfoTipEvent& OnInfoTip() const { return FOnInfoTip; }
  void SetOnInfoTip(const TLVInfoTipEvent& V) { FOnInfoTip = V; }
  const TLVOwnerDataEvent& OnData() const { return FOnData; }
  void SetOnData(const TLVOwnerDataEvent& V) { FOnData = V; }
  const TLVOwnerDataFindEvent& OnDataFind() const { return FOnDataFind; }
  void SetOnDataFind(const TLVOwnerDataFindEvent& V) { FOnDataFind = V; }
  const TLVOwnerDataHintEvent& OnDataHint() const { return FOnDataHint; }
  void SetOnDataHint(const TLVOwnerDataHintEvent& V) { FOnDataHint = V; }
  const TLVOwnerDataStateChangeEvent& OnDataStateChange() const { return FOnDataStateChange; }
  void SetOnDataStateChange(const TLVOwnerDataStateChangeEvent& V) { FOnDataStateChange = V; }
  const TLVCustomDrawEvent& OnCustomDraw() const { return FOnCustomDraw; }
  void SetOnCustomDraw(const TLVCustomDrawEvent& V) { FOnCustomDraw = V; }
  const TLVCustomDrawItemEvent& OnCustomDrawItem() const { return FOnCustomDrawItem; }
  void SetOnCustomDrawItem(const TLVCustomDrawItemEvent& V) { FOnCustomDrawItem = V; }
  const TLVCustomDrawSubItemEvent& OnCustomDrawSubItem() const { return FOnCustomDrawSubItem; }
  void SetOnCustomDrawSubItem(const TLVCustomDrawSubItemEvent& V) { FOnCustomDrawSubItem = V; }
  const TLVAdvancedCustomDrawEvent& OnAdvancedCustomDraw() const { return FOnAdvancedCustomDraw; }
  void SetOnAdvancedCustomDraw(const TLVAdvancedCustomDrawEvent& V) { FOnAdvancedCustomDraw = V; }
  const TLVAdvancedCustomDrawItemEvent& OnAdvancedCustomDrawItem() const { return FOnAdvancedCustomDrawItem; }
  void SetOnAdvancedCustomDrawItem(const TLVAdvancedCustomDrawItemEvent& V) { FOnAdvancedCustomDrawItem = V; }
  const TLVAdvancedCustomDrawSubItemEvent& OnAdvancedCustomDrawSubItem() const { return FOnAdvancedCustomDrawSubItem; }
  void SetOnAdvancedCustomDrawSubItem(const TLVAdvancedCustomDrawSubItemEvent& V) {
    FOnAdvancedCustomDrawSubItem = V;
  }

  void Dispatch(TMessage& Message) override;
  LRESULT LV(UINT Msg, WPARAM WParam, LPARAM LParam) { return Perform(Msg, WParam, LParam); }

 protected:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumns;
  friend class TListColumn;
  friend class TIconOptions;
  friend class TSubItems;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // LVN_ITEMCHANGING: OnChanging.
  virtual bool CanChange(TListItem* Item, TItemChange Change);
  // LVN_ITEMCHANGED: OnChange, then OnSelectItem or OnItemChecked.
  virtual void Change(TListItem* Item, TItemChange Change);
  virtual bool CanEdit(TListItem* Item);
  virtual void Edit(const LVITEMW& Item);
  virtual void InsertItem(TListItem* Item);
  virtual void Delete(TListItem* Item);
  virtual void ColClick(TListColumn* Column);
  virtual void DrawItem(TListItem* Item, const TRect& Rect, TOwnerDrawState State);
  virtual TListItem* CreateListItem();
  // OnGetImageIndex, asked as an item goes to the window.
  virtual void GetImageIndex(TListItem* Item);
  DWORD ExtendedStyle() const;
  void UpdateExtendedStyle();
  void UpdateColumns();
  void UpdateColumn(Integer Index);
  void UpdateItem(TListItem* Item);
  void SendItem(TListItem* Item, Integer Index);
  TListItem* ItemOf(LPARAM Param) const { return reinterpret_cast<TListItem*>(Param); }
  // Re-reads the window's order of items after it sorted them.
  void SyncOrder();

 private:
  void SetImageList(TCustomImageList*& Field, TCustomImageList* Value, WPARAM Kind);
  void ImageListChange(TObject* Sender);
  void ResizeAutoColumns();
  std::unique_ptr<TListItems> FListItems;
  std::unique_ptr<TListColumns> FListColumns;
  std::unique_ptr<TIconOptions> FIconOptions;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  std::unique_ptr<TControlCanvas> FCanvas;
  std::vector<Integer> FSavedOrder;  // column order while there is no window
  TCustomImageList *FSmallImages = nullptr, *FLargeImages = nullptr, *FStateImages = nullptr;
  TViewStyle FViewStyle = vsIcon;
  TSortType FSortType = stNone;
  TBorderStyle FBorderStyle = bsSingle;
  THotTrackStyles FHotTrackStyles;
  Cardinal FHoverTime = Cardinal(-1);
  Integer FAllocBy = 0;
  bool FShowColumnHeaders = true, FColumnClick = true, FFullDrag = false, FGridLines = false, FRowSelect = false,
       FCheckboxes = false, FHotTrack = false, FMultiSelect = false, FHideSelection = true, FReadOnly = false,
       FOwnerDraw = false, FOwnerData = false, FShowWorkAreas = false, FFlatScrollBars = false;
  bool FSending = false;  // items going to the window: no OnChange
  bool FInDestroyWnd = false;
  bool FRestoring = false;  // CreateWnd hands the window the items it already had
  TLVChangeEvent FOnChange;
  TLVChangingEvent FOnChanging;
  TLVSelectItemEvent FOnSelectItem;
  TLVCheckedItemEvent FOnItemChecked;
  TLVColumnClickEvent FOnColumnClick;
  TLVColumnRClickEvent FOnColumnRightClick;
  TNotifyEvent FOnColumnDragged;
  TLVDeletedEvent FOnInsert, FOnDeletion;
  TLVEditingEvent FOnEditing;
  TLVEditedEvent FOnEdited;
  TLVCompareEvent FOnCompare;
  TLVDrawItemEvent FOnDrawItem;
  TLVNotifyEvent FOnGetImageIndex;
  TLVSubItemImageEvent FOnGetSubItemImage;
  TLVCreateItemClassEvent FOnCreateItemClass;
  TLVInfoTipEvent FOnInfoTip;
  TLVOwnerDataEvent FOnData;
  TLVOwnerDataFindEvent FOnDataFind;
  TLVOwnerDataHintEvent FOnDataHint;
  TLVOwnerDataStateChangeEvent FOnDataStateChange;
  TLVCustomDrawEvent FOnCustomDraw;
  TLVCustomDrawItemEvent FOnCustomDrawItem;
  TLVCustomDrawSubItemEvent FOnCustomDrawSubItem;
  TLVAdvancedCustomDrawEvent FOnAdvancedCustomDraw;
  TLVAdvancedCustomDrawItemEvent FOnAdvancedCustomDrawItem;
  TLVAdvancedCustomDrawSubItemEvent FOnAdvancedCustomDrawSubItem;
};

// The list view's published properties, for its descendants to publish.
#define QN_LIST_VIEW_PROPS(C)                                                                                         \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                                        \
  P.Property(u"AllocBy", &TCustomListView::AllocBy, &TCustomListView::SetAllocBy).Default(0);                         \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});                 \
  P.Property(u"BorderStyle", &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle).Default(bsSingle);      \
  P.Property(u"Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes).Default(false);            \
  P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);                  \
  P.Property(u"Columns", &TCustomListView::Columns, &TCustomListView::SetColumns);                                    \
  P.Property(u"ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick).Default(true);          \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                                    \
  P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);                                                           \
  P.Property(u"FlatScrollBars", &TCustomListView::FlatScrollBars, &TCustomListView::SetFlatScrollBars)                \
      .Default(false);                                                                                                \
  P.Property(u"FullDrag", &TCustomListView::FullDrag, &TCustomListView::SetFullDrag).Default(false);                  \
  P.Property(u"GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines).Default(false);               \
  P.Property(u"HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection).Default(true);    \
  P.Property(u"HotTrack", &TCustomListView::HotTrack, &TCustomListView::SetHotTrack).Default(false);                  \
  P.Property(u"HotTrackStyles", &TCustomListView::HotTrackStyles, &TCustomListView::SetHotTrackStyles)                \
      .Default(THotTrackStyles{});                                                                                    \
  P.Property(u"HoverTime", &TCustomListView::HoverTime, &TCustomListView::SetHoverTime).Default(Cardinal(-1));        \
  P.Property(u"IconOptions", &TCustomListView::IconOptions, &TCustomListView::SetIconOptions);                        \
  P.Property(u"LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages);                        \
  P.Property(u"MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect).Default(false);         \
  P.Property(u"OwnerData", &TCustomListView::OwnerData, &TCustomListView::SetOwnerData).Default(false);               \
  P.Property(u"OwnerDraw", &TCustomListView::OwnerDraw, &TCustomListView::SetOwnerDraw).Default(false);               \
  P.Property(u"ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly).Default(false);                  \
  P.Property(u"RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect).Default(false);               \
  P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);                       \
  P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);                           \
  P.Property(u"ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders)       \
      .Default(true);                                                                                                 \
  P.Property(u"ShowWorkAreas", &TCustomListView::ShowWorkAreas, &TCustomListView::SetShowWorkAreas).Default(false);   \
  P.Property(u"SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages);                        \
  P.Property(u"SortType", &TCustomListView::SortType, &TCustomListView::SetSortType).Default(stNone);                 \
  P.Property(u"StateImages", &TCustomListView::StateImages, &TCustomListView::SetStateImages);                        \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);                             \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);                              \
  P.Property(u"ViewStyle", &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle).Default(vsIcon);              \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                                    \
  P.Property(u"OnAdvancedCustomDraw", &TCustomListView::OnAdvancedCustomDraw,                                         \
      &TCustomListView::SetOnAdvancedCustomDraw);                                                                     \
  P.Property(u"OnAdvancedCustomDrawItem", &TCustomListView::OnAdvancedCustomDrawItem,                                 \
      &TCustomListView::SetOnAdvancedCustomDrawItem);                                                                 \
  P.Property(u"OnAdvancedCustomDrawSubItem", &TCustomListView::OnAdvancedCustomDrawSubItem,                           \
      &TCustomListView::SetOnAdvancedCustomDrawSubItem);                                                              \
  P.Property(u"OnChange", &TCustomListView::OnChange, &TCustomListView::SetOnChange);                                 \
  P.Property(u"OnChanging", &TCustomListView::OnChanging, &TCustomListView::SetOnChanging);                           \
  P.Property(u"OnColumnClick", &TCustomListView::OnColumnClick, &TCustomListView::SetOnColumnClick);                  \
  P.Property(u"OnColumnDragged", &TCustomListView::OnColumnDragged, &TCustomListView::SetOnColumnDragged);            \
  P.Property(u"OnColumnRightClick", &TCustomListView::OnColumnRightClick, &TCustomListView::SetOnColumnRightClick);   \
  P.Property(u"OnCompare", &TCustomListView::OnCompare, &TCustomListView::SetOnCompare);                              \
  P.Property(u"OnCustomDraw", &TCustomListView::OnCustomDraw, &TCustomListView::SetOnCustomDraw);                     \
  P.Property(u"OnCustomDrawItem", &TCustomListView::OnCustomDrawItem, &TCustomListView::SetOnCustomDrawItem);         \
  P.Property(u"OnCustomDrawSubItem", &TCustomListView::OnCustomDrawSubItem,                                           \
      &TCustomListView::SetOnCustomDrawSubItem);                                                                      \
  P.Property(u"OnCreateItemClass", &TCustomListView::OnCreateItemClass, &TCustomListView::SetOnCreateItemClass);      \
  P.Property(u"OnData", &TCustomListView::OnData, &TCustomListView::SetOnData);                                       \
  P.Property(u"OnDataFind", &TCustomListView::OnDataFind, &TCustomListView::SetOnDataFind);                           \
  P.Property(u"OnDataHint", &TCustomListView::OnDataHint, &TCustomListView::SetOnDataHint);                           \
  P.Property(u"OnDataStateChange", &TCustomListView::OnDataStateChange, &TCustomListView::SetOnDataStateChange);      \
  P.Property(u"OnDeletion", &TCustomListView::OnDeletion, &TCustomListView::SetOnDeletion);                           \
  P.Property(u"OnDrawItem", &TCustomListView::OnDrawItem, &TCustomListView::SetOnDrawItem);                           \
  P.Property(u"OnEdited", &TCustomListView::OnEdited, &TCustomListView::SetOnEdited);                                 \
  P.Property(u"OnEditing", &TCustomListView::OnEditing, &TCustomListView::SetOnEditing);                              \
  P.Property(u"OnGetImageIndex", &TCustomListView::OnGetImageIndex, &TCustomListView::SetOnGetImageIndex);            \
  P.Property(u"OnGetSubItemImage", &TCustomListView::OnGetSubItemImage, &TCustomListView::SetOnGetSubItemImage);      \
  P.Property(u"OnInfoTip", &TCustomListView::OnInfoTip, &TCustomListView::SetOnInfoTip);                              \
  P.Property(u"OnInsert", &TCustomListView::OnInsert, &TCustomListView::SetOnInsert);                                 \
  P.Property(u"OnItemChecked", &TCustomListView::OnItemChecked, &TCustomListView::SetOnItemChecked);                  \
  P.Property(u"OnSelectItem", &TCustomListView::OnSelectItem, &TCustomListView::SetOnSelectItem);

class TListView : public TCustomListView {
  QN_CLASS_CREATE(TListView, TCustomListView, TComponent)
 public:
  explicit TListView(TComponent* AOwner) : TCustomListView(AOwner) {}

  QN_PUBLISHED_DECL(TListView) { QN_LIST_VIEW_PROPS(TListView) }
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
