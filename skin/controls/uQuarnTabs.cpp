// The skinned page control and its translucent sheets.
#include "skin/controls/uQuarnTabs.h"

#include <algorithm>

#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQuarnResManager.h"
#include "skin/forms/uQuarnForm.h"

namespace qn {

namespace {

// The glow's layout: the caption is one line centred on its height.
constexpr Cardinal kGlowFormat = DT_VCENTER;

bool ContainsPoint(const TRect& R, Integer X, Integer Y) {
  return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

// WM_PAINT into the DC the message carries (a parent taking our picture),
// else into the window's own paint DC, which the message then carries.
template <class F>
void PaintMessage(TWinControl* Control, TMessage& Message, F&& Draw) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps;
  const bool own = !dc;
  if (own) {
    dc = BeginPaint(Control->Handle(), &ps);
    Message.WParam = reinterpret_cast<WPARAM>(dc);
  }
  try {
    Draw(dc);
  } catch (...) {
    if (own) EndPaint(Control->Handle(), &ps);
    throw;
  }
  if (own) EndPaint(Control->Handle(), &ps);
  Message.Result = 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// TQuarnCustomTabSheet

TQuarnCustomTabSheet::TQuarnCustomTabSheet(TComponent* AOwner) : TTabSheet(AOwner) {
  SetAlign(alClient);
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csNoDesignVisible});
  SetVisible(false);
  FParentBg = std::make_unique<TBitmap32>();
  FBgBitmap = std::make_unique<TBitmap32>();
  SetColor(TColor(0x00FFFFFF));
  if (!Designing()) TQnWinControlHelperObj()->Add(this);
}

TQuarnCustomTabSheet::~TQuarnCustomTabSheet() {
  if (!Designing()) TQnWinControlHelperObj()->Remove(this);
  // Leaving the page control first: its tab goes while the sheet is whole.
  if (PageControl()) SetPageControl(nullptr);
}

void TQuarnCustomTabSheet::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  // The picture depends on the sheet's place, not its size: a resize need
  // not repaint what is already there.
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TQuarnCustomTabSheet::SetAlpha(Byte Value) {
  if (FAlpha == Value) return;
  FAlpha = Value;
  Invalidate();
}

void TQuarnCustomTabSheet::SetTabNormalImage(const TQnResID& Value) {
  if (FTabNormalImage == Value) return;
  FTabNormalImage = Value;
  Invalidate();
}

void TQuarnCustomTabSheet::SetTabHotImage(const TQnResID& Value) {
  if (FTabHotImage == Value) return;
  FTabHotImage = Value;
  Invalidate();
}

void TQuarnCustomTabSheet::SetTabDownImage(const TQnResID& Value) {
  if (FTabDownImage == Value) return;
  FTabDownImage = Value;
  Invalidate();
}

void TQuarnCustomTabSheet::ImageChanged(TObject*) {
  if (Parent()) Parent()->Invalidate();
}

void TQuarnCustomTabSheet::CheckParentBg() {
  FBgBitmap->SetSize(std::max(0, Width()), std::max(0, Height()));
  TWinControl* pc = Parent();
  if (!pc) return;
  FParentBg->SetSize(std::max(0, pc->Width()), std::max(0, pc->Height()));
  if (Designing()) return;
  auto* page = dynamic_cast<TQuarnPageControl*>(pc);
  TBitmap32* behind = FAlpha < 255 && page && page->Transparent() ? page->GetBackgroundPicture() : nullptr;
  if (behind && !behind->Empty()) {
    FParentBg->Clear(Color32(ColorToRGB(Color())));
    behind->SetDrawMode(TDrawMode::dmOpaque);
    behind->DrawTo(FParentBg.get(), 0, 0);
  } else {
    FParentBg->Clear(Color32(ColorToRGB(Color())));
  }
}

void TQuarnCustomTabSheet::ComposeBackground() {
  FBgBitmap->Clear(Color32(ColorToRGB(Color())));
  FParentBg->SetDrawMode(TDrawMode::dmOpaque);
  FParentBg->DrawTo(FBgBitmap.get(), -Left(), -Top());
  ColorBlend(FBgBitmap.get(), FBgBitmap->BoundsRect(), Color(), FAlpha);
  FBgBitmap->ResetAlpha();
}

void TQuarnCustomTabSheet::DrawSheetBackGround(HDC DC) {
  if (Width() <= 0 || Height() <= 0 || !Parent()) return;
  CheckParentBg();
  ComposeBackground();
  if (FFrameVisible) {
    const TColor32 c = Color32(ColorToRGB(FFrameColor));
    const Integer w = Width(), h = Height();
    FBgBitmap->LineS(0, 0, 0, h, c);
    FBgBitmap->LineS(0, 0, w, 0, c);
    FBgBitmap->LineS(w - 1, 0, w - 1, h, c);
    FBgBitmap->LineS(0, h - 1, w, h - 1, c);
  }
  FBgBitmap->DrawTo(DC, 0, 0);
}

TBitmap32* TQuarnCustomTabSheet::GetBackgroundPicture() {
  if (FBgBitmap->Width() == 0) {
    CheckParentBg();
    if (FBgBitmap->Width() > 0) ComposeBackground();
  }
  return FBgBitmap.get();
}

void TQuarnCustomTabSheet::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      if (ComponentState().Contains(csDestroying)) return;
      PaintMessage(this, Message, [this](HDC dc) {
        DrawSheetBackGround(dc);
        // Windowless controls on the sheet go over its picture.
        PaintControls(dc, nullptr);
      });
      return;
    }
    case WM_ERASEBKGND:
      if (Designing()) break;
      Message.Result = 1;
      return;
    case WM_SIZE:
      inherited::Dispatch(Message);
      if (FFrameVisible) Invalidate();
      return;
    case CWM_CHECKPARENTBG:
      CWMCheckParentBg(Message);
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void TQuarnCustomTabSheet::CWMCheckParentBg(TMessage& Message) {
  // The sheet's picture follows; its children are not told, they take the
  // new picture when they next paint.
  if (!Designing()) {
    FUpdateChanged = false;
    Invalidate();
  }
  Message.Result = 0;
}

