// The Menus unit of the host layer: menu items, pop-up menus, shortcuts.
//
// A TMenuItem keeps its own properties and builds the server's menu from
// them on demand (Handle); once built, every change to an item or to the
// list of its children is carried into the built menu at once. Each item
// has a command id of its own (Command), which is what the built menu
// reports when the item is chosen.
//
// TPopupMenu::Popup fires OnPopup, builds the menu and runs the server's
// menu loop, owned by the hidden pop-up list window that every pop-up menu
// shares; it returns when the menu closes. The chosen item's Click runs
// later, when the WM_COMMAND the loop posted is retrieved, as on the
// platform. Commands are looked up when they are dispatched, so an item
// freed in between does nothing, and a menu freed while its loop runs
// cancels the loop.
//
// Owner drawing: a menu with OwnerDraw or Images, and any item with a draw
// or measure event, is drawn by its items: the pop-up list window answers
// WM_MEASUREITEM and WM_DRAWITEM (ODT_MENU) through the item, which calls
// its events or draws the default look (image or check mark in the left
// column, caption, shortcut text on the right).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

namespace vcl {

QN_EXCEPTION(EMenuError, Exception)

class TMenu;
class TMenuItem;
class TPopupMenu;

// --- Shortcuts
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+Shift+S", "F5", "Del", ...; "" for 0.
String ShortCutToText(TShortCut ShortCut);
// The reverse (modifier names in any case); 0 for text that names no key.
TShortCut TextToShortCut(String Text);
// The shortcut a key message stands for, with the shift keys as they are now.
TShortCut ShortCutFromMessage(const TWMKey& Message);

// The platform's ODS_* bits as a state.
TOwnerDrawState OwnerDrawStateFromODS(UINT itemState);

using TMenuDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;

enum class TFindItemKind : Byte { fkCommand, fkHandle, fkShortCut };
using enum TFindItemKind;

// The menu item's link to its action: caption, checked, enabled, help
// context, hint, image, shortcut, visible, auto-check, group and click.
class TMenuActionLink : public TActionLink {
  QN_CLASS(TMenuActionLink, TActionLink)
 public:
  explicit TMenuActionLink(TObject* AClient);
  bool IsAutoCheckLinked() override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsGroupIndexLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetAutoCheck(bool Value) override;
  void SetCaption(const String& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetGroupIndex(Integer Value) override;
  void SetHelpContext(Integer Value) override;
  void SetHint(const String& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 protected:
  void SetOnExecute(const TNotifyEvent& Value) override;
  TMenuItem* FClient = nullptr;
};

class TMenuItem : public TComponent {
  QN_CLASS_CREATE(TMenuItem, TComponent, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // --- Properties
  // "-" makes a separator; "&" marks the accelerator ("&&" is an ampersand).
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Checked() const { return FChecked; }
  // Checking a radio item unchecks the other radio items of its group
  // under the same parent.
  void SetChecked(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value);
  // Clicking toggles Checked (checks a radio item).
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex Value);
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer Value) { FHelpContext = Value; }
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return FActionLink.get(); }

  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  const TMenuDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TMenuDrawItemEvent& Value);
  const TAdvancedMenuDrawItemEvent& OnAdvancedDrawItem() const { return FOnAdvancedDrawItem; }
  void SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value);
  const TMenuMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMenuMeasureItemEvent& Value);

  // --- Children
  TMenuItem* Items(Integer Index) const;
  Integer Count() const { return Integer(FItems.size()); }
  // The item takes Item over (removing it from a former parent); it does
  // not become its owner.
  void Add(TMenuItem* Item);
  void Add(const std::vector<TMenuItem*>& AItems);
  void Insert(Integer Index, TMenuItem* Item);
  // Removes and frees the child at Index.
  void Delete(Integer Index);
  // Takes Item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees every child.
  void Clear();
  Integer IndexOf(TMenuItem* Item) const;
  // The child whose caption without accelerator marks is ACaption
  // (case-insensitive), or nil.
  TMenuItem* Find(String ACaption) const;
  TMenuItem* Parent() const { return FParent; }
  Integer MenuIndex() const;
  void SetMenuIndex(Integer Value);
  bool IsLine() const { return FCaption == u"-"; }
  // The menu the item tree belongs to, or nil.
  TMenu* GetParentMenu() const;

  // --- Running
  // Runs the action or OnClick (after AutoCheck).
  virtual void Click();
  // Brings the action's state into the item.
  virtual void InitiateAction();
  // InitiateAction for every visible child.
  void InitiateActions();
  Word Command() const { return FCommand; }
  // The server's menu of the children, built on demand and kept current.
  HMENU Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }

  // --- Owner drawing (the pop-up list calls these)
  void MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height);
  void AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool TopLevel);
  // Whether the item is drawn by the library rather than the server.
  bool IsOwnerDraw() const;

  // --- Streaming: children are streamed inside their parent.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;
  TComponent* GetParentComponent() override;
  bool HasParent() override;
  void SetParentComponent(TComponent* Value) override;
  // An item read from a form file joins the menu or item it is written in.
  void ReadState(TReader* Reader) override;
  const TNotifyEvent& GetOnClick() const { return FOnClick; }

  QN_PUBLISHED_DECL(TMenuItem) {
    QN_PROP(AutoCheck).Default(false);
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Checked).Default(false);
    QN_PROP(Default).Default(false);
    QN_PROP(Enabled).Default(true);
    QN_PROP(GroupIndex).Default(0);
    QN_PROP(HelpContext).Default(0);
    QN_PROP(Hint);
    QN_PROP(ImageIndex).Default(-1);
    QN_PROP(RadioItem).Default(false);
    P.Property(u"ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).TypeName(u"TShortCut").Default(0);
    QN_PROP(Visible).Default(true);
    P.Property(u"OnClick", &TMenuItem::GetOnClick, &TMenuItem::SetOnClick);
  }

 protected:
  virtual void DoDrawText(TCanvas* ACanvas, const String& ACaption, TRect& Rect, bool Selected, UINT Flags);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The item (or its list of children) changed; Rebuild: the built menu
  // must be made anew.
  virtual void MenuChanged(bool Rebuild);
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);

 private:
  friend class TMenu;
  friend class TMenuActionLink;
  void DoActionChange(TObject* Sender);
  void RebuildHandle();
  void AppendTo(HMENU Menu);
  void ChildChanged(TMenuItem* Child);
  void TurnSiblingsOff();
  TCustomImageList* GetImages() const;
  Integer CheckColumnWidth() const;

  String FCaption, FHint;
  bool FChecked = false, FRadioItem = false, FAutoCheck = false, FDefault = false, FEnabled = true,
       FVisible = true;
  Byte FGroupIndex = 0;
  TShortCut FShortCut = 0;
  TImageIndex FImageIndex = -1;
  Integer FHelpContext = 0;
  Word FCommand = 0;
  HMENU FHandle = nullptr;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item
  std::vector<TMenuItem*> FItems;
  std::unique_ptr<TMenuActionLink> FActionLink;
  TNotifyEvent FOnClick;
  TMenuDrawItemEvent FOnDrawItem;
  TAdvancedMenuDrawItemEvent FOnAdvancedDrawItem;
  TMenuMeasureItemEvent FOnMeasureItem;
};

class TMenu : public TComponent {
  QN_CLASS_CREATE(TMenu, TComponent, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  // The root item; its children are the menu's items.
  TMenuItem* Items() const { return FItems.get(); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  HMENU Handle() { return FItems->Handle(); }
  // The window that owns the menu's loop (the pop-up list window).
  HWND WindowHandle() const;

  TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind);
  // Runs Click of the item with that command; false when none has it.
  bool DispatchCommand(Word ACommand);
  // An item's submenu opens: its actions update and its Click runs; false
  // when the menu is none of this menu's.
  bool DispatchPopup(HMENU AHandle);
  // Clicks the enabled, visible item whose shortcut the key is; true when
  // one did.
  bool IsShortCut(TWMKey& Message);

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

 private:
  friend class TMenuItem;
  void ImageListChange(TObject* Sender);

  std::unique_ptr<TMenuItem> FItems;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  bool FOwnerDraw = false;
};

enum class TPopupAlignment : Byte { paLeft, paRight, paCenter };
QN_ENUM_NAMES(TPopupAlignment, paLeft, paRight, paCenter)
using enum TPopupAlignment;

enum class TTrackButton : Byte { tbRightButton, tbLeftButton };
QN_ENUM_NAMES(TTrackButton, tbRightButton, tbLeftButton)
using enum TTrackButton;

class TPopupMenu : public TMenu {
  QN_CLASS_CREATE(TPopupMenu, TMenu, TComponent)
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // Shows the menu at a screen point and returns when it closes.
  virtual void Popup(Integer X, Integer Y);
  // The control the menu was popped up for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);
  TPoint PopupPoint() const { return FPopupPoint; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  TTrackButton TrackButton() const { return FTrackButton; }
  void SetTrackButton(TTrackButton Value) { FTrackButton = Value; }
  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }

  QN_PUBLISHED_DECL(TPopupMenu) {
    QN_PROP(Alignment).Default(paLeft);
    QN_PROP(AutoPopup).Default(true);
    QN_PROP(Images);
    QN_PROP(OwnerDraw).Default(false);
    QN_PROP(TrackButton).Default(tbRightButton);
    QN_PROP(OnPopup);
  }

 protected:
  virtual void DoPopup(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* FPopupComponent = nullptr;
  TPoint FPopupPoint;
  bool FAutoPopup = true;
  TPopupAlignment FAlignment = paLeft;
  TTrackButton FTrackButton = tbRightButton;
  TNotifyEvent FOnPopup;
};

// The hidden window that owns every pop-up menu's loop and hands its
// messages to the menus.
HWND PopupListWindow();

// Builders for code that makes menus: an item with its caption, shortcut,
// check state, enabled state and click handler; a separator; an item with
// children.
TMenuItem* NewItem(const String& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   const TNotifyEvent& AOnClick, Integer hCtx, const String& AName);
TMenuItem* NewLine();
TMenuItem* NewSubMenu(const String& ACaption, Integer hCtx, const String& AName,
                      const std::vector<TMenuItem*>& AItems, bool AEnabled = true);

void InitMenus();
void DoneMenus();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
