// The tab control, the page control and the tab sheet.
#include "platform/vcl/ComCtrls.h"

#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"

namespace vcl {

namespace {

void IndexError(Integer Index) {
  throw EStringListError(u"List index out of bounds (" + IntToStr(Index) + u")");
}

}  // namespace

// ---------------------------------------------------------------------------
// TTabStrings

void TTabStrings::Insert(Integer Index, const String& S) {
  if (!TabControl->HandleAllocated()) {
    TabControl->FSaveTabs->Insert(Index, S);
    return;
  }
  if (Index < 0 || Index > GetCount()) IndexError(Index);
  TCITEMW it;
  it.mask = TCIF_TEXT | TCIF_IMAGE;
  it.pszText = const_cast<char16_t*>(S.c_str());
  it.iImage = TabControl->GetImageIndex(Index);
  if (TabControl->TC(TCM_INSERTITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&it)) < 0)
    throw EOutOfResources(u"Insufficient memory for this operation");
  // Later tabs moved up one: their images follow their new indexes.
  TabControl->UpdateTabImages();
  TabControl->Realign();
}

void TTabStrings::Delete(Integer Index) {
  if (!TabControl->HandleAllocated()) {
    TabControl->FSaveTabs->Delete(Index);
    return;
  }
  if (!TabControl->TC(TCM_DELETEITEM, WPARAM(Index), 0)) IndexError(Index);
  TabControl->UpdateTabImages();
  TabControl->Realign();
}

void TTabStrings::Clear() {
  if (!TabControl->HandleAllocated()) {
    TabControl->FSaveTabs->Clear();
    return;
  }
  TabControl->TC(TCM_DELETEALLITEMS, 0, 0);
  TabControl->Realign();
}

String TTabStrings::Get(Integer Index) {
  if (!TabControl->HandleAllocated()) return TabControl->FSaveTabs->Strings(Index);
  // Grown until the text fits: the control has no length message.
  for (int cap = 256;; cap *= 4) {
    String buf(size_t(cap), u'\0');
    TCITEMW it;
    it.mask = TCIF_TEXT;
    it.pszText = buf.data();
    it.cchTextMax = cap;
    if (!TabControl->TC(TCM_GETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&it))) IndexError(Index);
    size_t n = std::char_traits<char16_t>::length(buf.c_str());
    if (int(n) < cap - 1 || cap >= (1 << 20)) {
      buf.resize(n);
      return buf;
    }
  }
}

void TTabStrings::Put(Integer Index, const String& S) {
  if (!TabControl->HandleAllocated()) {
    TabControl->FSaveTabs->SetStrings(Index, S);
    return;
  }
  TCITEMW it;
  it.mask = TCIF_TEXT;
  it.pszText = const_cast<char16_t*>(S.c_str());
  if (!TabControl->TC(TCM_SETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&it))) IndexError(Index);
  TabControl->Realign();
}

TObject* TTabStrings::GetObject(Integer Index) {
  if (!TabControl->HandleAllocated()) return TabControl->FSaveTabs->Objects(Index);
  TCITEMW it;
  it.mask = TCIF_PARAM;
  if (!TabControl->TC(TCM_GETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&it))) IndexError(Index);
  return reinterpret_cast<TObject*>(it.lParam);
}

void TTabStrings::PutObject(Integer Index, TObject* AObject) {
  if (!TabControl->HandleAllocated()) {
    TabControl->FSaveTabs->SetObjects(Index, AObject);
    return;
  }
  TCITEMW it;
  it.mask = TCIF_PARAM;
  it.lParam = reinterpret_cast<LPARAM>(AObject);
  if (!TabControl->TC(TCM_SETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&it))) IndexError(Index);
}

Integer TTabStrings::GetCount() {
  if (!TabControl->HandleAllocated()) return TabControl->FSaveTabs->Count();
  return Integer(TabControl->TC(TCM_GETITEMCOUNT, 0, 0));
}

