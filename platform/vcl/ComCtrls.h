// The ComCtrls unit of the host layer: the tab control and the page
// control with its tab sheets, over the common "SysTabControl32" class.
//
// Everything a tab control asks of its window goes through Perform, so a
// replaced WindowProc sees (and may rewrite) every TCM_* message: the
// rectangles of TabRect, the hit test of IndexOfTabAt and the display
// rectangle TCM_ADJUSTRECT gives, which bounds the sheets.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/comctl/TabControl.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"

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
  P.Property(u"Font", &TControl::Font, &TControl::SetFont);                                                 \
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

  QN_PUBLISHED(TTabControl) {
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

  QN_PUBLISHED(TTabSheet) {
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont);
    QN_PROP(Highlighted).Default(false);
    QN_PROP(ImageIndex).Default(0);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    QN_PROP(TabVisible).Default(true);
    QN_PROP(OnHide);
    QN_PROP(OnShow);
  }

 protected:
  friend class TPageControl;
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

  QN_PUBLISHED(TPageControl) {
    QN_TAB_CONTROL_PROPS(TPageControl)
    P.Property(u"ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  }

 protected:
  friend class TTabSheet;
  void CreateWnd() override;
  void Change() override;
  Integer GetImageIndex(Integer TabIndex) override;
  void DrawTab(Integer TabIndex, const TRect& Rect, bool Active) override;
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

}  // namespace vcl
