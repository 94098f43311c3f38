#include "skin/extended/uQuarnToolbar.h"

#include <algorithm>
#include <cstring>

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// ---------------------------------------------------------------------------
// TToolbarItemActionLink

TToolbarItemActionLink::TToolbarItemActionLink(TObject* AClient) : TActionLink(AClient) { AssignClient(AClient); }

void TToolbarItemActionLink::AssignClient(TObject* AClient) { FClient = dynamic_cast<TQuarnToolbarItem*>(AClient); }

bool TToolbarItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient && FClient->Text()->Text() == CustomAction()->Caption();
}

bool TToolbarItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient && FClient->Enabled() == CustomAction()->Enabled();
}

bool TToolbarItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient && FClient->Visible() == CustomAction()->Visible();
}

bool TToolbarItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && FAction && FClient && FClient->OnClick() == FAction->OnExecute();
}

void TToolbarItemActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetTextString(Value);
}

void TToolbarItemActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}

void TToolbarItemActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}

void TToolbarItemActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

// ---------------------------------------------------------------------------
// TQuarnToolbarItem

TQuarnToolbarItem::TQuarnToolbarItem(TCollection* Collection) : TCollectionItem(Collection) {
  FText = std::make_unique<TQnTextObj>();
  FText->SetText(u"Text");
  FText->SetOnChanged(TNotifyEvent(this, &TQuarnToolbarItem::TextChanged));
}

// Runs while the item is still in its collection (a deleted item leaves it
// before its destructors run).
void TQuarnToolbarItem::BeforeDestruction() {
  if (TQuarnCustomToolbar* bar = GetToolbar(); bar && bar->FItems.get() == Collection()) bar->ItemDestroying(this);
  SetDropdownMenu(nullptr);
  TCollectionItem::BeforeDestruction();
}

TQuarnToolbarItem::~TQuarnToolbarItem() {
  FActionLink.reset();
  SetDropdownMenu(nullptr);
  FText->SetOnChanged(TNotifyEvent());
}

TQuarnCustomToolbar* TQuarnToolbarItem::GetToolbar() const {
  auto* items = dynamic_cast<TQuarnToolbarItems*>(Collection());
  return items ? items->Toolbar() : nullptr;
}

template <class T>
void TQuarnToolbarItem::Change(T& Field, const T& Value) {
  if (Field == Value) return;
  Field = Value;
  Changed(true);
}

void TQuarnToolbarItem::TextChanged(TObject*) { Changed(true); }

void TQuarnToolbarItem::SetTextString(const String& Value) { FText->SetText(Value); }

void TQuarnToolbarItem::SetEnabled(bool Value) { Change(FEnabled, Value); }
void TQuarnToolbarItem::SetImageIndex(Integer Value) { Change(FImageIndex, Value); }
void TQuarnToolbarItem::SetImageHotIndex(Integer Value) { Change(FImageHotIndex, Value); }
void TQuarnToolbarItem::SetImageDownIndex(Integer Value) { Change(FImageDownIndex, Value); }
void TQuarnToolbarItem::SetImageDisableIndex(Integer Value) { Change(FImageDisableIndex, Value); }
void TQuarnToolbarItem::SetKind(TToolbarItemKind Value) { Change(FKind, Value); }
void TQuarnToolbarItem::SetLineColor(TColor Value) { Change(FLineColor, Value); }
void TQuarnToolbarItem::SetTextLayout(TToolbarItemLayout Value) { Change(FTextLayout, Value); }
void TQuarnToolbarItem::SetVisible(bool Value) { Change(FVisible, Value); }

void TQuarnToolbarItem::SetDropdownMenu(TPopupMenu* Value) {
  if (FDropdownMenu == Value) return;
  TQuarnCustomToolbar* bar = GetToolbar();
  // The toolbar holds one free notification per menu, however many items
  // share it, so it is dropped only with the last user.
  if (FDropdownMenu && bar && !bar->MenuInUse(FDropdownMenu, this)) FDropdownMenu->RemoveFreeNotification(bar);
  FDropdownMenu = Value;
  if (FDropdownMenu && bar) FDropdownMenu->FreeNotification(bar);
  Changed(true);
}

void TQuarnToolbarItem::SetDown(bool Value) {
  if (FDown != Value) {
    FDown = Value;
    Changed(true);
  }
  if (!Value) return;
  TQuarnCustomToolbar* bar = GetToolbar();
  if (!bar) return;
  bar->SetFocusItemIndex(Index());
  if (bar->FOnItemDown) bar->FOnItemDown(this, Index());
}

