// The list view control, its items and columns.
#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ControlMessages.h"

namespace vcl {

namespace {

// Posted to itself once the header has applied a dragged column's order.
constexpr UINT kColumnDragged = WM_USER + 0x3A1;

void ListViewIndexError(Integer Index) {
  throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
}

struct SortContext {
  TCustomListView* View;
  PFNLVCOMPARE Proc;
  LPARAM Data;
};

}  // namespace

// A list item's SubItems: every change goes to the window as it happens.
class TSubItems : public TStringList {
 public:
  explicit TSubItems(TListItem* AOwner) : FOwner(AOwner) {}

 protected:
  void Changed() override {
    TStringList::Changed();
    TCustomListView* lv = FOwner->ListView();
    if (lv && lv->HandleAllocated() && !FOwner->FDeleting) lv->UpdateItem(FOwner);
  }

 private:
  TListItem* FOwner;
};

// ---------------------------------------------------------------------------
// TListColumn

TListColumn::TListColumn(TCollection* Collection) : TCollectionItem(Collection) {}

void TListColumn::Assign(TPersistent* Source) {
  auto* c = dynamic_cast<TListColumn*>(Source);
  if (!c) {
    inherited::Assign(Source);
    return;
  }
  FCaption = c->FCaption;
  FWidth = c->Width();
  FAlignment = c->FAlignment;
  FImageIndex = c->FImageIndex;
  FAutoSize = c->FAutoSize;
  FMinWidth = c->FMinWidth;
  FMaxWidth = c->FMaxWidth;
  FTag = c->FTag;
  Changed(false);
}

TCustomListView* TListColumn::ListView() const {
  auto* cols = dynamic_cast<TListColumns*>(Collection());
  return cols ? cols->Owner() : nullptr;
}

Integer TListColumn::Width() const {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated() && lv->ViewStyle() == vsReport)
    return Integer(lv->LV(LVM_GETCOLUMNWIDTH, WPARAM(Index()), 0));
  return FWidth;
}

void TListColumn::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TListColumn::SetWidth(Integer Value) {
  if (FMinWidth > 0 && Value < FMinWidth) Value = FMinWidth;
  if (FMaxWidth > 0 && Value > FMaxWidth) Value = FMaxWidth;
  if (Value == Width() && Value == FWidth) return;
  FWidth = Value;
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void TListColumn::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TListColumn::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (TCustomListView* lv = ListView()) lv->ResizeAutoColumns();
}

void TListColumn::SetMinWidth(Integer Value) {
  FMinWidth = std::max(0, Value);
  if (FMinWidth > 0 && Width() < FMinWidth) SetWidth(FMinWidth);
}

void TListColumn::SetMaxWidth(Integer Value) {
  FMaxWidth = std::max(0, Value);
  if (FMaxWidth > 0 && Width() > FMaxWidth) SetWidth(FMaxWidth);
}

TListColumns::TListColumns(TCustomListView* AOwner)
    : TOwnedCollection(AOwner, TListColumn::StaticClass()), FListView(AOwner) {}

void TListColumns::Update(TCollectionItem* Item) {
  if (!FListView->HandleAllocated()) return;
  if (Item) FListView->UpdateColumn(Item->Index());
  else FListView->UpdateColumns();
}

void TListColumns::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  inherited::Notify(Item, Action);
  if (!FListView->HandleAllocated()) return;
  if (Action == cnAdded) {
    LVCOLUMNW c;
    c.mask = LVCF_WIDTH | LVCF_SUBITEM;
    c.cx = static_cast<TListColumn*>(Item)->FWidth;
    c.iSubItem = Item->Index();
    FListView->LV(LVM_INSERTCOLUMNW, WPARAM(Item->Index()), reinterpret_cast<LPARAM>(&c));
    FListView->UpdateColumn(Item->Index());
  } else if (Action == cnDeleting || Action == cnExtracting) {
    FListView->LV(LVM_DELETECOLUMN, WPARAM(Item->Index()), 0);
  }
}

// ---------------------------------------------------------------------------
// TListItem

TListItem::TListItem(TListItems* AOwner) : FOwner(AOwner), FSubItems(std::make_unique<TSubItems>(this)) {}

TListItem::~TListItem() = default;

void TListItem::Assign(TPersistent* Source) {
  auto* it = dynamic_cast<TListItem*>(Source);
  if (!it) {
    inherited::Assign(Source);
    return;
  }
  FCaption = it->FCaption;
  FImageIndex = it->FImageIndex;
  FStateIndex = it->FStateIndex;
  FOverlayIndex = it->FOverlayIndex;
  FData = it->FData;
  FSubItems->Assign(it->FSubItems.get());
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated()) lv->UpdateItem(this);
}

TCustomListView* TListItem::ListView() const { return FOwner ? FOwner->Owner() : nullptr; }

Integer TListItem::Index() const { return FOwner ? FOwner->IndexOf(this) : -1; }

void TListItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  TCustomListView* lv = ListView();
  if (!lv || !lv->HandleAllocated()) return;
  LVITEMW it;
  it.iSubItem = 0;
  it.pszText = const_cast<char16_t*>(FCaption.c_str());
  lv->LV(LVM_SETITEMTEXTW, WPARAM(Index()), reinterpret_cast<LPARAM>(&it));
  if (lv->SortType() == stText || lv->SortType() == stBoth) lv->AlphaSort();
}

void TListItem::SetSubItems(TStrings* Value) { FSubItems->Assign(Value); }

void TListItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated()) lv->UpdateItem(this);
}

void TListItem::SetStateIndex(Integer Value) {
  if (FStateIndex == Value) return;
  FStateIndex = Value;
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated()) lv->UpdateItem(this);
}

void TListItem::SetOverlayIndex(Integer Value) {
  if (FOverlayIndex == Value) return;
  FOverlayIndex = Value;
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated()) lv->UpdateItem(this);
}

void TListItem::SetData(Pointer Value) {
  FData = Value;
  if (TCustomListView* lv = ListView(); lv && (lv->SortType() == stData || lv->SortType() == stBoth)) lv->AlphaSort();
}

UINT TListItem::WindowState() const {
  TCustomListView* lv = ListView();
  if (!lv || !lv->HandleAllocated()) return 0;
  return UINT(lv->LV(LVM_GETITEMSTATE, WPARAM(Index()), LPARAM(0xFFFF)));
}

void TListItem::SetWindowState(UINT State, UINT Mask, bool Value) {
  TCustomListView* lv = ListView();
  if (!lv || !lv->HandleAllocated()) return;
  LVITEMW it;
  it.stateMask = Mask;
  it.state = Value ? State : 0;
  lv->LV(LVM_SETITEMSTATE, WPARAM(Index()), reinterpret_cast<LPARAM>(&it));
}

bool TListItem::Selected() const {
  TCustomListView* lv = ListView();
  return lv && lv->HandleAllocated() ? (WindowState() & LVIS_SELECTED) != 0 : FSelected;
}

void TListItem::SetSelected(bool Value) {
  FSelected = Value;
  SetWindowState(LVIS_SELECTED, LVIS_SELECTED, Value);
}

bool TListItem::Focused() const {
  TCustomListView* lv = ListView();
  return lv && lv->HandleAllocated() ? (WindowState() & LVIS_FOCUSED) != 0 : FFocused;
}

void TListItem::SetFocused(bool Value) {
  FFocused = Value;
  SetWindowState(LVIS_FOCUSED, LVIS_FOCUSED, Value);
}

bool TListItem::Checked() const {
  TCustomListView* lv = ListView();
  if (lv && lv->HandleAllocated() && lv->Checkboxes()) return ((WindowState() & LVIS_STATEIMAGEMASK) >> 12) == 2;
  return FChecked;
}

void TListItem::SetChecked(bool Value) {
  FChecked = Value;
  TCustomListView* lv = ListView();
  if (lv && lv->Checkboxes()) SetWindowState(INDEXTOSTATEIMAGEMASK(Value ? 2 : 1), LVIS_STATEIMAGEMASK, true);
}

TRect TListItem::DisplayRect(TDisplayCode Code) const {
  TCustomListView* lv = ListView();
  RECT r{LONG(Code), 0, 0, 0};
  if (!lv || !lv->HandleAllocated() || !lv->LV(LVM_GETITEMRECT, WPARAM(Index()), reinterpret_cast<LPARAM>(&r)))
    return TRect(0, 0, 0, 0);
  return r;
}

bool TListItem::EditCaption() {
  TCustomListView* lv = ListView();
  if (!lv) return false;
  if (!lv->Focused()) lv->SetFocus();
  return lv->LV(LVM_EDITLABELW, WPARAM(Index()), 0) != 0;
}

void TListItem::CancelEdit() {
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated()) lv->LV(LVM_CANCELEDITLABEL, 0, 0);
}

void TListItem::MakeVisible(bool PartialOK) {
  if (TCustomListView* lv = ListView(); lv && lv->HandleAllocated())
    lv->LV(LVM_ENSUREVISIBLE, WPARAM(Index()), PartialOK ? 1 : 0);
}

void TListItem::Delete() {
  if (FOwner) FOwner->Delete(Index());
}

// ---------------------------------------------------------------------------
// TListItems

TListItems::~TListItems() {
  for (TListItem* it : FItems) delete it;
}

void TListItems::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TListItems*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Clear();
  for (TListItem* it : src->FItems) Add()->Assign(it);
  EndUpdate();
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(Integer Index) { return AddItem(nullptr, Index); }

TListItem* TListItems::AddItem(TListItem* Item, Integer Index) {
  if (Index < 0 || Index > Count()) Index = Count();
  TListItem* it = FOwner->CreateListItem();
  if (Item) it->Assign(Item);
  FItems.insert(FItems.begin() + Index, it);
  if (FOwner->HandleAllocated()) {
    FOwner->SendItem(it, Index);
    if (FOwner->SortType() == stText || FOwner->SortType() == stBoth) FOwner->AlphaSort();
  } else {
    FOwner->InsertItem(it);
  }
  return it;
}