// ---------------------------------------------------------------------------
// TCustomTabControl

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csDoubleClicks, csOpaque};
  SetBounds(Left(), Top(), 289, 193);
  SetTabStop(true);
  FTabs = std::make_unique<TTabStrings>(this);
  FSaveTabs = std::make_unique<TStringList>();
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
  FImageChangeLink = std::make_unique<TChangeLink>();
  FImageChangeLink->OnChange = TNotifyEvent(this, &TCustomTabControl::ImageListChange);
}

TCustomTabControl::~TCustomTabControl() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
  FCanvas->FreeHandle();
}

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  InitCommonControls();
  CreateSubClass(Params, WC_TABCONTROL);
  Params.Style |= WS_CLIPCHILDREN;
  static const DWORD positions[] = {0, TCS_BOTTOM, TCS_VERTICAL, TCS_VERTICAL | TCS_RIGHT};
  Params.Style |= positions[size_t(FTabPosition)];
  if (FMultiLine) Params.Style |= TCS_MULTILINE;
  if (FStyle == tsButtons) Params.Style |= TCS_BUTTONS;
  if (FStyle == tsFlatButtons) Params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
  if (FHotTrack) Params.Style |= TCS_HOTTRACK;
  if (FOwnerDraw) Params.Style |= TCS_OWNERDRAWFIXED;
  if (FRaggedRight) Params.Style |= TCS_RAGGEDRIGHT;
  if (FScrollOpposite) Params.Style |= TCS_SCROLLOPPOSITE | TCS_MULTILINE;
  if (FTabWidth > 0) Params.Style |= TCS_FIXEDWIDTH;
}

void TCustomTabControl::CreateWnd() {
  inherited::CreateWnd();
  if (FImages && FImages->HandleAllocated()) TC(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->Handle()));
  SetTabSize();
  if (FSaveTabs->Count() > 0) {
    // The saved tabs go in as messages too, so a WindowProc sees them.
    TStringList saved;
    saved.Assign(FSaveTabs.get());
    FSaveTabs->Clear();
    for (Integer i = 0; i < saved.Count(); ++i) FTabs->AddObject(saved.Strings(i), saved.Objects(i));
  }
  FSaveTabs->Clear();
  if (FSaveTabIndex >= 0) SetTabIndex(FSaveTabIndex);
  Realign();
}

void TCustomTabControl::DestroyWnd() {
  FSaveTabIndex = TabIndex();
  TStringList tabs;
  Integer n = FTabs->Count();
  for (Integer i = 0; i < n; ++i) tabs.AddObject(FTabs->Strings(i), FTabs->Objects(i));
  inherited::DestroyWnd();
  FSaveTabs->Assign(&tabs);
}

Integer TCustomTabControl::TabIndex() {
  if (!HandleAllocated()) return FSaveTabIndex;
  return Integer(TC(TCM_GETCURSEL, 0, 0));
}

void TCustomTabControl::SetTabIndex(Integer Value) {
  if (!HandleAllocated()) {
    FSaveTabIndex = Value;
    return;
  }
  TC(TCM_SETCURSEL, WPARAM(Value), 0);
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  if (FTabPosition == Value) return;
  FTabPosition = Value;
  RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool Value) {
  if (FMultiLine == Value) return;
  FMultiLine = Value;
  RecreateWnd();
}

void TCustomTabControl::SetTabHeight(SmallInt Value) {
  if (FTabHeight == Value) return;
  FTabHeight = std::max<SmallInt>(0, Value);
  SetTabSize();
}

void TCustomTabControl::SetTabWidth(SmallInt Value) {
  if (FTabWidth == Value) return;
  bool fixedChanged = (FTabWidth > 0) != (Value > 0);
  FTabWidth = std::max<SmallInt>(0, Value);
  if (fixedChanged) RecreateWnd();
  else SetTabSize();
}

void TCustomTabControl::SetTabSize() {
  if (!HandleAllocated()) return;
  TC(TCM_SETITEMSIZE, 0, MAKELPARAM(WORD(FTabWidth), WORD(FTabHeight)));
  Realign();
}

