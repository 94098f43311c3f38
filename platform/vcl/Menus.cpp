// Menu items, menus and pop-up menus; shortcuts.
#include "platform/vcl/Menus.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Shortcuts

namespace {

struct KeyName {
  Word Key;
  const char16_t* Name;
};

const KeyName kKeyNames[] = {
    {VK_BACK, u"BkSp"},   {VK_TAB, u"Tab"},     {VK_ESCAPE, u"Esc"},   {VK_RETURN, u"Enter"},
    {VK_SPACE, u"Space"}, {VK_PRIOR, u"PgUp"},  {VK_NEXT, u"PgDn"},    {0x23, u"End"},
    {0x24, u"Home"},      {0x25, u"Left"},      {0x26, u"Up"},         {0x27, u"Right"},
    {0x28, u"Down"},      {VK_INSERT, u"Ins"},  {VK_DELETE, u"Del"},   {0x6A, u"Num *"},
    {0x6B, u"Num +"},     {0x6D, u"Num -"},     {0x6E, u"Num Del"},    {0x6F, u"Num /"},
};

String KeyToText(Word key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, char16_t(key));
  if (key >= VK_F1 && key <= VK_F1 + 23) return u"F" + IntToStr(Integer(key - VK_F1 + 1));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return u"Num " + IntToStr(Integer(key - VK_NUMPAD0));
  for (const KeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return String();
}

String Lower(String s) {
  for (auto& c : s)
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  return s;
}

// The caption without accelerator marks ("&&" stays one ampersand).
String StripHotkey(const String& s) {
  String out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&') {
      if (i + 1 < s.size() && s[i + 1] == u'&') {
        out += u'&';
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut AShortCut, Word& Key, TShiftState& Shift) {
  Key = AShortCut & 0xFF;
  Shift = TShiftState();
  if (AShortCut & scShift) Shift.Include(ssShift);
  if (AShortCut & scCtrl) Shift.Include(ssCtrl);
  if (AShortCut & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut AShortCut) {
  String name = KeyToText(AShortCut & 0xFF);
  if (name.empty()) return String();
  String r;
  if (AShortCut & scShift) r += u"Shift+";
  if (AShortCut & scCtrl) r += u"Ctrl+";
  if (AShortCut & scAlt) r += u"Alt+";
  return r + name;
}

TShortCut TextToShortCut(String Text) {
  TShortCut mods = 0;
  String t = Lower(Text);
  static const std::pair<const char16_t*, TShortCut> kMods[] = {{u"shift+", scShift}, {u"ctrl+", scCtrl}, {u"alt+", scAlt}};
  for (bool found = true; found;) {
    found = false;
    for (auto& [m, bit] : kMods) {
      String ms(m);
      if (t.size() > ms.size() && t.compare(0, ms.size(), ms) == 0) {
        mods |= bit;
        t = t.substr(ms.size());
        Text = Text.substr(ms.size());
        found = true;
      }
    }
  }
  for (Word k = 1; k < 256; ++k) {
    String n = KeyToText(k);
    if (!n.empty() && Lower(n) == t) return TShortCut(k | mods);
  }
  return 0;
}

TShortCut ShortCutFromMessage(const TWMKey& Message) {
  TShortCut s = Byte(Message.CharCode());
  if (GetKeyState(VK_SHIFT) < 0) s |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= scCtrl;
  if ((Message.KeyData() & 0x20000000) || GetKeyState(VK_MENU) < 0) s |= scAlt;
  return s;
}

TOwnerDrawState OwnerDrawStateFromODS(UINT s) {
  TOwnerDrawState r;
  if (s & ODS_SELECTED) r.Include(odSelected);
  if (s & ODS_GRAYED) r.Include(odGrayed);
  if (s & ODS_DISABLED) r.Include(odDisabled);
  if (s & ODS_CHECKED) r.Include(odChecked);
  if (s & ODS_FOCUS) r.Include(odFocused);
  if (s & ODS_DEFAULT) r.Include(odDefault);
  if (s & 0x0040) r.Include(odHotLight);
  if (s & 0x0080) r.Include(odInactive);
  if (s & 0x0100) r.Include(odNoAccel);
  if (s & 0x0200) r.Include(odNoFocusRect);
  if (s & 0x1000) r.Include(odComboBoxEdit);
  return r;
}

// ---------------------------------------------------------------------------
// Command ids: each item holds one of 1..0xFFFF, the range WM_COMMAND carries.

namespace {

std::vector<bool>& UsedCommands() {
  static auto* v = new std::vector<bool>(0x10000, false);
  return *v;
}
Word gNextCommand = 1;

Word AllocCommand() {
  auto& used = UsedCommands();
  for (int n = 0; n < 0xFFFF; ++n) {
    Word c = gNextCommand;
    gNextCommand = Word(gNextCommand == 0xFFFF ? 1 : gNextCommand + 1);
    if (!used[c]) {
      used[c] = true;
      return c;
    }
  }
  throw EMenuError(u"Too many menu items");
}

void FreeCommand(Word c) {
  if (c) UsedCommands()[c] = false;
}

}  // namespace

// ---------------------------------------------------------------------------
// TMenuActionLink

TMenuActionLink::TMenuActionLink(TObject* AClient) : TActionLink(AClient) {
  FClient = dynamic_cast<TMenuItem*>(AClient);
}

bool TMenuActionLink::IsAutoCheckLinked() {
  return TActionLink::IsAutoCheckLinked() && FClient->AutoCheck() == CustomAction()->AutoCheck();
}
bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
bool TMenuActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsGroupIndexLinked() {
  return TActionLink::IsGroupIndexLinked() && FClient->GroupIndex() == CustomAction()->GroupIndex();
}
bool TMenuActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
bool TMenuActionLink::IsOnExecuteLinked() { return FAction && FClient->OnClick() == FAction->OnExecute(); }

void TMenuActionLink::SetAutoCheck(bool Value) {
  if (IsAutoCheckLinked()) FClient->SetAutoCheck(Value);
}
void TMenuActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetGroupIndex(Integer Value) {
  if (IsGroupIndexLinked()) FClient->SetGroupIndex(Byte(Value));
}
void TMenuActionLink::SetHelpContext(Integer Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TMenuActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

// ---------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) { FCommand = AllocCommand(); }

TMenuItem::~TMenuItem() {
  if (FParent) FParent->Remove(this);
  // Children go first; each takes itself out of this item.
  while (!FItems.empty()) {
    TMenuItem* c = FItems.back();
    c->FParent = nullptr;
    FItems.pop_back();
    delete c;
  }
  FActionLink.reset();
  if (FHandle) {
    // The submenus belong to the children (gone already); take the entries
    // out so that destroying this menu destroys nothing else.
    while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
    DestroyMenu(FHandle);
  }
  FreeCommand(FCommand);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent) i = i->FParent;
  return i->FMenu;
}

TCustomImageList* TMenuItem::GetImages() const {
  TMenu* m = GetParentMenu();
  return m ? m->Images() : nullptr;
}

bool TMenuItem::IsOwnerDraw() const {
  if (FOnDrawItem || FOnAdvancedDrawItem || FOnMeasureItem) return true;
  TMenu* m = GetParentMenu();
  return m && (m->OwnerDraw() || m->Images());
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    FHandle = CreatePopupMenu();
    for (TMenuItem* c : FItems)
      if (c->FVisible) c->AppendTo(FHandle);
  }
  return FHandle;
}

void TMenuItem::AppendTo(HMENU Menu) {
  String caption = FCaption;
  if (FShortCut && !IsLine()) {
    String sc = ShortCutToText(FShortCut);
    if (!sc.empty()) caption += u"\t" + sc;
  }
  MENUITEMINFOW mi;
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
  mi.fType = IsLine() ? MFT_SEPARATOR : MFT_STRING;
  if (FRadioItem) mi.fType |= MFT_RADIOCHECK;
  if (IsOwnerDraw()) mi.fType |= MFT_OWNERDRAW;
  mi.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED) | (FDefault ? MFS_DEFAULT : 0);
  mi.wID = FCommand;
  mi.hSubMenu = (!FItems.empty() && !IsLine()) ? Handle() : nullptr;
  mi.dwItemData = FCommand;
  std::vector<char16_t> text(caption.begin(), caption.end());
  text.push_back(0);
  mi.dwTypeData = text.data();
  InsertMenuItemW(Menu, UINT(-1), true, &mi);
}

void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* c : FItems)
    if (c->FVisible) c->AppendTo(FHandle);
}