// ---------------------------------------------------------------------------
// TQuarnPageControl

TQuarnPageControl::TQuarnPageControl(TComponent* AOwner) : TPageControl(AOwner) {
  FBgBit = std::make_unique<TBitmap32>();
  SetCtl3D(false);
  FTabNormalPicture = u"QuarnTab_button_normal";
  FTabHotPicture = u"QuarnTab_button_hot";
  FTabDownPicture = u"QuarnTab_button_down";
  FTabImageOffset = std::make_unique<TQnBtnItemOffset>(this);
  FTabCaptionOffset = std::make_unique<TQnTabCaptionOffset>(this);
  FTabsOffset = std::make_unique<TQnBtnItemOffset>(this);
  SetColor(clBtnFace);
  FCaptionLight = std::make_unique<TQnLightClass>();
  FCaptionLight->SetActive(false);
  FFontActive = std::make_unique<TFont>();
  FFontHot = std::make_unique<TFont>();
  if (!Designing()) TQnWinControlHelperObj()->Add(this);
}

TQuarnPageControl::~TQuarnPageControl() {
  if (!Designing()) TQnWinControlHelperObj()->Remove(this);
}

void TQuarnPageControl::SetTabNormalPicture(const TQnResID& Value) {
  if (FTabNormalPicture == Value) return;
  FTabNormalPicture = Value;
  Invalidate();
}

void TQuarnPageControl::SetTabHotPicture(const TQnResID& Value) {
  if (FTabHotPicture == Value) return;
  FTabHotPicture = Value;
  Invalidate();
}

void TQuarnPageControl::SetTabDownPicture(const TQnResID& Value) {
  if (FTabDownPicture == Value) return;
  FTabDownPicture = Value;
  Invalidate();
}