TBasicAction* TQuarnToolbarItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TQuarnToolbarItem::SetAction(TBasicAction* Value) {
  TQuarnCustomToolbar* bar = GetToolbar();
  if (!Value) {
    FActionLink.reset();
    Changed(false);
    return;
  }
  if (!FActionLink) {
    TObject* link = GetActionLinkClass()->Create(this);
    FActionLink.reset(static_cast<TToolbarItemActionLink*>(link));
  }
  FActionLink->SetAction(Value);
  FActionLink->OnChange = TNotifyEvent(this, &TQuarnToolbarItem::DoActionChange);
  const bool loading = bar && bar->ComponentState().Contains(csLoading);
  ActionChanged(Value, loading);
  if (bar) Value->FreeNotification(bar);
  Changed(false);
}

void TQuarnToolbarItem::DoActionChange(TObject* Sender) {
  // The linked properties have already come through the link's setters;
  // copying them all again here would overwrite what the item set itself.
  if (Sender && Sender == Action()) Changed(false);
}

void TQuarnToolbarItem::ActionChanged(TObject* Action, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Action);
  if (!a) return;
  if (!CheckDefaults || FText->Text().empty()) SetTextString(a->Caption());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !FOnClick) SetOnClick(a->OnExecute());
  Changed(false);
}

void TQuarnToolbarItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TQuarnToolbarItem::Click() {
  TQuarnCustomToolbar* bar = GetToolbar();
  if (!bar) return;
  const Integer index = Index();
  bar->FFocusItemIndex = index;
  if (FOnClick) {
    FOnClick(this);
  } else if (FDropdownMenu) {
    const TPoint p = bar->ClientToScreen(TPoint(FRect.Left + bar->FDropdownMenuOffset->X(),
                                                FRect.Bottom + bar->FDropdownMenuOffset->Y()));
    FDropdownMenu->Popup(p.X, p.Y);
  }
  bar->DoItemClick(index);
}

void TQuarnToolbarItem::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQuarnToolbarItem*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetAction(s->Action());
  SetAllowAllUp(s->AllowAllUp());
  SetTag(s->Tag());
  SetDown(s->Down());
  SetDropdownMenu(s->DropdownMenu());
  SetImageIndex(s->ImageIndex());
  SetImageHotIndex(s->ImageHotIndex());
  SetImageDownIndex(s->ImageDownIndex());
  SetImageDisableIndex(s->ImageDisableIndex());
  SetKind(s->Kind());
  SetVisible(s->Visible());
  SetEnabled(s->Enabled());
  FText->Assign(s->Text());
  SetTextLayout(s->TextLayout());
  SetLineColor(s->LineColor());
  SetGroupIndex(s->GroupIndex());
}

String TQuarnToolbarItem::GetDisplayName() {
  const String t = FText->Text();
  return t.empty() ? TCollectionItem::GetDisplayName() : t;
}

// ---------------------------------------------------------------------------
// TQuarnToolbarItems

TQuarnToolbarItems::TQuarnToolbarItems(TQuarnCustomToolbar* Toolbar)
    : TOwnedCollection(Toolbar, Toolbar ? Toolbar->GetToolbarItemClass() : TQuarnToolbarItem::StaticClass()),
      FToolbar(Toolbar) {}

TPersistent* TQuarnToolbarItems::GetOwner() { return FToolbar; }

bool TQuarnToolbarItems::ToolbarAlive() const {
  return FToolbar && !FToolbar->ComponentState().Contains(csDestroying) && FToolbar->FItems.get() == this;
}

TQuarnToolbarItem* TQuarnToolbarItems::AddItem(TQuarnToolbarItem* Item, Integer Index) {
  if (!Item && FToolbar) Item = FToolbar->CreateToolbarItem();
  if (!Item) return nullptr;
  Item->SetCollection(this);
  Item->SetIndex(Index < 0 ? Count() - 1 : std::min(Index, Count() - 1));
  return Item;
}

void TQuarnToolbarItems::Added(TCollectionItem* Item) {
  TOwnedCollection::Added(Item);
  if (ToolbarAlive()) FToolbar->DoItemsChanged();
}

void TQuarnToolbarItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TOwnedCollection::Notify(Item, Action);
}

void TQuarnToolbarItems::Update(TCollectionItem* Item) {
  TOwnedCollection::Update(Item);
  if (!ToolbarAlive()) return;
  if (UpdateCount() == 0) {
    FToolbar->Invalidate();
    FToolbar->DoItemsChanged();
  }
  if (Count() == 0) FToolbar->ResetDispOffset();
}

void TQuarnToolbarItems::Deleting(TCollectionItem* Item) {
  TOwnedCollection::Deleting(Item);
  if (!ToolbarAlive()) return;
  TQuarnCustomToolbar* bar = FToolbar;
  const bool multi = bar->FMultiLine;
  if (multi ? bar->FDispOffset.Y < 0 : bar->FDispOffset.X < 0) {
    Integer n = 0, s = 0;
    for (Integer i = 0; i < Count(); ++i) {
      TQuarnToolbarItem* it = GetItems(i);
      if (it == Item || !it->Visible()) continue;
      ++n;
      s += multi ? it->FRect.Height() : it->FRect.Width();
    }
    if (bar->FSpaceSize > 0) s += (n + 1) * bar->FSpaceSize;
    if ((multi ? bar->Height() : bar->Width()) > s) bar->ResetDispOffset();
  }
  bar->Invalidate();
  bar->DoItemsChanged();
}