void TMenuItem::ChildChanged(TMenuItem*) { RebuildHandle(); }

void TMenuItem::MenuChanged(bool Rebuild) {
  if (FParent) FParent->ChildChanged(this);
  if (Rebuild) RebuildHandle();
  if (TMenu* m = GetParentMenu()) m->MenuChanged(m, this, Rebuild);
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(u"Menu index out of range");
  return FItems[size_t(Index)];
}

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  for (const TMenuItem* a = this; a; a = a->FParent)
    if (a == Item) throw EMenuError(u"Menu inserted twice");
  if (Item->FParent) throw EMenuError(u"Menu inserted twice");
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  // An item that gains its first child becomes a submenu in its parent.
  MenuChanged(true);
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Add(const std::vector<TMenuItem*>& AItems) {
  for (TMenuItem* i : AItems) Add(i);
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) throw EMenuError(u"Sub-menu is not in menu");
  FItems.erase(it);
  Item->FParent = nullptr;
  MenuChanged(true);
}

void TMenuItem::Delete(Integer Index) {
  TMenuItem* i = Items(Index);
  delete i;  // takes itself out
}

void TMenuItem::Clear() {
  for (Integer i = Count() - 1; i >= 0; --i) Delete(i);
}

Integer TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(String ACaption) const {
  String want = Lower(StripHotkey(ACaption));
  for (TMenuItem* c : FItems)
    if (Lower(StripHotkey(c->FCaption)) == want) return c;
  return nullptr;
}