void TQuarnPageControl::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TQuarnPageControl::SetTabWidthAutoSize(bool Value) {
  if (FTabWidthAutoSize == Value) return;
  FTabWidthAutoSize = Value;
  // Shared widths need fixed-width tabs in the native control.
  if (HandleAllocated()) {
    LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    if (Value) style |= LONG(TCS_FIXEDWIDTH);
    else if (TabWidth() <= 0) style &= ~LONG(TCS_FIXEDWIDTH);
    SetWindowLongW(Handle(), GWL_STYLE, style);
    UpDateTabs();
  }
  Invalidate();
}

void TQuarnPageControl::SetDefaultItemHeight(Integer Value) {
  FDefaultItemHeight = Value;
  if (!HandleAllocated()) return;
  SetItemSize(TabWidth(), Value);
  Realign();
}

void TQuarnPageControl::SetTextInHorizontal(bool Value) {
  FTextInHorizontal = Value;
  Invalidate();
}

void TQuarnPageControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FTabWidthAutoSize) Params.Style |= TCS_FIXEDWIDTH;
}

void TQuarnPageControl::CreateWnd() {
  inherited::CreateWnd();
  // A new window starts from the native size: the default height applies.
  UpDateTabs();
}

void TQuarnPageControl::Loaded() {
  inherited::Loaded();
  if (HandleAllocated()) UpDateTabs();
  Realign();
}

void TQuarnPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------
// Tabs shown and hidden, item size

void TQuarnPageControl::HideTabs() {
  if (FOldTabHeight != -1) return;
  bool any = false;
  for (Integer i = 0; i < PageCount(); ++i) any = any || Pages(i)->TabVisible();
  if (!any) return;
  FHideTabs = true;
  FOLdTabPosition = TabPosition();
  FOldMultiLine = MultiLine();
  FOldTabHeight = TabHeight();
  if (TabPosition() == tpLeft || TabPosition() == tpRight) SetTabPosition(tpTop);
  SetMultiLine(false);
  SetTabHeight(1);
  SetItemSize(TabWidth(), 1);
}

void TQuarnPageControl::ShowTabs() {
  if (FOldTabHeight == -1) return;
  SetTabPosition(FOLdTabPosition);
  SetMultiLine(FOldMultiLine);
  SetTabHeight(SmallInt(FOldTabHeight));
  FHideTabs = false;
  SetItemSize(TabWidth(), FOldTabHeight > 0 ? FOldTabHeight : 0);
  FOldTabHeight = -1;
  Invalidate();
}

void TQuarnPageControl::UpDateTabs() {
  SetItemSize(TabWidth(), TabHeight() > 0 ? TabHeight() : FDefaultItemHeight);
  Realign();
}

LPARAM TQuarnPageControl::ItemSizeParam(Integer W, Integer H) {
  // Sizes from anywhere (TabWidth and TabHeight of the page control
  // included) pass here.
  W = GetDPIScaledPixels(this, W);
  // No height means the default one, whoever asks: the native height from
  // the font would not fit the tab pictures.
  H = GetDPIScaledPixels(this, H > 0 ? H : FDefaultItemHeight);
  // Shared among the tabs there are: a page without a tab takes no share,
  // and while a sheet leaves, its tab has gone before the page.
  if (FTabWidthAutoSize) W = Width() / std::max<Integer>(1, Tabs()->Count()) - 1;
  return MAKELPARAM(WORD(std::max(0, W)), WORD(std::max(0, H)));
}

void TQuarnPageControl::SetItemSize(Integer W, Integer H) {
  if (!HandleAllocated()) return;
  // The scaling and the auto width are applied on the way (WndProc).
  Perform(TCM_SETITEMSIZE, 0, MAKELPARAM(WORD(std::max(0, W)), WORD(std::max(0, H))));
}

TRect TQuarnPageControl::GetItemRect(Integer Index) { return TabRect(Index); }