void TCustomTabControl::SetStyle(TTabStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomTabControl::SetHotTrack(bool Value) {
  if (FHotTrack == Value) return;
  FHotTrack = Value;
  RecreateWnd();
}

void TCustomTabControl::SetOwnerDraw(bool Value) {
  if (FOwnerDraw == Value) return;
  FOwnerDraw = Value;
  RecreateWnd();
}

void TCustomTabControl::SetRaggedRight(bool Value) {
  if (FRaggedRight == Value) return;
  FRaggedRight = Value;
  RecreateWnd();
}

void TCustomTabControl::SetScrollOpposite(bool Value) {
  if (FScrollOpposite == Value) return;
  FScrollOpposite = Value;
  if (Value) FMultiLine = true;
  RecreateWnd();
}

void TCustomTabControl::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  if (HandleAllocated()) {
    TC(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
    UpdateTabImages();
    Realign();
  }
}

void TCustomTabControl::ImageListChange(TObject*) {
  if (!HandleAllocated()) return;
  TC(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
  UpdateTabImages();
  Realign();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

Integer TCustomTabControl::GetImageIndex(Integer TabIndex) {
  Integer i = TabIndex;
  if (FOnGetImageIndex) FOnGetImageIndex(this, TabIndex, i);
  return i;
}

void TCustomTabControl::UpdateTabImages() {
  if (!HandleAllocated()) return;
  Integer n = Integer(TC(TCM_GETITEMCOUNT, 0, 0));
  for (Integer i = 0; i < n; ++i) {
    TCITEMW it;
    it.mask = TCIF_IMAGE;
    it.iImage = GetImageIndex(i);
    TC(TCM_SETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&it));
  }
}

Integer TCustomTabControl::IndexOfTabAt(Integer X, Integer Y) {
  TCHITTESTINFO ht;
  ht.pt = POINT(X, Y);
  return Integer(TC(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht)));
}

TRect TCustomTabControl::TabRect(Integer Index) {
  RECT r{0, 0, 0, 0};
  if (!TC(TCM_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r))) return TRect(0, 0, 0, 0);
  return r;
}

TRect TCustomTabControl::DisplayRect() {
  RECT r = GetClientRect();
  TC(TCM_ADJUSTRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r;
}

Integer TCustomTabControl::RowCount() { return Integer(TC(TCM_GETROWCOUNT, 0, 0)); }

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
  // The sheets fill what the window answers, rewrites included.
  if (HandleAllocated()) Rect = DisplayRect();
  inherited::AdjustClientRect(Rect);
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (FOnChanging) FOnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomTabControl::DrawTab(Integer TabIndex, const TRect& Rect, bool Active) {
  if (FOnDrawTab) {
    FOnDrawTab(this, TabIndex, Rect, Active);
    return;
  }
  FCanvas->FillRect(Rect);
  String s = TabIndex < FTabs->Count() ? FTabs->Strings(TabIndex) : String();
  FCanvas->TextOut(Rect.Left + 3, Rect.Top + 2, s);
}

void TCustomTabControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(Message.LParam);
      if (nm->code == TCN_SELCHANGING) {
        Message.Result = CanChange() ? 0 : 1;
        return;
      }
      if (nm->code == TCN_SELCHANGE) {
        Change();
        Message.Result = 0;
        return;
      }
      break;
    }
    case CN_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      FCanvas->Lock();
      FCanvas->FreeHandle();
      FCanvas->SetHandle(di->hDC);
      FCanvas->Font()->Assign(Font());
      FCanvas->Brush()->Assign(Brush());
      TRect r(di->rcItem.Left, di->rcItem.Top, di->rcItem.Right, di->rcItem.Bottom);
      try {
        DrawTab(Integer(di->itemID), r, (di->itemState & ODS_SELECTED) != 0);
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
    case WM_SIZE:
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      if (HandleAllocated()) Realign();
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csNoDesignVisible, csParentBackground};
  SetAlign(alClient);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (FPageControl) SetPageControl(nullptr);
}

void TTabSheet::SetPageControl(TPageControl* APageControl) {
  if (FPageControl == APageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  SetParent(APageControl);
  if (APageControl) APageControl->InsertPage(this);
}

void TTabSheet::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  if (auto* pc = dynamic_cast<TPageControl*>(Reader->Parent())) SetPageControl(pc);
}