Integer TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(Integer Value) {
  if (!FParent) return;
  TMenuItem* p = FParent;
  Integer cur = MenuIndex();
  Value = std::clamp(Value, 0, p->Count() - 1);
  if (Value == cur) return;
  p->FItems.erase(p->FItems.begin() + cur);
  p->FItems.insert(p->FItems.begin() + Value, this);
  p->MenuChanged(true);
}

// --- Properties

void TMenuItem::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  MenuChanged(true);
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* s : FParent->FItems)
    if (s != this && s->FRadioItem && s->FGroupIndex == FGroupIndex) s->SetChecked(false);
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetRadioItem(bool Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetAutoCheck(bool Value) { FAutoCheck = Value; }

void TMenuItem::SetDefault(bool Value) {
  if (Value == FDefault) return;
  // One default item per menu.
  if (Value && FParent)
    for (TMenuItem* s : FParent->FItems)
      if (s != this && s->FDefault) {
        s->FDefault = false;
      }
  FDefault = Value;
  MenuChanged(false);
}

void TMenuItem::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  MenuChanged(true);
}

void TMenuItem::SetHint(const String& Value) { FHint = Value; }

void TMenuItem::SetImageIndex(TImageIndex Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  MenuChanged(true);
}

void TMenuItem::SetOnDrawItem(const TMenuDrawItemEvent& Value) {
  bool was = IsOwnerDraw();
  FOnDrawItem = Value;
  if (was != IsOwnerDraw()) MenuChanged(true);
}

void TMenuItem::SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value) {
  bool was = IsOwnerDraw();
  FOnAdvancedDrawItem = Value;
  if (was != IsOwnerDraw()) MenuChanged(true);
}

void TMenuItem::SetOnMeasureItem(const TMenuMeasureItemEvent& Value) {
  bool was = IsOwnerDraw();
  FOnMeasureItem = Value;
  if (was != IsOwnerDraw()) MenuChanged(true);
}