// ---------------------------------------------------------------------------
// TQuarnCustomToolbar

namespace {

constexpr Cardinal FmtTop = 0x21;      // centred, single line
constexpr Cardinal FmtBottom = 0x29;   // centred, bottom, single line
constexpr Cardinal FmtRight = 0x26;    // right, centred vertically
constexpr Cardinal FmtLeft = 0x24;     // left, centred vertically
constexpr Cardinal FmtCentre = 0x25;   // centred both ways
constexpr TColor DisabledTextColor = static_cast<TColor>(0x00D1D1D1);
constexpr TColor32 DesignFrameColor = 0xFFF3AB4Bu;

// The opaque ARGB form of a platform colour.
TColor32 ToolbarColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

}  // namespace

struct TQuarnCustomToolbar::TPaintState {
  Integer iw = 0, r = 0;
  Integer imgW = 0, imgH = 0;
  Integer L = 0;
  Integer Count = 0;
  // The font last put on the buffer in this paint, so that items in one
  // font do not rebuild the buffer's font for every item.
  TFont* BufferFont = nullptr;
  std::unique_ptr<TQuarnImage> Arrow;
};

TQuarnCustomToolbar::TQuarnCustomToolbar(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csActionClient);
  SetControlStyle(style);

  const TNotifyEvent repaint(this, &TQuarnCustomToolbar::ButtonImageChanged);
  FButtonImage = std::make_unique<TPngPictures>();
  FButtonImage->SetImage(u"QuarnFlatBtn");
  FButtonImage->SetCount(3);
  FButtonImage->SetNormal(0);
  FButtonImage->SetHot(1);
  FButtonImage->SetPressed(2);
  FButtonImage->SetActive(true);
  FButtonImage->SetPicturesChanged(repaint);

  FDropdownMenuPictures = std::make_unique<TPngPictures>();
  FDropdownMenuPictures->SetImage(u"QuarnDropdownMenu");
  FDropdownMenuPictures->SetCount(4);

  auto strip = [](const char16_t* Image, bool Stacked, Integer N, Integer H, Integer P, Integer D) {
    auto s = std::make_unique<TPngPictures>();
    s->SetImage(Image);
    s->SetCount(4);
    s->SetNormal(N);
    s->SetHot(H);
    s->SetPressed(P);
    s->SetDisable(D);
    s->SetMultiLineMode(Stacked);
    return s;
  };
  FGoBackBtnPng = strip(u"QuarnBrower_back", false, 0, 1, 2, 3);
  FGoFrontBtnPng = strip(u"QuarnBrower_front", false, 3, 2, 1, 0);
  FGoUpBtnPng = strip(u"QuarnBrower_up", true, 0, 1, 2, 3);
  FGoDownBtnPng = strip(u"QuarnBrower_down", true, 3, 2, 1, 0);

  FTextOffset = std::make_unique<TQnBtnItemOffset>(this, 0, 0);
  FAutoButtonWidth = false;
  FBodyBuffer = std::make_unique<TBitmap32>();
  FDropdownMenuOffset = std::make_unique<TQnDropdownOffset>(this);
  CreateItems();
  FImagesChangeLink = std::make_unique<TChangeLink>();
  FImagesChangeLink->OnChange = TNotifyEvent(this, &TQuarnCustomToolbar::ImagesChange);
  FTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FTimer->SetEnabled(false);
  FTimer->SetInterval(10);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnCustomToolbar::DoOnTimer));
  FFontDown = std::make_unique<TFont>();
  FFontHot = std::make_unique<TFont>();
  FStopScroll = false;
  FMenuBtnWidth = 16;
  SetHeight(52);
  FButtonWidth = FButtonHeight = 48;
  FSpaceSize = 3;
  FMarginTextSize = 2;
  FHotItemIndex = FFocusItemIndex = -1;
  FHotOtherBtn = gbNone;
  FScrollSize = 15;
  FScrollButtonVisible = true;
  SetDelayRefresh(true);
  FDispOffset = TPoint(0, 0);
  FMarginSize = 20;
  FMultiLine = false;
  SetAlign(alTop);
  FAllowArrowKeys = false;
  FRezieButtonImage = true;
  FBorderSides = TSides{};
}

TQuarnCustomToolbar::~TQuarnCustomToolbar() {
  // The items go first: their drop-down menus still drop their free
  // notifications to this toolbar.
  FItems.reset();
  FTimer.reset();
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink.get());
}