Integer TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  auto& p = FPageControl->FPages;
  return Integer(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(Integer Value) {
  if (FPageControl) FPageControl->MovePage(this, Value);
}

Integer TTabSheet::TabIndex() const {
  if (!FTabShowing || !FPageControl) return -1;
  Integer n = 0;
  for (TTabSheet* p : FPageControl->FPages) {
    if (p == this) return n;
    if (p->FTabShowing) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (FTabVisible == Value) return;
  FTabVisible = Value;
  if (FPageControl) FPageControl->UpdateTab(this);
}

void TTabSheet::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (FPageControl && FPageControl->HandleAllocated()) FPageControl->UpdateTabImages();
}

void TTabSheet::SetHighlighted(bool Value) {
  if (FHighlighted == Value) return;
  FHighlighted = Value;
  Integer t = TabIndex();
  if (t >= 0 && FPageControl->HandleAllocated())
    FPageControl->Perform(TCM_HIGHLIGHTITEM, WPARAM(t), MAKELPARAM(Value ? 1 : 0, 0));
}

void TTabSheet::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      inherited::Dispatch(Message);
      if (FPageControl) FPageControl->UpdateTab(this);
      return;
    case CM_SHOWINGCHANGED:
      inherited::Dispatch(Message);
      if (Showing()) {
        if (FOnShow) FOnShow(this);
      } else if (FOnHide) {
        FOnHide(this);
      }
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
  FControlStyle.Exclude(csAcceptsControls);
}

TPageControl::~TPageControl() {
  // The sheets outlive this part of the control while the window control
  // frees them; they forget it first.
  for (TTabSheet* p : FPages) p->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(Integer Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FPages[size_t(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->FPageControl = this;
  UpdateTab(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
  TTabSheet* next = nullptr;
  if (Page == FActivePage) {
    next = FindNextPage(Page, true, true);
    if (next == Page) next = nullptr;
  }
  if (Page->FTabShowing) {
    Integer t = Page->TabIndex();
    Page->FTabShowing = false;
    Tabs()->Delete(t);
  }
  FPages.erase(std::remove(FPages.begin(), FPages.end(), Page), FPages.end());
  Page->FPageControl = nullptr;
  if (Page == FActivePage) {
    FActivePage = nullptr;
    ChangeActivePage(next);
  } else if (FActivePage) {
    SetTabIndex(FActivePage->TabIndex());
  }
}

void TPageControl::MovePage(TTabSheet* Page, Integer NewIndex) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  NewIndex = std::clamp<Integer>(NewIndex, 0, PageCount() - 1);
  bool had = Page->FTabShowing;
  if (had) {
    Tabs()->Delete(Page->TabIndex());
    Page->FTabShowing = false;
  }
  FPages.erase(it);
  FPages.insert(FPages.begin() + NewIndex, Page);
  if (had) UpdateTab(Page);
  if (FActivePage) SetTabIndex(FActivePage->TabIndex());
}

void TPageControl::UpdateTab(TTabSheet* Page) {
  if (Page->FTabVisible && !Page->FTabShowing) {
    // Its place among the tabs: after the visible sheets before it.
    Page->FTabShowing = true;
    Integer t = Page->TabIndex();
    Tabs()->InsertObject(t, Page->Caption(), Page);
    if (Page->FHighlighted && HandleAllocated()) TC(TCM_HIGHLIGHTITEM, WPARAM(t), MAKELPARAM(1, 0));
  } else if (!Page->FTabVisible && Page->FTabShowing) {
    Integer t = Page->TabIndex();
    Page->FTabShowing = false;
    Tabs()->Delete(t);
  } else if (Page->FTabShowing) {
    Tabs()->Put(Page->TabIndex(), Page->Caption());
  }
  // The native selection follows the active sheet, none without one.
  SetTabIndex(FActivePage ? FActivePage->TabIndex() : -1);
}

void TPageControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TTabSheet* page : FPages)
    if (page->Owner() == Root) Proc(page);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root && std::find(FPages.begin(), FPages.end(), c) == FPages.end()) Proc(c);
  }
}