// --- Actions

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    if (FActionLink) {
      if (TBasicAction* a = FActionLink->Action()) a->RemoveFreeNotification(this);
      FActionLink.reset();
    }
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  if (FActionLink->Action() == Value) return;
  if (TBasicAction* a = FActionLink->Action()) a->RemoveFreeNotification(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = TNotifyEvent(this, &TMenuItem::DoActionChange);
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::DoActionChange(TObject*) {
  // Each property reached the item through its link already.
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !FAutoCheck) SetAutoCheck(a->AutoCheck());
  if (!CheckDefaults || FCaption.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !FChecked) SetChecked(a->Checked());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (FRadioItem && (!CheckDefaults || FGroupIndex == 0)) SetGroupIndex(Byte(a->GroupIndex()));
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || FShortCut == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !FOnClick) FOnClick = a->OnExecute();
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FActionLink && (!FActionLink->Action() || AComponent == FActionLink->Action()))
    FActionLink.reset();
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TMenuItem::InitiateActions() {
  std::vector<TMenuItem*> items = FItems;
  for (TMenuItem* i : items)
    if (std::find(FItems.begin(), FItems.end(), i) != FItems.end() && i->FVisible) i->InitiateAction();
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck && !ComponentState().Contains(csDesigning) && (!FActionLink || !FActionLink->CustomAction()))
    SetChecked(FRadioItem ? true : !FChecked);
  TBasicAction* a = Action();
  // A copy keeps the handler alive should it free this item (menus rebuilt
  // from a click do).
  TNotifyEvent onClick = FOnClick;
  // The item's own handler when it is not the action's; else the action.
  if (onClick && a && !(onClick == a->OnExecute())) onClick(this);
  else if (!ComponentState().Contains(csDesigning) && FActionLink && a) FActionLink->Execute(this);
  else if (onClick) onClick(this);
}

// --- Owner drawing

Integer TMenuItem::CheckColumnWidth() const {
  Integer col = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  if (TCustomImageList* il = GetImages()) col = std::max(col, il->Width() + 8);
  return col;
}

void TMenuItem::MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height) {
  if (IsLine()) {
    Width = 0;
    Height = 9;
  } else {
    String caption = StripHotkey(FCaption);
    TSize t = ACanvas->TextExtent(caption.empty() ? String(u" ") : caption);
    Integer w = t.cx + 18;
    if (FShortCut) {
      String sc = ShortCutToText(FShortCut);
      if (!sc.empty()) w += 24 + ACanvas->TextWidth(sc);
    }
    // The server puts its own check column in front; a wider image column
    // adds the difference.
    w += CheckColumnWidth() - (GetSystemMetrics(SM_CXMENUCHECK) + 6);
    Integer h = std::max<Integer>(t.cy + 6, GetSystemMetrics(SM_CYMENUCHECK) + 4);
    if (TCustomImageList* il = GetImages()) h = std::max(h, il->Height() + 4);
    Width = w;
    Height = h;
  }
  if (FOnMeasureItem) FOnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::DoDrawText(TCanvas* ACanvas, const String& ACaption, TRect& Rect, bool Selected, UINT Flags) {
  TTextFormat fmt{TTextFormats::tfSingleLine, TTextFormats::tfVerticalCenter};
  fmt.Include((Flags & DT_RIGHT) ? TTextFormats::tfRight : TTextFormats::tfLeft);
  if (Flags & DT_NOPREFIX) fmt.Include(TTextFormats::tfNoPrefix);
  ACanvas->Brush()->SetStyle(TBrushStyle::bsClear);
  String text = ACaption;
  if (!FEnabled) {
    if (!Selected) {
      // Embossed: a light copy one pixel down and right under the shadow.
      TRect r = Rect;
      OffsetRect(r, 1, 1);
      ACanvas->Font()->SetColor(clBtnHighlight);
      ACanvas->TextRect(r, text, fmt);
      ACanvas->Font()->SetColor(clBtnShadow);
    } else {
      ACanvas->Font()->SetColor(clGrayText);
    }
  } else {
    ACanvas->Font()->SetColor(Selected ? clHighlightText : clMenuText);
  }
  ACanvas->TextRect(Rect, text, fmt);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, TRect ARect, TOwnerDrawState State, bool) {
  if (FOnAdvancedDrawItem) {
    FOnAdvancedDrawItem(this, ACanvas, ARect, State);
    return;
  }
  if (FOnDrawItem) {
    FOnDrawItem(this, ACanvas, ARect, State.Contains(odSelected));
    return;
  }
  bool selected = State.Contains(odSelected) && !IsLine();
  ACanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  ACanvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  ACanvas->FillRect(ARect);
  if (IsLine()) {
    Integer mid = (ARect.Top + ARect.Bottom) / 2;
    ACanvas->Brush()->SetColor(clBtnShadow);
    ACanvas->FillRect(TRect(ARect.Left + 1, mid - 1, ARect.Right - 1, mid));
    ACanvas->Brush()->SetColor(clBtnHighlight);
    ACanvas->FillRect(TRect(ARect.Left + 1, mid, ARect.Right - 1, mid + 1));
    return;
  }
  Integer col = CheckColumnWidth();
  TColor textColor = !FEnabled ? (selected ? clGrayText : clBtnShadow) : selected ? clHighlightText : clMenuText;
  TCustomImageList* il = GetImages();
  if (il && FImageIndex >= 0 && FImageIndex < il->Count()) {
    Integer ix = ARect.Left + (col - il->Width()) / 2, iy = ARect.Top + (ARect.Height() - il->Height()) / 2;
    if (FChecked) {
      // A checked image sits in a sunken, lighter box.
      TRect box(ix - 2, iy - 2, ix + il->Width() + 2, iy + il->Height() + 2);
      if (!selected) {
        ACanvas->Brush()->SetColor(clBtnHighlight);
        ACanvas->FillRect(box);
      }
      HDC dc = ACanvas->Handle();
      DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    }
    il->Draw(ACanvas, ix, iy, FImageIndex, FEnabled);
  } else if (FChecked) {
    Integer cx = ARect.Left + col / 2, cy = (ARect.Top + ARect.Bottom) / 2;
    ACanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    ACanvas->Brush()->SetColor(textColor);
    ACanvas->Pen()->SetColor(textColor);
    if (FRadioItem) {
      ACanvas->Ellipse(cx - 3, cy - 3, cx + 4, cy + 4);
    } else {
      // The same tick the server draws: seven columns, three pixels thick.
      static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
      for (int i = 0; i < 7; ++i) ACanvas->FillRect(TRect(cx - 3 + i, cy - 3 + kTop[i], cx - 2 + i, cy + kTop[i]));
    }
  }
  String caption = FCaption, sc = FShortCut ? ShortCutToText(FShortCut) : String();
  TRect tr(ARect.Left + col, ARect.Top, ARect.Right - 18, ARect.Bottom);
  if (FDefault) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + TFontStyles{TFontStyle::fsBold});
  DoDrawText(ACanvas, caption, tr, selected, DT_LEFT);
  if (!sc.empty()) {
    TRect sr(ARect.Left + col, ARect.Top, ARect.Right - 18, ARect.Bottom);
    DoDrawText(ACanvas, sc, sr, selected, DT_RIGHT | DT_NOPREFIX);
  }
}