void TQuarnCustomToolbar::CreateItems() {
  TClass cls = GetToolbarItemsClass();
  FItems.reset(static_cast<TQuarnToolbarItems*>(cls->Create(this)));
  FItems->SetPropName(u"Items");
}

TClass TQuarnCustomToolbar::GetToolbarItemsClass() const { return TQuarnToolbarItems::StaticClass(); }

void TQuarnCustomToolbar::Assign(TPersistent* Source) { TQuarnCustomPanel::Assign(Source); }

TQuarnToolbarItem* TQuarnCustomToolbar::CreateToolbarItem() {
  return static_cast<TQuarnToolbarItem*>(GetToolbarItemClass()->Create(FItems.get()));
}

void TQuarnCustomToolbar::SetItems(TQuarnToolbarItems* Value) { FItems->Assign(Value); }

Integer TQuarnCustomToolbar::VisibleItemCount() const {
  Integer n = 0;
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (FItems->GetItems(i)->Visible()) ++n;
  return n;
}

void TQuarnCustomToolbar::SetImages(TCustomImageList* Value) {
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink.get());
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImagesChangeLink.get());
    FImages->FreeNotification(this);
  }
  Invalidate();
}

void TQuarnCustomToolbar::ImagesChange(TObject* Sender) {
  if (Sender && Sender == FImages) Update();
}

void TQuarnCustomToolbar::ButtonImageChanged(TObject*) {
  // New frames must be sliced before the next paint can use them.
  FRezieButtonImage = true;
  Invalidate();
}

void TQuarnCustomToolbar::SetButtonWidth(Integer Value) {
  FButtonWidth = Value;
  FRezieButtonImage = true;
  Invalidate();
}

namespace {

template <class T>
void StoreAndRepaint(TControl* C, T& Field, const T& Value) {
  if (Field == Value) return;
  Field = Value;
  C->Invalidate();
}

}  // namespace

void TQuarnCustomToolbar::SetButtonHeight(Integer Value) { StoreAndRepaint(this, FButtonHeight, Value); }
void TQuarnCustomToolbar::SetSpaceSize(Integer Value) { StoreAndRepaint(this, FSpaceSize, Value); }
void TQuarnCustomToolbar::SetMarginSize(Integer Value) { StoreAndRepaint(this, FMarginSize, Value); }
void TQuarnCustomToolbar::SetMarginTextSize(Integer Value) { StoreAndRepaint(this, FMarginTextSize, Value); }
void TQuarnCustomToolbar::SetMultiLine(bool Value) { StoreAndRepaint(this, FMultiLine, Value); }
void TQuarnCustomToolbar::SetScrollButtonVisible(bool Value) { StoreAndRepaint(this, FScrollButtonVisible, Value); }
void TQuarnCustomToolbar::SetAutoButtonWidth(bool Value) { StoreAndRepaint(this, FAutoButtonWidth, Value); }

void TQuarnCustomToolbar::SetFocusItemIndex(Integer Value) {
  FFocusItemIndex = Value;
  DoSetItemDown();
}

void TQuarnCustomToolbar::DoSetItemDown() {
  const Integer count = FItems->Count();
  if (FFocusItemIndex < 0 || count == 0 || FFocusItemIndex >= count) return;
  TQuarnToolbarItem* focus = FItems->GetItems(FFocusItemIndex);
  focus->FDown = true;
  FItems->BeginUpdate();
  for (Integer i = 0; i < count; ++i) {
    TQuarnToolbarItem* it = FItems->GetItems(i);
    if (it != focus && it->FGroupIndex == focus->FGroupIndex) it->FDown = false;
  }
  FItems->EndUpdate();
  if (FOnItemDown) FOnItemDown(focus, FFocusItemIndex);
  Invalidate();
  if (FOnItemFocusChanged) FOnItemFocusChanged(this);
}

void TQuarnCustomToolbar::DoDrawItem(TBitmap32* Buffer, TQuarnToolbarItemData* ItemData) {
  if (FOnDrawItem) FOnDrawItem(this, Buffer, ItemData);
}

void TQuarnCustomToolbar::DoItemClick(Integer Index) {
  if (FOnItemClick) FOnItemClick(this, Index);
}

void TQuarnCustomToolbar::DoItemsChanged() {
  if (FButtonWidth == 0) FRezieButtonImage = true;
}

void TQuarnCustomToolbar::DoButtonWidthChanged(TObject* Sender, Integer& Width) {
  if (FOnButtonWidthChanged) FOnButtonWidthChanged(Sender, Width);
}

void TQuarnCustomToolbar::ScaleControlsForDpi(Integer NewPPI) {
  TQuarnCustomPanel::ScaleControlsForDpi(NewPPI);
  FRezieButtonImage = true;
}

void TQuarnCustomToolbar::InitiateAction() {
  TQuarnCustomPanel::InitiateAction();
  for (Integer i = 0; i < FItems->Count(); ++i) FItems->GetItems(i)->InitiateAction();
}

bool TQuarnCustomToolbar::MenuInUse(TPopupMenu* Menu, const TQuarnToolbarItem* Except) const {
  if (!FItems) return false;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    const TQuarnToolbarItem* it = FItems->GetItems(i);
    if (it != Except && it->FDropdownMenu == Menu) return true;
  }
  return false;
}

void TQuarnCustomToolbar::Notification(TComponent* AComponent, TOperation Operation) {
  TQuarnCustomPanel::Notification(AComponent, Operation);
  if (ComponentState().Contains(csDestroying) || Operation != opRemove || !FItems) return;
  if (AComponent == FImages) {
    // The list has already let go of its links; it is past talking to.
    FImages = nullptr;
    Invalidate();
  }
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQuarnToolbarItem* it = FItems->GetItems(i);
    if (it->FDropdownMenu == AComponent) {
      it->FDropdownMenu = nullptr;
      it->Changed(true);
    }
    // A freed action has cut its links before this notice; the link goes.
    if (it->FActionLink && (it->Action() == AComponent || !it->Action())) it->SetAction(nullptr);
  }
}

void TQuarnCustomToolbar::MouseEnter() { TQuarnCustomPanel::MouseEnter(); }

void TQuarnCustomToolbar::MouseLeave() {
  TQuarnCustomPanel::MouseLeave();
  if (FHotItemIndex != -1 || FHotOtherBtn != gbNone) {
    FHotItemIndex = -1;
    FHotOtherBtn = gbNone;
    Invalidate();
  }
}

Integer TQuarnCustomToolbar::GetItemAt(const TPoint& P) const {
  for (Integer i = 0; i < FItems->Count(); ++i) {
    const TQuarnToolbarItem* it = FItems->GetItems(i);
    const TRect& r = it->FRect;
    if (it->Visible() && P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom) return i;
  }
  return -1;
}

bool TQuarnCustomToolbar::DoClickGoBackButton() {
  if (FStopScroll) return false;
  if (FMultiLine) {
    if (FDispOffset.Y < 0) FDispOffset.Y += FScrollSize;
  } else if (FDispOffset.X < 0) {
    FDispOffset.X += FScrollSize;
  }
  Invalidate();
  return true;
}

bool TQuarnCustomToolbar::DoClickGoFrontButton() {
  if (FStopScroll) return false;
  if (FMultiLine) {
    if (FDispY > Height()) FDispOffset.Y -= FScrollSize;
  } else if (FDispX > Width()) {
    FDispOffset.X -= FScrollSize;
  }
  Invalidate();
  return true;
}

void TQuarnCustomToolbar::ScrollBack() {
  FHotItemIndex = -1;
  FHotOtherBtn = gbBack;
  if (!DoClickGoBackButton()) Invalidate();
}

void TQuarnCustomToolbar::ScrollFront() {
  FHotItemIndex = -1;
  FHotOtherBtn = gbFront;
  if (!DoClickGoFrontButton()) Invalidate();
}

void TQuarnCustomToolbar::DoOnTimer(TObject*) {
  if (!FScrollButtonVisible) return;
  if (FHotOtherBtn == gbBack) DoClickGoBackButton();
  else if (FHotOtherBtn == gbFront) DoClickGoFrontButton();
}

void TQuarnCustomToolbar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: WMSize(Message); return;
    case WM_MOUSEMOVE: WMMouseMove(Message); return;
    // A quick second click is a second press, not a lost one.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: WMLButtonDown(Message); return;
    case WM_LBUTTONUP: WMLButtonUp(Message); return;
    case CM_HINTSHOW: CMHintShow(Message); return;
    default: TQuarnCustomPanel::Dispatch(Message);
  }
}

void TQuarnCustomToolbar::WMSize(TMessage& Message) {
  if (FButtonWidth == 0) FRezieButtonImage = true;
  TQuarnCustomPanel::Dispatch(Message);
  FDispOffset = TPoint(0, 0);
  PlaceScrollButtons();
}

void TQuarnCustomToolbar::PlaceScrollButtons() {
  TQuarnImage* strip = nullptr;
  TRect backFrame, frontFrame;
  const bool hasBack = FGoBackBtnPng->FrameRect(FGoBackBtnPng->Normal(), strip, backFrame);
  const bool hasFront = FGoFrontBtnPng->FrameRect(FGoFrontBtnPng->Normal(), strip, frontFrame);
  TRect& f = FGoFrontBtnRect;
  TRect& b = FGoBackBtnRect;
  if (!FMultiLine) {
    f.Top = 2;
    f.Right = Width() - 1;
    if (hasFront) {
      f.Left = f.Right - frontFrame.Width();
      f.Bottom = 2 + frontFrame.Height();
    }
    b.Top = 2;
    b.Right = f.Left - 1;
    if (hasBack) {
      b.Left = b.Right - backFrame.Width();
      b.Bottom = 2 + backFrame.Height();
    }
    return;
  }
  if (hasFront) {
    f.Top = Height() - frontFrame.Height() - 2;
    f.Bottom = f.Top + frontFrame.Height();
    f.Right = Width() - 1;
    f.Left = f.Right - frontFrame.Width();
  }
  if (hasBack) {
    b.Bottom = f.Top - 1;
    b.Top = b.Bottom - backFrame.Height();
    b.Left = f.Left;
    b.Right = f.Left + backFrame.Width();
  }
}