void TPageControl::CreateWnd() {
  inherited::CreateWnd();
  SetTabIndex(FActivePage ? FActivePage->TabIndex() : -1);
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
  TRect pages = Rect;
  AdjustClientRect(pages);
  inherited::AlignControls(AControl, Rect);
  for (TTabSheet* p : FPages)
    if (!p->Visible() && p->Align() == alClient)
      p->SetBounds(pages.Left, pages.Top, std::max(0, pages.Width()), std::max(0, pages.Height()));
}

TTabSheet* TPageControl::PageForTab(Integer TabIndex) const {
  for (TTabSheet* p : FPages)
    if (p->FTabShowing && p->TabIndex() == TabIndex) return p;
  return nullptr;
}

void TPageControl::ChangeActivePage(TTabSheet* Page) {
  if (FActivePage == Page) {
    if (Page) SetTabIndex(Page->TabIndex());
    return;
  }
  TCustomForm* form = GetParentForm(this);
  bool hadFocus = form && FActivePage && form->ActiveControl() &&
                  (form->ActiveControl() == FActivePage || FActivePage->ContainsControl(form->ActiveControl()));
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
    if (hadFocus) {
      // The focus leaves the sheet being hidden for the new one.
      if (Page->CanFocus()) form->SetActiveControl(Page);
      Page->SelectFirst();
    }
  }
  if (FActivePage) FActivePage->SetVisible(false);
  FActivePage = Page;
  SetTabIndex(Page ? Page->TabIndex() : -1);
  if (hadFocus && form && !Page) form->SetActiveControl(this);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->FPageControl != this) return;
  ChangeActivePage(Page);
}

Integer TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? FPages[size_t(Value)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) {
  Integer n = PageCount();
  if (n == 0) return nullptr;
  Integer start = CurPage ? CurPage->PageIndex() : -1;
  if (start < 0 || start >= n) start = GoForward ? n - 1 : 0;
  Integer i = start;
  for (Integer k = 0; k < n; ++k) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TTabSheet* p = FPages[size_t(i)];
    if (!CheckTabVisible || p->FTabVisible) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward, bool CheckTabVisible) {
  TTabSheet* p = FindNextPage(FActivePage, GoForward, CheckTabVisible);
  if (p && p != FActivePage && CanChange()) {
    SetActivePage(p);
    Change();
  }
}

void TPageControl::Change() {
  // A user's choice of tab shows the sheet of that tab.
  if (HandleAllocated()) {
    TTabSheet* p = PageForTab(TabIndex());
    if (p && p != FActivePage) ChangeActivePage(p);
  }
  inherited::Change();
}

Integer TPageControl::GetImageIndex(Integer TabIndex) {
  TTabSheet* p = PageForTab(TabIndex);
  Integer i = p ? p->ImageIndex() : TabIndex;
  if (OnGetImageIndex()) OnGetImageIndex()(this, TabIndex, i);
  return i;
}

void TPageControl::DrawTab(Integer TabIndex, const TRect& Rect, bool Active) {
  if (OnDrawTab()) {
    OnDrawTab()(this, TabIndex, Rect, Active);
    return;
  }
  TTabSheet* p = PageForTab(TabIndex);
  Canvas()->FillRect(Rect);
  Canvas()->TextOut(Rect.Left + 3, Rect.Top + 2, p ? p->Caption() : String());
}

void TPageControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY) {
    TWMKey key(Message);
    TCustomForm* form = GetParentForm(this);
    TWinControl* active = form ? form->ActiveControl() : nullptr;
    bool holds = Focused() || (active && ContainsControl(active));
    if (holds && key.CharCode() == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
      SelectNextPage(GetKeyState(VK_SHIFT) >= 0, true);
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TTabControl)
QN_PUBLISHED_IMPL(vcl::TTabSheet)
QN_PUBLISHED_IMPL(vcl::TPageControl)
QN_PUBLISHED_IMPL(vcl::TListColumn)
QN_PUBLISHED_IMPL(vcl::TIconOptions)
QN_PUBLISHED_IMPL(vcl::TListView)