// --- Streaming

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TMenuItem* c : FItems)
    if (c->Owner() == Root) Proc(c);
}

void TMenuItem::SetChildOrder(TComponent* Child, Integer Order) {
  if (auto* m = dynamic_cast<TMenuItem*>(Child)) m->SetMenuIndex(Order);
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

bool TMenuItem::HasParent() { return true; }

void TMenuItem::ReadState(TReader* Reader) {
  if (Reader->Parent() && Reader->Parent() != GetParentComponent()) SetParentComponent(Reader->Parent());
  inherited::ReadState(Reader);
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (!Value) return;
  if (auto* m = dynamic_cast<TMenu*>(Value)) m->Items()->Add(this);
  else if (auto* i = dynamic_cast<TMenuItem*>(Value)) i->Add(this);
}

// ---------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)), FImageChangeLink(std::make_unique<TChangeLink>()) {
  FItems->FMenu = this;
  FImageChangeLink->OnChange = TNotifyEvent(this, &TMenu::ImageListChange);
}

TMenu::~TMenu() {
  FImageChangeLink.reset();
  FItems.reset();
}

HWND TMenu::WindowHandle() const { return PopupListWindow(); }

void TMenu::SetImages(TCustomImageList* Value) {
  if (Value == FImages) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  MenuChanged(this, nullptr, true);
}

void TMenu::SetOwnerDraw(bool Value) {
  if (Value == FOwnerDraw) return;
  FOwnerDraw = Value;
  MenuChanged(this, nullptr, true);
}

void TMenu::ImageListChange(TObject*) { MenuChanged(this, nullptr, true); }