// ---- painting ---------------------------------------------------------------

void TQuarnCustomToolbar::SelectFont(TBitmap32* Buffer, TFont* AFont, TPaintState& S) {
  if (S.BufferFont != AFont) {
    Buffer->Font()->Assign(AFont);
    S.BufferFont = AFont;
  } else if (Buffer->Font()->Color() != AFont->Color()) {
    Buffer->Font()->SetColor(AFont->Color());
  }
}

void TQuarnCustomToolbar::RebuildFrameCache(Integer W, Integer H) {
  FNormalImage.reset();
  FHotImage.reset();
  FDownImage.reset();
  FFrameSize = TSize(W, H);
  // Items of one size mostly show one state: each frame is sliced only when
  // an item first needs it.
  FFrameSliced[0] = FFrameSliced[1] = FFrameSliced[2] = false;
  FRezieButtonImage = false;
  ++FFrameCacheBuilds;
}

TQuarnImage* TQuarnCustomToolbar::CachedFrame(Integer Which) {
  std::unique_ptr<TQuarnImage>& slot = Which == 2 ? FDownImage : Which == 1 ? FHotImage : FNormalImage;
  if (!FFrameSliced[Which]) {
    FFrameSliced[Which] = true;
    if (!FFrameSource) FFrameSource = std::make_unique<TQuarnImage>();
    const Integer index = Which == 2 ? FButtonImage->Pressed() : Which == 1 ? FButtonImage->Hot() : FButtonImage->Normal();
    if (FButtonImage->GetFrame(index, FFrameSource.get())) {
      slot.reset(ResizeImg(FFrameSource.get(), FFrameSize.cx, FFrameSize.cy));
      if (slot) slot->SetDrawMode(TDrawMode::dmBlend);
    } else {
      slot.reset();
    }
  }
  return slot.get();
}

void TQuarnCustomToolbar::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomPanel::DrawBody(Buffer);
  if (!Designing() && StopDrawBody()) {
    // The 10 ms after a resize show the last picture instead of laying out
    // the items for every intermediate size.
    FBodyBuffer->DrawTo(Buffer, 0, 0);
    return;
  }
  const Cardinal generation = TQuarnResManagerObj()->Generation();
  if (generation != FStoreGeneration) {
    // The skin was reloaded: the cached frames may show the old images.
    FStoreGeneration = generation;
    FRezieButtonImage = true;
  }
  Buffer->BeginUpdate();
  TPaintState S;
  S.Count = FItems->Count();
  if (FImages) {
    S.imgW = FImages->Width();
    S.imgH = FImages->Height();
  }
  if (FMultiLine) {
    FDispX = FDispOffset.X;
    FDispY = FDispOffset.Y + FSpaceSize;
  } else {
    FDispX = FDispOffset.X + FSpaceSize;
    FDispY = FDispOffset.Y;
  }
  if (FButtonWidth != 0) {
    S.iw = FButtonWidth;
    S.r = 0;
  } else {
    const Integer n = std::max(1, VisibleItemCount());
    S.iw = Width() / n;
    S.r = Width() % n;
  }
  S.L = 0;
  const Integer W = Width(), H = Height();
  for (Integer i = 0; i < S.Count; ++i) {
    TQuarnToolbarItem* item = FItems->GetItems(i);
    if (!item->Visible()) continue;
    SelectFont(Buffer, Font(), S);
    if (!FMultiLine && FAutoButtonWidth) {
      S.iw = Buffer->TextExtent(item->FText->Text()).cx + 14;
      if ((item->FTextLayout == ilLeft || item->FTextLayout == ilRight) && FImages) S.iw += S.imgW + 14;
      DoButtonWidthChanged(item, S.iw);
    } else if (i == S.Count - 1) {
      S.iw += S.r;
    }
    if (FMultiLine) FDispX = (W - S.iw) / 2;
    else FDispY = (H - FButtonHeight) / 2;
    if (item->FKind == tkButton) {
      item->FRect = TRect(FDispX, FDispY, FDispX + S.iw, FDispY + FButtonHeight);
      if (item->FDropdownMenu) {
        item->FMenuButtonRect = item->FRect;
        item->FMenuButtonRect.Left = item->FMenuButtonRect.Right - FMenuBtnWidth;
      }
    } else if (FMultiLine) {
      item->FRect = TRect(FDispX + 4, FDispY + 1, FDispX + S.iw - 4, FDispY + FSpaceSize - 1);
    } else {
      item->FRect = TRect(FDispX + 1, FDispY + 4, FDispX + FSpaceSize - 1, FDispY + FButtonHeight - 4);
    }
    PaintItem(Buffer, item, S);
    if (item->FKind == tkButton) {
      const Integer step = FMultiLine ? FButtonHeight + FSpaceSize : item->FRect.Width() + FSpaceSize;
      (FMultiLine ? FDispY : FDispX) += step;
      S.L += step;
    } else {
      (FMultiLine ? FDispY : FDispX) += 2 * FSpaceSize;
      S.L += 2 * FSpaceSize;
    }
    DoDrawItem(Buffer, item);
    // The user may have changed the buffer's font.
    if (FOnDrawItem) S.BufferFont = nullptr;
  }
  FEnabledScroll = FMultiLine ? H < S.L : W < S.L;
  if (FEnabledScroll) {
    const bool backCan = (FMultiLine ? FDispOffset.Y : FDispOffset.X) < 0;
    const bool frontCan = FMultiLine ? FDispY > H : FDispX > W;
    if (FHotOtherBtn == gbBack) FStopScroll = !backCan;
    else if (FHotOtherBtn == gbFront) FStopScroll = !frontCan;
    PaintScrollButtons(Buffer);
  }
  if (FOnCustomDraw) FOnCustomDraw(this, Buffer);
  Buffer->EndUpdate();
  // The copy keeps its pixels' memory from one paint to the next.
  if (FBodyBuffer->Width() != Buffer->Width() || FBodyBuffer->Height() != Buffer->Height())
    FBodyBuffer->SetSize(Buffer->Width(), Buffer->Height());
  if (Buffer->Bits() && FBodyBuffer->Bits())
    std::memcpy(FBodyBuffer->Bits(), Buffer->Bits(), size_t(Buffer->Width()) * size_t(Buffer->Height()) * 4);
}