void TListItems::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) ListViewIndexError(Index);
  TListItem* it = FItems[size_t(Index)];
  it->FDeleting = true;
  if (FOwner->HandleAllocated()) FOwner->LV(LVM_DELETEITEM, WPARAM(Index), 0);
  else FOwner->Delete(it);
  // The window's notice may have run code that moved the items.
  auto pos = std::find(FItems.begin(), FItems.end(), it);
  if (pos != FItems.end()) FItems.erase(pos);
  delete it;
}

void TListItems::Clear() {
  if (FOwner->HandleAllocated()) {
    for (TListItem* it : FItems) it->FDeleting = true;
    FOwner->LV(LVM_DELETEALLITEMS, 0, 0);
  } else {
    for (TListItem* it : FItems) FOwner->Delete(it);
  }
  std::vector<TListItem*> gone;
  gone.swap(FItems);
  for (TListItem* it : gone) delete it;
}

TListItem* TListItems::Item(Integer Index) const {
  if (Index < 0 || Index >= Count()) ListViewIndexError(Index);
  return FItems[size_t(Index)];
}

Integer TListItems::IndexOf(const TListItem* Value) const {
  auto pos = std::find(FItems.begin(), FItems.end(), Value);
  return pos == FItems.end() ? -1 : Integer(pos - FItems.begin());
}

void TListItems::BeginUpdate() {
  if (FUpdateCount++ == 0 && FOwner->HandleAllocated()) FOwner->LV(WM_SETREDRAW, 0, 0);
}

void TListItems::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FOwner->HandleAllocated()) {
    FOwner->LV(WM_SETREDRAW, 1, 0);
    InvalidateRect(FOwner->Handle(), nullptr, true);
  }
}

// ---------------------------------------------------------------------------
// TIconOptions

void TIconOptions::Assign(TPersistent* Source) {
  auto* o = dynamic_cast<TIconOptions*>(Source);
  if (!o) {
    inherited::Assign(Source);
    return;
  }
  FArrangement = o->FArrangement;
  FAutoArrange = o->FAutoArrange;
  FWrapText = o->FWrapText;
  FListView->RecreateWnd();
}

void TIconOptions::SetArrangement(TIconArrangement Value) {
  if (FArrangement == Value) return;
  FArrangement = Value;
  FListView->RecreateWnd();
}

void TIconOptions::SetAutoArrange(bool Value) {
  if (FAutoArrange == Value) return;
  FAutoArrange = Value;
  FListView->RecreateWnd();
}

void TIconOptions::SetWrapText(bool Value) {
  if (FWrapText == Value) return;
  FWrapText = Value;
  FListView->RecreateWnd();
}

// ---------------------------------------------------------------------------
// TCustomListView

TCustomListView::TCustomListView(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  SetBounds(Left(), Top(), 250, 150);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
  FListItems = std::make_unique<TListItems>(this);
  FListColumns = std::make_unique<TListColumns>(this);
  FListColumns->SetPropName(u"Columns");
  FIconOptions = std::make_unique<TIconOptions>(this);
  FImageChangeLink = std::make_unique<TChangeLink>();
  FImageChangeLink->OnChange = TNotifyEvent(this, &TCustomListView::ImageListChange);
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TCustomListView::~TCustomListView() {
  for (TCustomImageList* l : {FSmallImages, FLargeImages, FStateImages})
    if (l) l->UnRegisterChanges(FImageChangeLink.get());
  FCanvas->FreeHandle();
  // The items go without their window; no notice reaches a half-gone view.
  if (HandleAllocated()) DestroyHandle();
}

void TCustomListView::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  InitCommonControls();
  CreateSubClass(Params, WC_LISTVIEW);
  static const DWORD views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  Params.Style |= WS_CLIPCHILDREN | LVS_SHAREIMAGELISTS | views[size_t(FViewStyle)];
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  if (!FMultiSelect) Params.Style |= LVS_SINGLESEL;
  if (!FHideSelection) Params.Style |= LVS_SHOWSELALWAYS;
  if (!FReadOnly) Params.Style |= LVS_EDITLABELS;
  if (!FShowColumnHeaders) Params.Style |= LVS_NOCOLUMNHEADER;
  if (!FColumnClick) Params.Style |= LVS_NOSORTHEADER;
  if (FOwnerDraw) Params.Style |= LVS_OWNERDRAWFIXED;
  if (FIconOptions->Arrangement() == iaLeft) Params.Style |= LVS_ALIGNLEFT;
  if (FIconOptions->AutoArrange()) Params.Style |= LVS_AUTOARRANGE;
  if (!FIconOptions->WrapText()) Params.Style |= LVS_NOLABELWRAP;
}