void TQuarnPageControl::RefreshSheets() {
  for (Integer i = 0; i < PageCount(); ++i)
    if (auto* s = dynamic_cast<TQuarnCustomTabSheet*>(Pages(i))) s->FUpdateChanged = false;
  if (TTabSheet* a = ActivePage(); a && a->HandleAllocated()) SendMessageW(a->Handle(), CWM_CHECKPARENTBG, 0, 0);
}

TBitmap32* TQuarnPageControl::GetBackgroundPicture() {
  // A sheet may paint before the control has: the picture behind is taken
  // then rather than handing out an empty one.
  if (!FBgTaken && FTransparent && !Designing() && Width() > 0 && Height() > 0) {
    FBgBit->SetSize(Width(), Height());
    GetParentImage(this, FBgBit.get(), BoundsRect());
    FBgTaken = true;
  }
  return FBgBit.get();
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnPageControl::DrawSelfBackGround(TBitmap32* Bmp) {
  const TRect c = ClientRect();
  if (c.Width() <= 0 || c.Height() <= 0) return;
  if (!Designing() && FTransparent) {
    FBgBit->SetSize(Width(), Height());
    GetParentImage(this, FBgBit.get(), BoundsRect());
    FBgTaken = true;
    FBgBit->SetDrawMode(TDrawMode::dmOpaque);
    FBgBit->DrawTo(Bmp, 0, 0);
  } else {
    Bmp->FillRectS(c, Color32(ColorToRGB(Color())));
  }
}

void TQuarnPageControl::DrawTabs(TBitmap32* Bmp) {
  if (FHideTabs || PageCount() == 0) return;
  Bmp->BeginUpdate();
  try {
    Integer v = -1;
    const Integer sel = TabIndex();
    for (Integer i = 0; i < PageCount(); ++i) {
      TTabSheet* p = Pages(i);
      if (p->ComponentState().Contains(csDestroying) || !p->TabVisible()) continue;
      ++v;
      DrawTab(i, GetItemRect(v), v == sel, v == FActiveTabIndex, Bmp->GetHDC());
    }
  } catch (...) {
    Bmp->EndUpdate();
    throw;
  }
  Bmp->EndUpdate();
}

void TQuarnPageControl::DrawTab(Integer TabIndex, const TRect& Rect, bool Active, bool MouseIn, HDC DC) {
  if (!DC || FHideTabs || TabIndex < 0 || TabIndex > PageCount() - 1 || Rect.Width() <= 0 || Rect.Height() <= 0)
    return;
  TTabSheet* page = Pages(TabIndex);
  const String caption = page->Caption();
  const Integer w = Rect.Width(), h = Rect.Height();
  TBitmap32 b;
  b.SetSize(w, h);
  b.BeginUpdate();
  if (FTransparent && !FBgBit->Empty()) {
    b.Clear(Color32(ColorToRGB(Color())));
    FBgBit->SetDrawMode(TDrawMode::dmOpaque);
    FBgBit->DrawTo(&b, 0, 0, Rect);
  } else {
    b.Clear(Color32(ColorToRGB(Color())));
  }
  // The measure of the caption's base in an auto-sized tab, taken in the
  // bitmap's own font before the caption font is chosen.
  const TSize letter = b.TextExtent(u"A");

  if (Designing()) {
    b.Clear(Active ? Color32(TColor(0x0000C7F9)) : Color32(TColor(0x00D4CEC1)));
  } else {
    auto* sheet = dynamic_cast<TQuarnCustomTabSheet*>(page);
    TQnResID own, sheetId;
    if (Active) {
      own = FTabDownPicture;
      sheetId = sheet ? sheet->TabDownImage() : TQnResID();
    } else if (MouseIn) {
      own = FTabHotPicture;
      sheetId = sheet ? sheet->TabHotImage() : TQnResID();
    } else {
      own = FTabNormalPicture;
      sheetId = sheet ? sheet->TabNormalImage() : TQnResID();
    }
    TQuarnResManager* rm = TQuarnResManagerObj();
    if (TQuarnImage* frame = rm->GetImageByName(own)) StretchBitmap(frame, &b, false);
    if (TQuarnImage* img = rm->GetImageByName(sheetId)) {
      Integer x = FTabImageOffset->X(), y = FTabImageOffset->Y();
      if (FTabWidthAutoSize) {
        x += (w - img->Width()) / 2;
        y += (h - img->Height()) / 2;
      }
      img->DrawTo(&b, x, y);
    }
  }

  TFont* font = Active ? FFontActive.get() : MouseIn ? FFontHot.get() : page->Font();
  b.Font()->Assign(font);
  Integer cx = GetDPIScaledPixels(this, FTabCaptionOffset->X());
  Integer cy = GetDPIScaledPixels(this, FTabCaptionOffset->Y());
  const TSize text = b.TextExtent(caption);
  if (FTabWidthAutoSize) {
    // Centred in the tab; the offset moves it from there.
    cx += (w - text.cx) / 2;
    cy += (h - std::max<Integer>(text.cy, letter.cy)) / 2;
  }
  if (FCaptionLight->Active() && !caption.empty()) {
    b.Canvas()->Font()->Assign(font);
    HDC bdc = b.Canvas()->Handle();
    const TRect glow(cx, cy, cx + CalcTextWidthW(bdc, caption), cy + CalcTextHeightW(bdc, caption));
    DrawEffectText(b.Canvas(), glow, caption, kGlowFormat, 0, FCaptionLight->Color(), FCaptionLight->BlurRadius(),
                   false);
  }
  b.Textout(cx, cy, caption);
  if (FOnQnDrawTab) FOnQnDrawTab(TabIndex, Rect, Active, MouseIn, &b);
  b.EndUpdate();
  b.DrawTo(DC, Rect.Left, Rect.Top);
}

// ---------------------------------------------------------------------------
// Hot tracking

void TQuarnPageControl::TestActive(Integer X, Integer Y, bool IsDown) {
  FOldActiveTab = FActiveTab;
  FOldActiveTabIndex = FActiveTabIndex;
  FActiveTab = -1;
  FActiveTabIndex = -1;
  Integer v = -1;
  for (Integer i = 0; i < PageCount(); ++i) {
    if (!Pages(i)->TabVisible()) continue;
    ++v;
    if (ContainsPoint(GetItemRect(v), X, Y)) {
      FActiveTab = i;
      FActiveTabIndex = v;
      break;
    }
  }
  // Visible-tab indices throughout: a page without a tab shifts the rest.
  const Integer sel = TabIndex();
  if (IsDown && sel == FOldActiveTabIndex) return;
  if (FOldActiveTabIndex == FActiveTabIndex) return;
  const Integer n = PageCount();
  if ((FOldActiveTabIndex != -1 && FOldActiveTabIndex != sel && FOldActiveTabIndex < n) ||
      (FActiveTabIndex != -1 && FActiveTabIndex != sel && FActiveTabIndex < n))
    Invalidate();
}

void TQuarnPageControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (!Designing() && !FHideTabs && Button == mbLeft) TestActive(X, Y, true);
}

void TQuarnPageControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!Designing() && !FHideTabs) TestActive(X, Y, false);
}

void TQuarnPageControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (!Designing() && !FHideTabs && Button == mbLeft) TestActive(X, Y, false);
}

// ---------------------------------------------------------------------------
// Changing the page

bool TQuarnPageControl::CanChange() {
  if (FOnQnTabChanging) {
    bool allow = true;
    FOnQnTabChanging(this, FNewTabSheet, allow);
    return allow;
  }
  return inherited::CanChange();
}

void TQuarnPageControl::Change() {
  inherited::Change();
  if (Designing()) return;
  if (auto* s = dynamic_cast<TQuarnCustomTabSheet*>(ActivePage()); s && !s->FUpdateChanged) {
    s->FUpdateChanged = true;
    s->Invalidate();
  }
}

TPoint TQuarnPageControl::InputShift() const {
  if (FTabsOffset->X() > 0 || FTabsOffset->Y() > 0) return TPoint(FTabsOffset->X(), FTabsOffset->Y());
  return TPoint(0, 0);
}

void TQuarnPageControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case TCM_ADJUSTRECT: {
      inherited::WndProc(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      if (!r) return;
      const TRect c = ClientRect();
      switch (TabPosition()) {
        case tpTop:
          r->Left = 0;
          r->Right = c.Width();
          r->Top -= 7;
          r->Bottom = c.Height();
          break;
        case tpBottom:
          r->Left = 0;
          r->Right = c.Width();
          r->Top = 1;
          r->Bottom += 3;
          break;
        case tpLeft:
          r->Left -= FHideTabs ? 4 : 3;
          r->Right = c.Width() - 1;
          r->Top -= 5;
          r->Bottom = c.Height() - 1;
          break;
        case tpRight:
          r->Left -= 3;
          r->Right += FHideTabs ? 4 : 3;
          r->Top -= 5;
          r->Bottom = c.Height() - 1;
          break;
      }
      return;
    }
    case TCM_GETITEMRECT: {
      inherited::WndProc(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      // A tab that is not there keeps the native answer.
      if (!r || !Message.Result || Style() != tsTabs) return;
      switch (TabPosition()) {
        case tpTop:
          if (!MultiLine()) {
            r->Left -= 2;
            r->Right -= 2;
            if (FTabWidthAutoSize && Integer(Message.WParam) == PageCount() - 1) r->Right = Width();
          }
          r->Top -= 2;
          r->Bottom -= 2;
          break;
        case tpBottom:
          if (!MultiLine()) {
            r->Left -= 2;
            r->Right -= 2;
          }
          r->Top += 2;
          r->Bottom += 2;
          break;
        case tpLeft:
          r->Left -= 2;
          r->Right -= 2;
          break;
        case tpRight:
          r->Left += 2;
          r->Right += 2;
          break;
      }
      if (!Designing()) {
        TRect t(r->Left, r->Top, r->Right, r->Bottom);
        IncRect(t, FTabsOffset->X(), FTabsOffset->Y());
        *r = RECT{t.Left, t.Top, t.Right, t.Bottom};
      }
      return;
    }
    case TCM_SETITEMSIZE:
      Message.LParam = ItemSizeParam(LOWORD(Message.LParam), HIWORD(Message.LParam));
      break;
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
      inherited::WndProc(Message);
      // Shared widths follow the number of pages.
      if (FTabWidthAutoSize) SetItemSize(TabWidth(), TabHeight());
      return;
    default:
      break;
  }
  inherited::WndProc(Message);
}

void TQuarnPageControl::DefaultHandler(TMessage& Message) {
  // The native hit test finds the tabs where they are painted; our own
  // mouse handling has already seen the true position.
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_NCHITTEST) && !Designing()) {
    const TPoint s = InputShift();
    if (s.X != 0 || s.Y != 0) {
      const Integer x = GET_X_LPARAM(Message.LParam) - s.X, y = GET_Y_LPARAM(Message.LParam) - s.Y;
      Message.LParam = MAKELPARAM(WORD(x), WORD(y));
    }
  }
  inherited::DefaultHandler(Message);
}

void TQuarnPageControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(Message.LParam);
      if (nm->code == TCN_KEYDOWN) {
        // The native control moves by one on arrows, to the ends on Home and
        // End; the sheet it moves to is what the change question is about.
        const WORD vk = reinterpret_cast<NMTCKEYDOWN*>(nm)->wVKey;
        const bool vert = TabPosition() == tpLeft || TabPosition() == tpRight;
        const Integer from = std::max(0, TabIndex()), count = Tabs()->Count();
        Integer to = -1;
        if (vk == (vert ? VK_UP : VK_LEFT)) to = from - 1;
        else if (vk == (vert ? VK_DOWN : VK_RIGHT)) to = from + 1;
        else if (vk == VK_HOME) to = 0;
        else if (vk == VK_END) to = count - 1;
        FKeyTab = to >= 0 && to < count ? to : -1;
        break;
      }
      if (nm->code == TCN_SELCHANGING) {
        if (Designing()) {
          Message.Result = 0;
          return;
        }
        Message.Result = 1;
        Integer tab = FKeyTab;
        if (tab < 0) {
          POINT pt{0, 0};
          GetCursorPos(&pt);
          TPoint p = ScreenToClient(TPoint(pt.X, pt.Y));
          const TPoint s = InputShift();
          tab = IndexOfTabAt(p.X - s.X, p.Y - s.Y);
        }
        FKeyTab = -1;
        FNewTabSheet = tab >= 0 ? dynamic_cast<TQuarnTabSheet*>(PageForTab(tab)) : nullptr;
        if (CanChange()) Message.Result = 0;
        return;
      }
      if (nm->code == TCN_SELCHANGE) {
        Change();
        Message.Result = 0;
        return;
      }
      break;
    }
    case WM_KEYDOWN:
      try {
        inherited::Dispatch(Message);
      } catch (...) {
        FKeyTab = -1;
        throw;
      }
      FKeyTab = -1;
      return;
    case CM_DIALOGKEY: {
      TWMKey key(Message);
      TCustomForm* form = GetParentForm(this);
      TWinControl* active = form ? form->ActiveControl() : nullptr;
      const bool holds = Focused() || (active && ContainsControl(active));
      if (holds && key.CharCode() == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        const bool forward = GetKeyState(VK_SHIFT) >= 0;
        FNewTabSheet = dynamic_cast<TQuarnTabSheet*>(FindNextPage(ActivePage(), forward, true));
        SelectNextPage(forward, true);
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (!FHideTabs && !Designing()) {
        TestActive(-1, -1, false);
        FActiveTab = FActiveTabIndex = FOldActiveTab = FOldActiveTabIndex = -1;
      }
      return;
    case WM_ERASEBKGND:
      if (Designing() && Message.WParam) {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        HBRUSH br = CreateSolidBrush(COLORREF(ColorToRGB(Color())));
        RECT r = GetClientRect();
        FillRect(dc, &r, br);
        DeleteObject(br);
      }
      Message.Result = 1;
      return;
    case WM_PAINT: {
      if (ComponentState().Contains(csDestroying)) return;
      PaintMessage(this, Message, [this](HDC dc) {
        // The tabs' pictures see the skin folders as they stood when the paint began.
        TQuarnResManager::TLookupBatch lookups(TQuarnResManagerObj());
        TBitmap32 work;
        work.SetSize(std::max(0, Width()), std::max(0, Height()));
        DrawSelfBackGround(&work);
        if (Tabs()->Count() > 0) DrawTabs(&work);
        work.DrawTo(dc, 0, 0);
      });
      return;
    }
    case WM_SIZE:
      inherited::Dispatch(Message);
      FBgBit->SetSize(std::max(0, Width()), std::max(0, Height()));
      FBgTaken = false;
      if (FTabWidthAutoSize) SetItemSize(TabWidth(), TabHeight());
      return;
    case TCM_SETCURSEL:
      WMCHANGE(Message);
      return;
    case CWM_CHECKPARENTBG:
      CWMCheckParentBg(Message);
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void TQuarnPageControl::WMCHANGE(TMessage& Message) {
  inherited::Dispatch(Message);
  if (!Designing()) Invalidate();
}

void TQuarnPageControl::CWMCheckParentBg(TMessage& Message) {
  // What lies behind changed: our picture, and the active sheet's made from
  // it, are taken again.
  Invalidate();
  if (!Designing()) RefreshSheets();
  Message.Result = 0;
}

void InitQuarnTabs() {
  RegisterClasses({TQuarnPageControl::StaticClass(), TQuarnTabSheet::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnTabCaptionOffset)
QN_PUBLISHED_IMPL(qn::TQuarnTabSheet)
QN_PUBLISHED_IMPL(qn::TQuarnPageControl)