void TQuarnCustomToolbar::PaintScrollButtons(TBitmap32* Buffer) {
  if (!FScrollButtonVisible) return;
  TPngPictures* back = FMultiLine ? FGoUpBtnPng.get() : FGoBackBtnPng.get();
  TPngPictures* front = FMultiLine ? FGoDownBtnPng.get() : FGoFrontBtnPng.get();
  const bool backCan = (FMultiLine ? FDispOffset.Y : FDispOffset.X) < 0;
  const bool frontCan = FMultiLine ? FDispY > Height() : FDispX > Width();
  auto draw = [&](TPngPictures* Strip, bool Can, TOtherButtonKind Kind, const TRect& At) {
    Integer index = Strip->Normal();
    if (!Can) index = Strip->Disable();
    else if (FHotOtherBtn == Kind && FDownOtherBtn) index = Strip->Pressed();
    else if (FHotOtherBtn == Kind) index = Strip->Hot();
    TQuarnImage* source = nullptr;
    TRect src;
    if (Strip->FrameRect(index, source, src)) source->DrawTo(Buffer, At.Left, At.Top, src);
  };
  draw(back, backCan, gbBack, FGoBackBtnRect);
  draw(front, frontCan, gbFront, FGoFrontBtnRect);
}

void TQuarnCustomToolbar::PaintItem(TBitmap32* Buffer, TQuarnToolbarItem* Item, TPaintState& S) {
  const TRect R = Item->FRect;
  const Integer index = Item->Index();
  FFontColor = Font()->Color();
  TRect TR = R;
  OffsetRect(TR, FTextOffset->X(), FTextOffset->Y());

  if (Item->FKind == tkSpacer) {
    const TColor32 c = ToolbarColor(Item->FLineColor);
    if (FMultiLine) {
      const Integer y = R.Top + (R.Height() - 2) / 2;
      Buffer->LineAS(R.Left, y, R.Right, y, c);
    } else {
      const Integer x = R.Left + (R.Width() - 2) / 2;
      Buffer->LineAS(x, R.Top, x, R.Bottom, c);
    }
    return;
  }

  const bool active = FButtonImage->Active();
  if (active && (FRezieButtonImage || (S.r != 0 && (index == 0 || index == S.Count - 1)) ||
                 (!FMultiLine && FAutoButtonWidth)))
    RebuildFrameCache(R.Width(), R.Height());

  const bool hot = FHotItemIndex == index;
  const bool overScroll = FHotOtherBtn == gbBack || FHotOtherBtn == gbFront;
  Integer which;
  TFont* font;
  if (Item->FDown) {
    which = 2;
    font = FFontDown.get();
  } else if (overScroll || !hot) {
    which = 0;
    font = Font();
  } else {
    which = 1;
    font = FFontHot.get();
  }
  if (active)
    if (TQuarnImage* frame = CachedFrame(which)) frame->DrawTo(Buffer, R.Left, R.Top);
  SelectFont(Buffer, font, S);
  FFontColor = font->Color();

  Integer ex = 0;
  if (Item->FDropdownMenu) {
    const TRect& MR = Item->FMenuButtonRect;
    Integer state = FDropdownMenuPictures->Normal();
    if (hot && FHotOtherBtn == gbMenu) state = FDownOtherBtn ? FDropdownMenuPictures->Pressed() : FDropdownMenuPictures->Hot();
    if (!S.Arrow) S.Arrow = std::make_unique<TQuarnImage>();
    if (FDropdownMenuPictures->GetFrame(state, S.Arrow.get())) {
      std::unique_ptr<TQuarnImage> band(SpliteImgCenterPart(S.Arrow.get(), MR.Height() - 6, S.Arrow->Width()));
      if (band) {
        band->SetDrawMode(TDrawMode::dmBlend);
        band->DrawTo(Buffer, MR.Left, MR.Top + (MR.Height() - band->Height()) / 2);
      }
    }
    ex = FMenuBtnWidth;
  }
  ex += GetExWidth();

  const TQnTextObj* textObj = Item->FText.get();
  const String text = textObj->Text();
  const bool textVisible = textObj->Visible();
  const Integer X = R.Left, Y = R.Top, RW = R.Width(), RH = R.Height();
  const Integer imgW = S.imgW, imgH = S.imgH;
  Integer ix = 0, iy = 0;
  Cardinal format = FmtCentre;
  if (FImages && textVisible && Item->FImageIndex >= 0) {
    const TSize ts = Buffer->TextExtent(text);
    const Integer tw = ts.cx, th = ts.cy;
    TR.Right -= ex;
    InflateRect(TR, -1, -1);
    switch (Item->FTextLayout) {
      case ilBottom:
        ix = X + (RW - imgW - ex) / 2;
        iy = Y + (RH - imgH - th) / 2;
        format = FmtTop;
        TR.Top = iy + imgH + FMarginTextSize;
        break;
      case ilTop:
        ix = X + (RW - imgW - ex) / 2;
        iy = Y + (RH - imgH - th) / 2 + th;
        format = FmtBottom;
        TR.Bottom = iy - FMarginTextSize;
        break;
      case ilLeft:
        ix = FMultiLine ? R.Right - imgW - FMarginSize - 2 - 16 : X + (RW - imgW - tw - ex) / 2 + tw;
        iy = Y + (RH - imgH) / 2;
        format = FmtRight;
        TR.Right = ix - FMarginTextSize;
        break;
      case ilRight:
        ix = FMultiLine ? R.Left + FMarginSize + 2 : X + (RW - imgW - tw - ex) / 2;
        iy = Y + (RH - imgH) / 2;
        format = FmtLeft;
        TR.Left = ix + imgW + FMarginTextSize;
        break;
    }
    InflateRect(TR, -2, -2);
  } else if (FImages && Item->FImageIndex >= 0) {
    // Hidden text: the image alone, centred.
    ix = X + (RW - imgW) / 2;
    iy = Y + (RH - imgH) / 2;
  }
  if (ix < R.Left) ix = R.Left;

  if (Item->FGroupIndex == 0 && Item->FDown && FHotOtherBtn == gbNone && (hot || Item->FAllowAllUp)) {
    ++ix;
    ++iy;
    OffsetRect(TR, 1, 1);
  }

  // Negative indexes other than -1 name no image either.
  if (FImages && Item->FImageIndex >= 0) {
    if (Item->FEnabled) {
      Integer img = Item->FImageIndex;
      if (Item->FDown && Item->FImageDownIndex != -1) img = Item->FImageDownIndex;
      else if (hot && !overScroll && Item->FImageHotIndex != -1) img = Item->FImageHotIndex;
      FImages->Draw(Buffer->Canvas(), ix, iy, img, true);
    } else {
      const Integer img = Item->FImageDisableIndex != -1 ? Item->FImageDisableIndex : Item->FImageIndex;
      FImages->Draw(Buffer->Canvas(), ix, iy, img, dsFocus, itImage, true);
    }
  } else if (Designing()) {
    Buffer->FrameRectS(R, DesignFrameColor);
  }

  if (textVisible) {
    const TQnLightClass* light = textObj->Light();
    if (!Designing() && light->Active()) {
      Buffer->Canvas()->Font()->Assign(font);
      DrawEffectText(Buffer->Canvas(), TR, text, format, 0, light->Color(), light->BlurRadius(), false);
    }
    Buffer->Font()->SetColor(Item->FEnabled ? FFontColor : DisabledTextColor);
    TRect tr = TR;
    Buffer->Textout(tr, format, text);
  }
}

void InitQuarnToolbar() {
  RegisterClasses({TQuarnToolbar::StaticClass(), TQuarnToolbarItem::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnToolbarItem)
QN_PUBLISHED_IMPL(qn::TQuarnToolbar)