void TMenu::MenuChanged(TObject*, TMenuItem* Source, bool Rebuild) {
  // A change of the menu itself (images, owner draw) reaches every item.
  if (Source || !Rebuild) return;
  std::vector<TMenuItem*> stack{FItems.get()};
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    i->RebuildHandle();
    for (TMenuItem* c : i->FItems) stack.push_back(c);
  }
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) {
  std::vector<TMenuItem*> stack;
  for (auto it = FItems->FItems.rbegin(); it != FItems->FItems.rend(); ++it) stack.push_back(*it);
  if (Kind == fkHandle && FItems->FHandle && reinterpret_cast<UINT_PTR>(FItems->FHandle) == Value) return FItems.get();
  while (!stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    switch (Kind) {
      case fkCommand:
        if (i->FCommand == Value) return i;
        break;
      case fkHandle:
        if (i->FHandle && reinterpret_cast<UINT_PTR>(i->FHandle) == Value) return i;
        break;
      case fkShortCut:
        if (i->FShortCut && i->FShortCut == Value) return i;
        break;
    }
    for (auto it = i->FItems.rbegin(); it != i->FItems.rend(); ++it) stack.push_back(*it);
  }
  return nullptr;
}

bool TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* i = FindItem(ACommand, fkCommand);
  if (!i) return false;
  i->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AHandle) {
  TMenuItem* i = FindItem(reinterpret_cast<UINT_PTR>(AHandle), fkHandle);
  if (!i) return false;
  if (!ComponentState().Contains(csDesigning)) i->InitiateActions();
  // The root's Click would be nobody's; a submenu's item hears it opening.
  if (i != FItems.get()) i->Click();
  return true;
}

bool TMenu::IsShortCut(TWMKey& Message) {
  TShortCut sc = ShortCutFromMessage(Message);
  TMenuItem* i = FindItem(sc, fkShortCut);
  if (!i) return false;
  // The parents see their submenus open, as a user's way to the item would.
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = i->FParent; p && p != FItems.get(); p = p->FParent) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->InitiateActions();
  i->InitiateAction();
  if (!i->Enabled() || !i->Visible()) return false;
  i->Click();
  return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) { FItems->GetChildren(Proc, Root); }

void TMenu::SetChildOrder(TComponent* Child, Integer Order) { FItems->SetChildOrder(Child, Order); }

// ---------------------------------------------------------------------------
// The pop-up list

namespace {

struct PopupList {
  HWND Window = nullptr;
  std::vector<TPopupMenu*> Menus;
  TPopupMenu* Tracking = nullptr;
};

PopupList& List() {
  static auto* l = new PopupList;
  return *l;
}

TMenuItem* FindCommand(Word command, TPopupMenu** menu = nullptr) {
  for (TPopupMenu* m : List().Menus)
    if (TMenuItem* i = m->FindItem(command, fkCommand)) {
      if (menu) *menu = m;
      return i;
    }
  return nullptr;
}

void PopupListWndProc(TMessage& Msg) {
  HWND h = List().Window;
  try {
    switch (Msg.Msg) {
      case WM_COMMAND: {
        // Looked up now: the item may have gone since the menu closed.
        std::vector<TPopupMenu*> menus = List().Menus;
        for (TPopupMenu* m : menus)
          if (std::find(List().Menus.begin(), List().Menus.end(), m) != List().Menus.end() &&
              m->DispatchCommand(LOWORD(Msg.WParam))) {
            Msg.Result = 0;
            return;
          }
        break;
      }
      case WM_INITMENUPOPUP: {
        std::vector<TPopupMenu*> menus = List().Menus;
        for (TPopupMenu* m : menus)
          if (std::find(List().Menus.begin(), List().Menus.end(), m) != List().Menus.end() &&
              m->DispatchPopup(reinterpret_cast<HMENU>(Msg.WParam))) {
            Msg.Result = 0;
            return;
          }
        break;
      }
      case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Msg.LParam);
        if (mi && mi->CtlType == ODT_MENU)
          if (TMenuItem* item = FindCommand(Word(mi->itemID))) {
            TCanvas canvas;
            HDC dc = CreateCompatibleDC(nullptr);
            canvas.SetHandle(dc);
            if (Screen) canvas.SetFont(Screen->MenuFont());
            Integer w = Integer(mi->itemWidth), hgt = Integer(mi->itemHeight);
            item->MeasureItem(&canvas, w, hgt);
            mi->itemWidth = UINT(std::max(0, w));
            mi->itemHeight = UINT(std::max(0, hgt));
            canvas.SetHandle(nullptr);
            DeleteDC(dc);
            Msg.Result = 1;
            return;
          }
        break;
      }
      case WM_DRAWITEM: {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Msg.LParam);
        if (di && di->CtlType == ODT_MENU)
          if (TMenuItem* item = FindCommand(Word(di->itemID))) {
            TCanvas canvas;
            int saved = SaveDC(di->hDC);
            canvas.SetHandle(di->hDC);
            if (Screen) canvas.SetFont(Screen->MenuFont());
            item->AdvancedDrawItem(&canvas, di->rcItem, OwnerDrawStateFromODS(di->itemState), false);
            canvas.SetHandle(nullptr);
            RestoreDC(di->hDC, saved);
            Msg.Result = 1;
            return;
          }
        break;
      }
      default:
        break;
    }
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(nullptr);
    return;
  }
  Msg.Result = DefWindowProcW(h, Msg.Msg, Msg.WParam, Msg.LParam);
}

}  // namespace

HWND PopupListWindow() {
  if (!List().Window) List().Window = AllocateHWnd([](TMessage& m) { PopupListWndProc(m); });
  return List().Window;
}

// ---------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { List().Menus.push_back(this); }

TPopupMenu::~TPopupMenu() {
  auto& menus = List().Menus;
  menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
  if (List().Tracking == this) {
    // Its loop is running: the menu it shows is about to go.
    List().Tracking = nullptr;
    EndMenu();
  }
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (Value == FPopupComponent) return;
  if (FPopupComponent) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = Value;
  if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (FOnPopup) FOnPopup(Sender);
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  FPopupPoint = TPoint(X, Y);
  DoPopup(this);
  // OnPopup may have freed the menu's items or rebuilt them; the menu is
  // built from what is there now.
  UINT flags = (FAlignment == paRight ? TPM_RIGHTALIGN : FAlignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN) |
               (FTrackButton == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
  HMENU menu = Items()->Handle();
  HWND owner = PopupListWindow();
  TPopupMenu* outer = List().Tracking;
  List().Tracking = this;
  TrackPopupMenu(menu, flags, X, Y, 0, owner, nullptr);
  // The menu may have gone while its loop ran; only a live one is touched.
  if (List().Tracking == this) List().Tracking = outer;
}

// ---------------------------------------------------------------------------
// Builders

TMenuItem* NewItem(const String& ACaption, TShortCut AShortCut, bool AChecked, bool AEnabled,
                   const TNotifyEvent& AOnClick, Integer hCtx, const String& AName) {
  auto* i = new TMenuItem(nullptr);
  i->SetCaption(ACaption);
  i->SetShortCut(AShortCut);
  i->SetChecked(AChecked);
  i->SetEnabled(AEnabled);
  i->SetOnClick(AOnClick);
  i->SetHelpContext(hCtx);
  if (!AName.empty()) i->SetName(AName);
  return i;
}

TMenuItem* NewLine() {
  auto* i = new TMenuItem(nullptr);
  i->SetCaption(u"-");
  return i;
}

TMenuItem* NewSubMenu(const String& ACaption, Integer hCtx, const String& AName,
                      const std::vector<TMenuItem*>& AItems, bool AEnabled) {
  auto* i = new TMenuItem(nullptr);
  i->SetCaption(ACaption);
  i->SetHelpContext(hCtx);
  i->SetEnabled(AEnabled);
  if (!AName.empty()) i->SetName(AName);
  i->Add(AItems);
  return i;
}

void InitMenus() { RegisterClasses({TPopupMenu::StaticClass(), TMenuItem::StaticClass()}); }

void DoneMenus() {
  if (List().Window) {
    DeallocateHWnd(List().Window);
    List().Window = nullptr;
  }
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TMenuItem)
QN_PUBLISHED_IMPL(vcl::TPopupMenu)