DWORD TCustomListView::ExtendedStyle() const {
  DWORD ex = 0;
  if (FGridLines) ex |= LVS_EX_GRIDLINES;
  if (FRowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (FCheckboxes) ex |= LVS_EX_CHECKBOXES;
  if (FFullDrag) ex |= LVS_EX_HEADERDRAGDROP;
  if (FHotTrack) ex |= LVS_EX_TRACKSELECT;
  if (FFlatScrollBars) ex |= LVS_EX_FLATSB;
  return ex;
}

void TCustomListView::UpdateExtendedStyle() {
  if (HandleAllocated()) LV(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(ExtendedStyle()));
}

void TCustomListView::CreateWnd() {
  inherited::CreateWnd();
  UpdateExtendedStyle();
  LV(LVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
  LV(LVM_SETTEXTBKCOLOR, 0, LPARAM(CLR_NONE));
  LV(LVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
  if (FLargeImages) LV(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(FLargeImages->Handle()));
  if (FSmallImages) LV(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(FSmallImages->Handle()));
  if (FStateImages) LV(LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(FStateImages->Handle()));
  for (Integer c = 0; c < FListColumns->Count(); ++c) {
    LVCOLUMNW col;
    col.mask = LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = FListColumns->Items(c)->FWidth;
    col.iSubItem = c;
    LV(LVM_INSERTCOLUMNW, WPARAM(c), reinterpret_cast<LPARAM>(&col));
    UpdateColumn(c);
  }
  if (Integer(FSavedOrder.size()) == FListColumns->Count() && !FSavedOrder.empty())
    LV(LVM_SETCOLUMNORDERARRAY, WPARAM(FSavedOrder.size()), reinterpret_cast<LPARAM>(FSavedOrder.data()));
  FSavedOrder.clear();
  FRestoring = true;
  for (Integer i = 0; i < FListItems->Count(); ++i) SendItem(FListItems->FItems[size_t(i)], i);
  FRestoring = false;
  ResizeAutoColumns();
}

void TCustomListView::DestroyWnd() {
  // What only the window knew goes back into the objects.
  for (TListItem* it : FListItems->FItems) {
    UINT st = it->WindowState();
    it->FSelected = st & LVIS_SELECTED;
    it->FFocused = st & LVIS_FOCUSED;
    if (FCheckboxes) it->FChecked = ((st & LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  for (Integer c = 0; c < FListColumns->Count(); ++c) FListColumns->Items(c)->FWidth = FListColumns->Items(c)->Width();
  Integer n = FListColumns->Count();
  FSavedOrder.assign(size_t(n), 0);
  if (n > 0 && !LV(LVM_GETCOLUMNORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(FSavedOrder.data())))
    FSavedOrder.clear();
  // Whatever the window says on its way out is not a deletion of items.
  FInDestroyWnd = true;
  try {
    inherited::DestroyWnd();
  } catch (...) {
    FInDestroyWnd = false;
    throw;
  }
  FInDestroyWnd = false;
}

void TCustomListView::SendItem(TListItem* Item, Integer Index) {
  GetImageIndex(Item);
  LVITEMW it;
  it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
  it.iItem = Index;
  it.pszText = const_cast<char16_t*>(Item->FCaption.c_str());
  it.iImage = Item->FImageIndex;
  it.lParam = reinterpret_cast<LPARAM>(Item);
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
  it.state = (Item->FSelected ? LVIS_SELECTED : 0) | (Item->FFocused ? LVIS_FOCUSED : 0) |
             (Item->FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(UINT(Item->FOverlayIndex + 1)) : 0);
  if (FCheckboxes) it.state |= INDEXTOSTATEIMAGEMASK(Item->FChecked ? 2 : 1);
  else if (Item->FStateIndex >= 0) it.state |= INDEXTOSTATEIMAGEMASK(UINT(Item->FStateIndex + 1));
  bool was = FSending;
  FSending = true;
  LV(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
  for (Integer s = 0; s < Item->FSubItems->Count(); ++s) {
    LVITEMW sub;
    sub.iSubItem = s + 1;
    String text = Item->FSubItems->Strings(s);
    sub.pszText = text.data();
    LV(LVM_SETITEMTEXTW, WPARAM(Index), reinterpret_cast<LPARAM>(&sub));
  }
  FSending = was;
}

void TCustomListView::UpdateItem(TListItem* Item) {
  Integer i = Item->Index();
  if (i < 0 || !HandleAllocated()) return;
  GetImageIndex(Item);
  LVITEMW it;
  it.mask = LVIF_IMAGE | LVIF_STATE;
  it.iItem = i;
  it.iImage = Item->FImageIndex;
  it.stateMask = LVIS_OVERLAYMASK;
  it.state = Item->FOverlayIndex >= 0 ? INDEXTOOVERLAYMASK(UINT(Item->FOverlayIndex + 1)) : 0;
  if (!FCheckboxes) {
    it.stateMask |= LVIS_STATEIMAGEMASK;
    if (Item->FStateIndex >= 0) it.state |= INDEXTOSTATEIMAGEMASK(UINT(Item->FStateIndex + 1));
  }
  LV(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
  for (Integer s = 0; s < Item->FSubItems->Count(); ++s) {
    LVITEMW sub;
    sub.iSubItem = s + 1;
    String text = Item->FSubItems->Strings(s);
    sub.pszText = text.data();
    LV(LVM_SETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&sub));
  }
  // Sub-items that were removed show empty.
  for (Integer s = Item->FSubItems->Count(); s < FListColumns->Count(); ++s) {
    LVITEMW sub;
    sub.iSubItem = s + 1;
    sub.pszText = const_cast<char16_t*>(u"");
    LV(LVM_SETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&sub));
  }
}

void TCustomListView::UpdateColumn(Integer Index) {
  if (!HandleAllocated() || Index < 0 || Index >= FListColumns->Count()) return;
  TListColumn* c = FListColumns->Items(Index);
  LVCOLUMNW col;
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_IMAGE;
  static const int fmts[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
  col.fmt = fmts[size_t(c->FAlignment)] | (c->FImageIndex >= 0 ? LVCFMT_IMAGE : 0);
  col.cx = c->FWidth;
  col.pszText = const_cast<char16_t*>(c->FCaption.c_str());
  col.iImage = c->FImageIndex;
  LV(LVM_SETCOLUMNW, WPARAM(Index), reinterpret_cast<LPARAM>(&col));
}

void TCustomListView::UpdateColumns() {
  if (!HandleAllocated()) return;
  for (Integer c = 0; c < FListColumns->Count(); ++c) UpdateColumn(c);
  ResizeAutoColumns();
}

void TCustomListView::ResizeAutoColumns() {
  if (!HandleAllocated() || FViewStyle != vsReport) return;
  Integer fixed = 0, autos = 0;
  for (Integer c = 0; c < FListColumns->Count(); ++c) {
    if (FListColumns->Items(c)->FAutoSize) ++autos;
    else fixed += FListColumns->Items(c)->Width();
  }
  if (autos == 0) return;
  Integer each = std::max(0, (ClientWidth() - fixed) / autos);
  for (Integer c = 0; c < FListColumns->Count(); ++c) {
    TListColumn* col = FListColumns->Items(c);
    if (!col->FAutoSize) continue;
    Integer w = std::max(each, col->FMinWidth);
    if (col->FMaxWidth > 0) w = std::min(w, col->FMaxWidth);
    col->FWidth = w;
    LV(LVM_SETCOLUMNWIDTH, WPARAM(c), LPARAM(w));
  }
}

void TCustomListView::SyncOrder() {
  if (!HandleAllocated()) return;
  Integer n = Integer(LV(LVM_GETITEMCOUNT, 0, 0));
  std::vector<TListItem*> order;
  for (Integer i = 0; i < n; ++i) {
    LVITEMW it;
    it.mask = LVIF_PARAM;
    it.iItem = i;
    if (LV(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) order.push_back(ItemOf(it.lParam));
  }
  if (Integer(order.size()) == FListItems->Count()) FListItems->FItems = order;
}

void TCustomListView::SetViewStyle(TViewStyle Value) {
  if (FViewStyle == Value) return;
  FViewStyle = Value;
  if (!HandleAllocated()) return;
  // The window changes its view in place.
  static const DWORD views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  LONG st = GetWindowLongW(Handle(), GWL_STYLE);
  SetWindowLongW(Handle(), GWL_STYLE, LONG((DWORD(st) & ~LVS_TYPEMASK) | views[size_t(Value)]));
  ResizeAutoColumns();
}

void TCustomListView::SetShowColumnHeaders(bool Value) {
  if (FShowColumnHeaders == Value) return;
  FShowColumnHeaders = Value;
  RecreateWnd();
}

void TCustomListView::SetColumnClick(bool Value) {
  if (FColumnClick == Value) return;
  FColumnClick = Value;
  RecreateWnd();
}

void TCustomListView::SetFullDrag(bool Value) {
  FFullDrag = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetGridLines(bool Value) {
  FGridLines = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetRowSelect(bool Value) {
  FRowSelect = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetCheckboxes(bool Value) {
  if (FCheckboxes == Value) return;
  FCheckboxes = Value;
  RecreateWnd();
}

void TCustomListView::SetHotTrack(bool Value) {
  FHotTrack = Value;
  UpdateExtendedStyle();
}

void TCustomListView::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListView::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomListView::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  RecreateWnd();
}

void TCustomListView::SetOwnerDraw(bool Value) {
  if (FOwnerDraw == Value) return;
  FOwnerDraw = Value;
  RecreateWnd();
}

void TCustomListView::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomListView::SetSortType(TSortType Value) {
  if (FSortType == Value) return;
  FSortType = Value;
  if (Value != stNone) AlphaSort();
}

void TCustomListView::SetImageList(TCustomImageList*& Field, TCustomImageList* Value, WPARAM Kind) {
  if (Field == Value) return;
  if (Field) {
    Field->UnRegisterChanges(FImageChangeLink.get());
    Field->RemoveFreeNotification(this);
  }
  Field = Value;
  if (Field) {
    Field->RegisterChanges(FImageChangeLink.get());
    Field->FreeNotification(this);
  }
  if (HandleAllocated()) LV(LVM_SETIMAGELIST, Kind, reinterpret_cast<LPARAM>(Field ? Field->Handle() : nullptr));
}

void TCustomListView::ImageListChange(TObject* Sender) {
  if (!HandleAllocated()) return;
  if (Sender == FLargeImages)
    LV(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(FLargeImages->Handle()));
  if (Sender == FSmallImages) LV(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(FSmallImages->Handle()));
  if (Sender == FStateImages) LV(LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(FStateImages->Handle()));
}

void TCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FSmallImages) SetSmallImages(nullptr);
  if (AComponent == FLargeImages) SetLargeImages(nullptr);
  if (AComponent == FStateImages) SetStateImages(nullptr);
}

namespace {

int CALLBACK_DefaultCompare(LPARAM a, LPARAM b, LPARAM ctx) {
  auto* c = reinterpret_cast<SortContext*>(ctx);
  auto* i1 = reinterpret_cast<TListItem*>(a);
  auto* i2 = reinterpret_cast<TListItem*>(b);
  if (c->Proc) return c->Proc(a, b, c->Data);
  Integer r = 0;
  if (c->View->OnCompare()) c->View->OnCompare()(c->View, i1, i2, Integer(c->Data), r);
  else r = AnsiCompareText(i1->Caption(), i2->Caption());
  return r;
}

}  // namespace

bool TCustomListView::CustomSort(PFNLVCOMPARE SortProc, LPARAM lParam) {
  if (!HandleAllocated()) return false;
  SortContext ctx{this, SortProc, lParam};
  bool ok = LV(LVM_SORTITEMS, WPARAM(&ctx), reinterpret_cast<LPARAM>(&CALLBACK_DefaultCompare)) != 0;
  SyncOrder();
  return ok;
}

bool TCustomListView::AlphaSort() { return CustomSort(nullptr, 0); }

void TCustomListView::Scroll(Integer DX, Integer DY) {
  if (HandleAllocated()) LV(LVM_SCROLL, WPARAM(intptr_t(DX)), LPARAM(DY));
}

TListItem* TCustomListView::TopItem() {
  if (!HandleAllocated() || FListItems->Count() == 0) return nullptr;
  Integer i = Integer(LV(LVM_GETTOPINDEX, 0, 0));
  return i >= 0 && i < FListItems->Count() ? FListItems->Item(i) : nullptr;
}

Integer TCustomListView::VisibleRowCount() {
  if (!HandleAllocated()) return 0;
  if (FViewStyle == vsReport || FViewStyle == vsList) {
    Integer n = Integer(LV(LVM_GETCOUNTPERPAGE, 0, 0));
    if (FViewStyle == vsList) {
      RECT r{LVIR_BOUNDS, 0, 0, 0};
      if (FListItems->Count() > 0 && LV(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) && r.Bottom > r.Top)
        return std::max(1, ClientHeight() / Integer(r.Bottom - r.Top));
    }
    return n;
  }
  return FListItems->Count();
}

TListItem* TCustomListView::GetItemAt(Integer X, Integer Y) {
  if (!HandleAllocated()) return nullptr;
  LVHITTESTINFO ht;
  ht.pt = POINT(X, Y);
  Integer i = Integer(LV(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
  return i >= 0 && i < FListItems->Count() ? FListItems->Item(i) : nullptr;
}

TListItem* TCustomListView::Selected() {
  if (!HandleAllocated()) {
    for (TListItem* it : FListItems->FItems)
      if (it->FSelected) return it;
    return nullptr;
  }
  Integer i = Integer(LV(LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  return i >= 0 && i < FListItems->Count() ? FListItems->Item(i) : nullptr;
}

void TCustomListView::SetSelected(TListItem* Value) {
  ClearSelection();
  if (Value) Value->SetSelected(true);
}

TListItem* TCustomListView::ItemFocused() {
  if (!HandleAllocated()) {
    for (TListItem* it : FListItems->FItems)
      if (it->FFocused) return it;
    return nullptr;
  }
  Integer i = Integer(LV(LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
  return i >= 0 && i < FListItems->Count() ? FListItems->Item(i) : nullptr;
}

void TCustomListView::SetItemFocused(TListItem* Value) {
  if (Value) Value->SetFocused(true);
  else if (TListItem* f = ItemFocused()) f->SetFocused(false);
}

Integer TCustomListView::SelCount() {
  if (HandleAllocated()) return Integer(LV(LVM_GETSELECTEDCOUNT, 0, 0));
  Integer n = 0;
  for (TListItem* it : FListItems->FItems) n += it->FSelected ? 1 : 0;
  return n;
}

bool TCustomListView::IsEditing() { return HandleAllocated() && LV(LVM_GETEDITCONTROL, 0, 0) != 0; }

TListItem* TCustomListView::FindCaption(Integer StartIndex, const String& Value, bool Partial, bool Inclusive,
                                        bool Wrap) {
  if (!HandleAllocated()) return nullptr;
  LVFINDINFOW fi;
  fi.flags = LVFI_STRING | (Partial ? LVFI_PARTIAL : 0) | (Wrap ? LVFI_WRAP : 0);
  fi.psz = Value.c_str();
  Integer i = Integer(LV(LVM_FINDITEMW, WPARAM(intptr_t(Inclusive ? StartIndex - 1 : StartIndex)),
                         reinterpret_cast<LPARAM>(&fi)));
  return i >= 0 && i < FListItems->Count() ? FListItems->Item(i) : nullptr;
}

TListItem* TCustomListView::FindData(Integer StartIndex, Pointer Value, bool Inclusive, bool Wrap) {
  Integer n = FListItems->Count();
  Integer from = Inclusive ? StartIndex : StartIndex + 1;
  for (Integer k = 0; k < n; ++k) {
    Integer i = from + k;
    if (i >= n) {
      if (!Wrap) break;
      i -= n;
    }
    if (i >= 0 && FListItems->Item(i)->Data() == Value) return FListItems->Item(i);
  }
  return nullptr;
}

void TCustomListView::ClearSelection() {
  for (TListItem* it : std::vector<TListItem*>(FListItems->FItems))
    if (it->Selected()) it->SetSelected(false);
}

void TCustomListView::SelectAll() {
  if (!FMultiSelect) return;
  for (TListItem* it : std::vector<TListItem*>(FListItems->FItems)) it->SetSelected(true);
}

bool TCustomListView::CanChange(TListItem* Item, TItemChange Change) {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, Item, Change, allow);
  return allow;
}

void TCustomListView::Change(TListItem* Item, TItemChange Change) {
  if (FOnChange) FOnChange(this, Item, Change);
}

bool TCustomListView::CanEdit(TListItem* Item) {
  bool allow = true;
  if (FOnEditing) FOnEditing(this, Item, allow);
  return allow;
}

void TCustomListView::Edit(const LVITEMW& Item) {
  TListItem* it = ItemOf(Item.lParam);
  if (!it || FListItems->IndexOf(it) < 0) return;
  String s = Item.pszText ? String(Item.pszText) : String();
  if (FOnEdited) FOnEdited(this, it, s);
  if (FListItems->IndexOf(it) >= 0) it->SetCaption(s);
}

void TCustomListView::InsertItem(TListItem* Item) {
  if (FOnInsert) FOnInsert(this, Item);
}

void TCustomListView::Delete(TListItem* Item) {
  if (FOnDeletion) FOnDeletion(this, Item);
}

void TCustomListView::ColClick(TListColumn* Column) {
  if (FOnColumnClick) FOnColumnClick(this, Column);
}

void TCustomListView::DrawItem(TListItem* Item, const TRect& Rect, TOwnerDrawState State) {
  if (FOnDrawItem) {
    FOnDrawItem(this, Item, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  FCanvas->TextOut(Rect.Left + 2, Rect.Top + 1, Item->Caption());
}

TListItem* TCustomListView::CreateListItem() {
  TListItemClass cls = TListItem::StaticClass();
  if (FOnCreateItemClass) FOnCreateItemClass(this, cls);
  // A descendant class is made by its own constructor from the items.
  if (cls && cls != TListItem::StaticClass() && cls->InheritsFrom(TListItem::StaticClass()) && cls->CanCreate())
    return static_cast<TListItem*>(cls->Create(FListItems.get()));
  return new TListItem(FListItems.get());
}

void TCustomListView::GetImageIndex(TListItem* Item) {
  if (FOnGetImageIndex) FOnGetImageIndex(this, Item);
}

void TCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(Message.LParam);
      auto* lv = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      Message.Result = 0;
      switch (nm->code) {
        case LVN_ITEMCHANGING:
        case LVN_ITEMCHANGED: {
          TListItem* it = ItemOf(lv->lParam);
          if (!it || it->FDeleting || FSending || FInDestroyWnd) return;
          TItemChange ch = (lv->uChanged & LVIF_TEXT) ? ctText : (lv->uChanged & LVIF_IMAGE) ? ctImage : ctState;
          if (nm->code == LVN_ITEMCHANGING) {
            Message.Result = CanChange(it, ch) ? 0 : 1;
            return;
          }
          Change(it, ch);
          if (ch == ctState && ((lv->uNewState ^ lv->uOldState) & LVIS_SELECTED) && FOnSelectItem)
            FOnSelectItem(this, it, (lv->uNewState & LVIS_SELECTED) != 0);
          if (ch == ctState && FCheckboxes && ((lv->uNewState ^ lv->uOldState) & LVIS_STATEIMAGEMASK) &&
              (lv->uOldState & LVIS_STATEIMAGEMASK) && FOnItemChecked)
            FOnItemChecked(this, it);
          return;
        }
        case LVN_INSERTITEM:
          if (TListItem* it = ItemOf(lv->lParam); it && !FRestoring) InsertItem(it);
          return;
        case LVN_DELETEITEM:
          if (TListItem* it = ItemOf(lv->lParam); it && !FInDestroyWnd) Delete(it);
          return;
        case LVN_DELETEALLITEMS:
          return;
        case LVN_COLUMNCLICK:
          if (lv->iSubItem >= 0 && lv->iSubItem < FListColumns->Count()) ColClick(FListColumns->Items(lv->iSubItem));
          return;
        case LVN_BEGINLABELEDITW: {
          auto* d = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
          TListItem* it = ItemOf(d->item.lParam);
          Message.Result = (FReadOnly || !it || !CanEdit(it)) ? 1 : 0;
          return;
        }
        case LVN_ENDLABELEDITW: {
          auto* d = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
          if (d->item.pszText) Edit(d->item);
          return;
        }
        case NM_CLICK:
          Click();
          return;
        case NM_DBLCLK:
          DblClick();
          return;
        default:
          return;
      }
    }
    case CN_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      TListItem* it = ItemOf(LPARAM(di->itemData));
      if (!it || FListItems->IndexOf(it) < 0) return;
      TOwnerDrawState st;
      if (di->itemState & ODS_SELECTED) st.Include(odSelected);
      if (di->itemState & ODS_FOCUS) st.Include(odFocused);
      FCanvas->Lock();
      FCanvas->FreeHandle();
      FCanvas->SetHandle(di->hDC);
      FCanvas->Font()->Assign(Font());
      FCanvas->Brush()->Assign(Brush());
      if (st.Contains(odSelected)) {
        FCanvas->Brush()->SetColor(clHighlight);
        FCanvas->Font()->SetColor(clHighlightText);
      }
      TRect r(di->rcItem.Left, di->rcItem.Top, di->rcItem.Right, di->rcItem.Bottom);
      try {
        DrawItem(it, r, st);
      } catch (...) {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
        throw;
      }
      FCanvas->SetHandle(nullptr);
      FCanvas->Unlock();
      Message.Result = 1;
      return;
    }
    case WM_NOTIFY: {
      // The header's notices reach the view's own procedure first.
      auto* nm = reinterpret_cast<NMHDR*>(Message.LParam);
      HWND hdr = HandleAllocated() ? reinterpret_cast<HWND>(LV(LVM_GETHEADER, 0, 0)) : nullptr;
      if (!nm || !hdr || nm->hwndFrom != hdr) break;
      if (nm->code == NM_RCLICK) {
        POINT p;
        GetCursorPos(&p);
        ::vcl::ScreenToClient(hdr, &p);
        HDHITTESTINFO ht;
        ht.pt = p;
        Integer c = Integer(SendMessageW(hdr, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
        if (c >= 0 && c < FListColumns->Count() && FOnColumnRightClick) {
          POINT q = p;
          ::vcl::ClientToScreen(hdr, &q);
          ::vcl::ScreenToClient(Handle(), &q);
          FOnColumnRightClick(this, FListColumns->Items(c), TPoint(q.X, q.Y));
        }
        Message.Result = 0;
        return;
      }
      inherited::Dispatch(Message);
      if (nm->code == HDN_ENDDRAG && Message.Result == 0) PostMessageW(Handle(), kColumnDragged, 0, 0);
      if (nm->code == HDN_ITEMCHANGEDW) {
        auto* hn = reinterpret_cast<NMHEADERW*>(Message.LParam);
        if (hn->iItem >= 0 && hn->iItem < FListColumns->Count() && hn->pitem && (hn->pitem->mask & HDI_WIDTH)) {
          TListColumn* c = FListColumns->Items(hn->iItem);
          Integer w = hn->pitem->cxy;
          if (c->FMinWidth > 0 && w < c->FMinWidth) w = c->FMinWidth;
          if (c->FMaxWidth > 0 && w > c->FMaxWidth) w = c->FMaxWidth;
          c->FWidth = w;
          if (w != hn->pitem->cxy) LV(LVM_SETCOLUMNWIDTH, WPARAM(hn->iItem), LPARAM(w));
        }
      }
      return;
    }
    case WM_SIZE:
      inherited::Dispatch(Message);
      ResizeAutoColumns();
      return;
    case CM_COLORCHANGED:
      inherited::Dispatch(Message);
      if (HandleAllocated()) {
        LV(LVM_SETBKCOLOR, 0, LPARAM(ColorToRGB(Color())));
        InvalidateRect(Handle(), nullptr, true);
      }
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      if (HandleAllocated()) LV(LVM_SETTEXTCOLOR, 0, LPARAM(ColorToRGB(Font()->Color())));
      return;
    default:
      if (Message.Msg == kColumnDragged) {
        if (FOnColumnDragged) FOnColumnDragged(this);
        return;
      }
      break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl
