// Hints of the tree: which hint the platform may show where (the control's
// hint, node hints, tooltips for cut-off cells, column hints of the header),
// and the tree's hint window that paints them and fades or slides them in.
#include "treeview/LazyTrees_qn_Hints.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Themes.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_Header.h"

namespace qn {

namespace {

// Every tree hint window alive, so a tree that goes can take its data back.
std::vector<TLazyTreeHintWindow*>& HintWindows() {
  static std::vector<TLazyTreeHintWindow*> windows;
  return windows;
}

// The header's rectangle in the tree's client coordinates (negative Y: the
// header lives in the non-client area).
TRect HeaderClientRect(TBaseLazyTree_qn* T) {
  RECT wr;
  GetWindowRect(T->Handle(), &wr);
  const TRect& h = T->HeaderRect();
  POINT pts[2] = {{h.Left + wr.Left, h.Top + wr.Top}, {h.Right + wr.Left, h.Bottom + wr.Top}};
  ScreenToClient(T->Handle(), &pts[0]);
  ScreenToClient(T->Handle(), &pts[1]);
  return TRect(pts[0].X, pts[0].Y, pts[1].X, pts[1].Y);
}

bool IsKeyMessage(UINT M) { return M >= 0x0100 && M <= 0x0109; }

bool IsBlank(const String& S) { return S.find_first_not_of(u' ') == String::npos; }

}  // namespace

bool GetHintWindowDestroyed() { return HintWindowDestroyed; }

// ---------------------------------------------------------------------------
// The tree's side

void TBaseLazyTree_qn::DoGetHintKind(PLazyNode Node, TColumnIndex Column, TVTHintKind& Kind) {
  if (Assigned(OnGetHintKind)) OnGetHintKind(this, Node, Column, Kind);
  else Kind = GetDefaultHintKind();
}

void TBaseLazyTree_qn::DoGetHintSize(PLazyNode Node, TColumnIndex Column, TRect& R) {
  if (Assigned(OnGetHintSize)) OnGetHintSize(this, Node, Column, R);
}

void TBaseLazyTree_qn::DoDrawHint(TCanvas* Canvas, PLazyNode Node, const TRect& R, TColumnIndex Column) {
  if (Assigned(OnDrawHint)) OnDrawHint(this, Canvas, Node, R, Column);
}

TClass TBaseLazyTree_qn::GetHintWindowClass() { return TLazyTreeHintWindow::StaticClass(); }

bool TBaseLazyTree_qn::HintsDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_HINTSHOW: CMHintShow(Message); return true;
    case CM_HINTSHOWPAUSE: CMHintShowPause(Message); return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::CancelHintAndLeave() {
  // The hint may name a node that is about to go: it must not outlive it.
  for (TLazyTreeHintWindow* w : HintWindows())
    if (w->HintData().Tree == this) {
      if (Application && Application->HintControl() == this) Application->CancelHint();
      w->ForgetTree(this);
    }
  DoStateChange({}, {tsHint});
}

void TBaseLazyTree_qn::ReleaseHints() {
  if (Application && Application->HintControl() == this) Application->CancelHint();
  for (TLazyTreeHintWindow* w : HintWindows()) w->ForgetTree(this);
  FHintData = TVTHintData();
  FLifeToken.reset();
}

void TBaseLazyTree_qn::CMHintShow(TMessage& Message) {
  THintInfo& info = *HintInfoOf(Message);
  Message.Result = 1;
  // The hint shown last stays while the pointer is inside its rectangle.
  if (PtInRect(FLastHintRect, info.CursorPos)) return;

  THitInfo hit;
  GetHitTestInfoAt(info.CursorPos.X, info.CursorPos.Y, true, hit);
  bool focusedOrEditing;
  if (FStates.Contains(tsEditing)) {
    focusedOrEditing = hit.HitNode != FFocusedNode;
  } else {
    focusedOrEditing = Focused();
    // A form counts as focused while it is the active one (one of its
    // controls has the focus) as well as when it has the focus itself.
    if (TCustomForm* form = GetParentForm(this))
      focusedOrEditing = form->Focused() || form->Active() || (Application && Application->Active());
  }

  TClass windowClass = GetHintWindowClass();
  const bool ownWindow = windowClass && windowClass->InheritsFrom(TLazyTreeHintWindow::StaticClass());
  FHintData.DefaultHint.clear();
  FHintData.HintText.clear();
  FHintData.HintRect = TRect();
  TLazyTreeColumns* columns = FHeader->Columns();
  const bool leftDown = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;

  if (GetCapture() == nullptr && ShowHint() && !Dragging() && !FStates.Contains(tsOLEDragging) &&
      !FStates.Contains(tsVCLDragging) && !FStates.Contains(tsDrawSelecting) && !FStates.Contains(tsScrolling) &&
      FHeader->States().Empty() && focusedOrEditing) {
    Message.Result = 0;
    const bool validColumn = columns->Count() == 0 ? hit.HitColumn == NoColumn : columns->IsValidColumn(hit.HitColumn);
    const bool inHeader = FHeader->UseColumns() && FHeader->Options().Contains(hoShowHint) && HandleAllocated() &&
                          PtInRect(HeaderClientRect(this), info.CursorPos);
    if (ownWindow) {
      info.HintStr = u" ";
    } else if (inHeader) {
      Integer l = 0, r = 0;
      TColumnIndex c = columns->GetColumnAndBounds(info.CursorPos, l, r);
      info.HintStr = (c > NoColumn && !leftDown) ? columns->Items(c)->Hint() : String();
    } else if (FHintMode == hmDefault) {
      info.HintStr = GetShortHint(Hint());
    } else if (hit.HitNode && validColumn) {
      TVTTooltipLineBreakStyle style = hlbDefault;
      info.HintStr = FHintMode == hmTooltip ? DoGetNodeTooltip(hit.HitNode, hit.HitColumn, style)
                                            : DoGetNodeHint(hit.HitNode, hit.HitColumn, style);
    }

    if (inHeader) {
      info.CursorRect = HeaderClientRect(this);
      Integer l = 0, r = 0;
      TColumnIndex c = columns->GetColumnAndBounds(info.CursorPos, l, r);
      if (c > NoColumn) {
        info.CursorRect.Left = l;
        info.CursorRect.Right = r;
      }
      info.HintPos.Y = std::max(info.HintPos.Y, ClientToScreen(info.CursorRect.BottomRight()).Y);
      if (c > NoColumn && !leftDown) FHintData.DefaultHint = columns->Items(c)->Hint();
      if (c <= NoColumn || FHintData.DefaultHint.empty()) Message.Result = 1;
    } else if (FHintMode == hmDefault) {
      info.HintStr = GetShortHint(Hint());
      // The platform's own window shows the control's hint.
      if (info.HintStr.empty()) Message.Result = 1;
      FLastHintRect = TRect();
      if (Message.Result == 0) DoStateChange({tsHint});
      else DoStateChange({}, {tsHint});
      return;
    } else if (hit.HitNode && validColumn) {
      TVTHintKind kind = vhkText;
      DoGetHintKind(hit.HitNode, hit.HitColumn, kind);
      bool show = true;
      if (kind == vhkOwnerDraw) {
        DoGetHintSize(hit.HitNode, hit.HitColumn, FHintData.HintRect);
        show = !IsRectEmpty(FHintData.HintRect);
      }
      if (show) {
        // The horizontal room of the cell, over empty neighbours when
        // auto spanning.
        Integer colLeft = 0, colRight = ClientWidth();
        if (FHeader->UseColumns()) {
          Integer l = 0, r = 0;
          if (columns->GetColumnAndBounds(info.CursorPos, l, r) == hit.HitColumn) {
            colLeft = l;
            colRight = r;
          } else {
            columns->GetColumnBounds(hit.HitColumn, colLeft, colRight);
          }
          if (FOptions->AutoOptions().Contains(toAutoSpanColumns)) {
            for (TColumnIndex next = columns->GetNextVisibleColumn(hit.HitColumn);
                 next > NoColumn && ColumnIsEmpty(hit.HitNode, next); next = columns->GetNextVisibleColumn(next))
              colRight += columns->Items(next)->Width();
          }
        }
        if (FHintMode == hmTooltip) {
          TRect nodeRect;
          bool cut = false;
          if (!hit.HitNode->States.Contains(vsMultiline)) {
            nodeRect = GetDisplayRect(hit.HitNode, hit.HitColumn, true, true, true);
            TPoint m = DoGetCellContentMargin(hit.HitNode, hit.HitColumn, ccmtBottomRightOnly);
            const TPoint& p = info.CursorPos;
            cut = PtInRect(nodeRect, p) && p.X >= colLeft && p.X <= colRight &&
                  (std::min(ClientWidth(), colRight - 1) < nodeRect.Right + m.X || std::max(0, colLeft) > nodeRect.Left ||
                   ClientHeight() < nodeRect.Bottom + m.Y || nodeRect.Top < 0);
          } else {
            cut = hit.HitPositions.Contains(hiOnItemLabel);
            nodeRect = GetDisplayRect(hit.HitNode, hit.HitColumn, true, false);
          }
          if (cut) {
            FHintData.DefaultHint.clear();
            info.HintPos = ClientToScreen(nodeRect.TopLeft());
            info.CursorRect = nodeRect;
          } else {
            Message.Result = 1;
          }
        } else {
          info.CursorRect = GetDisplayRect(hit.HitNode, NoColumn, false);
          info.CursorRect.Left = std::max(info.CursorRect.Left, colLeft);
          info.CursorRect.Right = std::min(info.CursorRect.Right, colRight);
          info.HintPos.Y = std::max(info.HintPos.Y, ClientToScreen(TPoint(0, info.CursorRect.Bottom)).Y) + 2;
        }
      } else {
        Message.Result = 1;
      }
    } else if (FHintMode == hmHintAndDefault) {
      FHintData.DefaultHint = GetShortHint(Hint());
      if (FHintData.DefaultHint.empty()) Message.Result = 1;
      else if (!ownWindow) info.HintStr = FHintData.DefaultHint;
    } else {
      Message.Result = 1;
    }

    if (Message.Result == 0 && ownWindow) {
      info.HintWindowClass = windowClass;
      FHintData.Tree = this;
      // Only a hint about a node names it: a default hint over a row must
      // not be painted as that node's (owner-drawn) hint.
      FHintData.Node = inHeader || FHintMode == hmDefault || !validColumn ? nullptr : hit.HitNode;
      FHintData.Column = hit.HitColumn;
      FLastHintRect = info.CursorRect;
      info.HintData = &FHintData;
    } else {
      FLastHintRect = TRect();
    }
  } else {
    FLastHintRect = TRect();
  }
  if (Message.Result == 0) DoStateChange({tsHint});
  else DoStateChange({}, {tsHint});
}

void TBaseLazyTree_qn::CMHintShowPause(TMessage& Message) {
  auto* pause = reinterpret_cast<Integer*>(Message.LParam);
  if (!pause) return;
  if (HintWindowDestroyed && FHeader->UseColumns() && FHeader->Options().Contains(hoShowHint) && HandleAllocated()) {
    TPoint p;
    GetCursorPos(&p);
    if (PtInRect(HeaderClientRect(this), ScreenToClient(p))) *pause = 0;
  }
  // Tooltips stand in for the cell's own text: they come at once.
  if (FHintMode == hmTooltip) *pause = 0;
}

// ---------------------------------------------------------------------------
// TLazyTreeHintWindow

TLazyTreeHintWindow::TLazyTreeHintWindow(TComponent* AOwner)
    : THintWindow(AOwner),
      FBackground(std::make_unique<TBitmap>()),
      FDrawBuffer(std::make_unique<TBitmap>()),
      FTarget(std::make_unique<TBitmap>()) {
  for (TBitmap* b : {FBackground.get(), FDrawBuffer.get(), FTarget.get()}) b->SetPixelFormat(TPixelFormat::pf32bit);
  SetDoubleBuffered(false);
  HintWindows().push_back(this);
  HintWindowDestroyed = false;
}

TLazyTreeHintWindow::~TLazyTreeHintWindow() {
  HintWindowDestroyed = true;
  auto& all = HintWindows();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void TLazyTreeHintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TLazyTreeHintWindow::ClearHintData() {
  FHintData = TVTHintData();
  FTreeAlive.reset();
}

void TLazyTreeHintWindow::ForgetTree(TBaseLazyTree_qn* Tree) {
  if (FHintData.Tree != Tree) return;
  ClearHintData();
  if (HandleAllocated() && IsWindowVisible(Handle())) ShowWindow(Handle(), SW_HIDE);
}

void TLazyTreeHintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_NCPAINT: Message.Result = 0; return;
    case WM_SHOWWINDOW: WMShowWindow(Message); return;
    default: break;
  }
  inherited::Dispatch(Message);
}

void TLazyTreeHintWindow::WMShowWindow(TMessage& Message) {
  // A hidden hint keeps no node: the node may be gone before it shows again.
  if (Message.WParam == 0 && !FActivating) {
    ClearHintData();
    HintWindowDestroyed = false;
  }
  inherited::Dispatch(Message);
}

TRect TLazyTreeHintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) {
  if (!AData) return TRect();
  FHintData = *static_cast<TVTHintData*>(AData);
  TBaseLazyTree_qn* tree = FHintData.Tree;
  FTreeAlive = tree ? std::weak_ptr<int>(tree->FLifeToken) : std::weak_ptr<int>();
  PLazyNode node = FHintData.Node;
  TColumnIndex column = FHintData.Column;
  if (node && !IsRectEmpty(FHintData.HintRect)) return FHintData.HintRect;

  const bool validColumn = tree && tree->Header()->Columns()->IsValidColumn(column);
  if (tree) {
    if (validColumn) {
      TLazyTreeColumn* c = tree->Header()->Columns()->Items(column);
      FHintData.BidiMode = c->BiDiMode();
      FHintData.Alignment = c->Alignment();
    } else {
      FHintData.BidiMode = tree->BiDiMode();
      FHintData.Alignment = tree->GetControlsAlignment();
    }
    if (FHintData.BidiMode != bdLeftToRight) {
      if (FHintData.Alignment == taLeftJustify) FHintData.Alignment = taRightJustify;
      else if (FHintData.Alignment == taRightJustify) FHintData.Alignment = taLeftJustify;
    }
  }

  const bool tooltip = tree && node && tree->HintMode() == hmTooltip;
  TCanvas* canvas = Canvas();
  if (Screen) canvas->Font()->Assign(Screen->HintFont());
  if (tooltip) {
    // The cell's font as the tree paints the text.
    TRect r;
    String text;
    tree->GetTextInfo(node, column, canvas->Font(), r, text);
  }
  HDC dc = canvas->Handle();
  HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  FTextHeight = tm.tmHeight;

  if (!IsBlank(AHint)) FHintData.HintText = AHint;
  else if (!FHintData.DefaultHint.empty()) FHintData.HintText = FHintData.DefaultHint;
  else if (tree && node) {
    FHintData.HintText = tooltip ? tree->DoGetNodeTooltip(node, column, FHintData.LineBreakStyle)
                                 : tree->DoGetNodeHint(node, column, FHintData.LineBreakStyle);
  } else {
    FHintData.HintText.clear();
  }
  TRect result;
  if (FHintData.HintText.empty()) {
    SelectObject(dc, oldFont);
    return result;
  }
  const String& text = FHintData.HintText;
  if (!tooltip) {
    RECT r{0, 0, MaxWidth, FTextHeight};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    result = r;
    result.Bottom += 6;
    if (tree) result.Right += tree->TextMargin() + FTextHeight;
  } else {
    if (FHintData.LineBreakStyle == hlbDefault)
      FHintData.LineBreakStyle = node->States.Contains(vsMultiline) ? hlbForceMultiLine : hlbForceSingleLine;
    if (FHintData.LineBreakStyle == hlbForceMultiLine) {
      TRect cell = tree->GetDisplayRect(node, column, true, false);
      RECT r = cell;
      DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      result = r;
      if (FHintData.BidiMode == bdLeftToRight) result.Right = cell.Right + tree->TextMargin();
      else result.Left = cell.Left - tree->TextMargin() + 1;
      result.Bottom = cell.Bottom;
      ++result.Right;
      if (tree->Header()->UseColumns() && validColumn) {
        const TRect& measured = r;
        bool fits = (measured.Bottom - measured.Top) <= Integer(node->NodeHeight) + 2 &&
                    (measured.Right - measured.Left) <= tree->Header()->Columns()->Items(column)->Width() + 2;
        bool inside = result.Left >= 0 && result.Right <= tree->ClientWidth() + 3 && result.Top >= 0 &&
                      result.Bottom <= tree->ClientHeight() + 3;
        if (fits && inside) {
          SelectObject(dc, oldFont);
          return TRect();
        }
      }
    } else {
      result = tree->FLastHintRect;
      if (tree->TreeOptions()->PaintOptions().Contains(toShowHorzGridLines)) --result.Bottom;
    }
    InflateRect(result, 1, 1);
    OffsetRect(result, -1 - result.Left, -1 - result.Top);
  }
  SelectObject(dc, oldFont);
  return result;
}

void TLazyTreeHintWindow::ActivateHint(TRect Rect, const String&) {
  TBaseLazyTree_qn* tree = FHintData.Tree;
  if (IsRectEmpty(Rect) || !tree || FTreeAlive.expired()) {
    // Nothing shows, so nothing is kept: the next move asks again.
    if (tree && !FTreeAlive.expired()) tree->FLastHintRect = TRect();
    if (Application) Application->CancelHint();
    return;
  }
  const bool wasAnimating = tree->FStates.Contains(tsInAnimation);
  if (wasAnimating) tree->DoStateChange({}, {tsInAnimation});

  HWND wnd = Handle();
  {
    FActivating = true;
    SetWindowPos(wnd, nullptr, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
    FActivating = false;
  }
  const Integer w = Rect.Width(), h = Rect.Height();
  TRect desk = Screen ? Screen->DesktopRect() : TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (Rect.Top - desk.Top + h > desk.Height()) Rect.Top = desk.Height() - h + desk.Top;
  if (Rect.Left - desk.Left + w > desk.Width()) Rect.Left = desk.Width() - w + desk.Left;
  if (Rect.Left < desk.Left) Rect.Left = desk.Left;
  Rect.Right = Rect.Left + w;
  Rect.Bottom = Rect.Top + h;
  FActivating = true;
  SetBounds(Rect.Left, Rect.Top, w, h);
  FActivating = false;

  for (TBitmap* b : {FBackground.get(), FDrawBuffer.get(), FTarget.get()}) b->SetSize(w, h);
  tree->Update();
  HDC screen = GetDC(nullptr);
  BitBlt(FBackground->Canvas()->Handle(), 0, 0, w, h, screen, Rect.Left, Rect.Top, SRCCOPY);
  ReleaseDC(nullptr, screen);

  SetWindowPos(wnd, HWND_TOPMOST, Rect.Left, Rect.Top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);

  FAnimation = tree->DoGetAnimationType();
  std::weak_ptr<int> self = FSelfAlive;
  std::weak_ptr<int> treeAlive = FTreeAlive;
  auto callback = [this, self](Integer Step, Integer StepSize, Pointer Data) {
    return !self.expired() && AnimationCallback(Step, StepSize, Data);
  };
  switch (FAnimation) {
    case hatFade:
      ValidateRect(wnd, nullptr);
      tree->Animate(255, 2 * tree->AnimationDuration(), callback, nullptr);
      break;
    case hatSlide:
      ValidateRect(wnd, nullptr);
      tree->Animate(Cardinal(h), tree->AnimationDuration(), callback, nullptr);
      break;
    default: Invalidate(); break;
  }
  // The loop pumped messages: the tree or this window may be gone.
  if (self.expired() || treeAlive.expired()) return;
  if (wasAnimating && !HintWindowDestroyed) tree->DoStateChange({tsCancelHintAnimation});
  else tree->DoStateChange({}, {tsCancelHintAnimation});
  // The last frame is the finished picture.
  if (FAnimation != hatNone && HandleAllocated() && IsWindowVisible(Handle()) && FHintData.Tree == tree) {
    HDC dc = GetDC(Handle());
    BitBlt(dc, 0, 0, w, h, FDrawBuffer->Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(Handle(), dc);
  }
}

bool TLazyTreeHintWindow::AnimationCallback(Integer Step, Integer StepSize, Pointer) {
  TBaseLazyTree_qn* tree = FHintData.Tree;
  bool result = !HintWindowDestroyed && HandleAllocated() && IsWindowVisible(Handle()) && tree &&
                !FTreeAlive.expired() && !tree->FStates.Contains(tsCancelHintAnimation);
  if (!result) return false;
  InternalPaint(Step, StepSize);
  std::weak_ptr<int> self = FSelfAlive, treeAlive = FTreeAlive;
  if (Application) Application->ProcessMessages();
  return !self.expired() && !treeAlive.expired();
}

void TLazyTreeHintWindow::InternalPaint(Integer Step, Integer) {
  TBaseLazyTree_qn* tree = FHintData.Tree;
  if (!HandleAllocated()) return;
  const Integer w = Width(), h = Height();
  if (Step == 0) {
    TCanvas* c = FDrawBuffer->Canvas();
    TRect r(0, 0, w, h);
    Integer y = 2;
    const bool tooltip = tree && FHintData.Node && tree->HintMode() == hmTooltip && !FTreeAlive.expired();
    if (Screen) c->Font()->Assign(Screen->HintFont());
    if (tooltip) {
      TRect textRect;
      String text;
      tree->GetTextInfo(FHintData.Node, FHintData.Column, c->Font(), textRect, text);
      y = FHintData.LineBreakStyle == hlbForceMultiLine ? 1 : (h - textRect.Height()) / 2;
    }
    TVTHintKind kind = vhkText;
    if (tree && FHintData.Node && !FTreeAlive.expired()) tree->DoGetHintKind(FHintData.Node, FHintData.Column, kind);
    if (kind == vhkText) {
      c->Font()->SetColor(clInfoText);
      c->Pen()->SetColor(clBlack);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(clInfoBk);
      TCustomLazyTreeOptions* options = tree && !FTreeAlive.expired() ? tree->TreeOptions() : nullptr;
      const bool themed = IsWinVistaOrAbove() && ThemeServices()->ThemesEnabled() && options &&
                          (options->PaintOptions().Contains(toThemeAware) ||
                           options->PaintOptions().Contains(toUseExplorerTheme));
      if (themed) {
        HDC dc = c->Handle();
        TThemedElementDetails d = ThemeServices()->GetElementDetails(tttStandardNormal);
        if (options->PaintOptions().Contains(toUseExplorerTheme)) {
          ThemeServices()->DrawElement(dc, d, r);
        } else {
          TRect grown = r;
          InflateRect(grown, 4, 4);
          ThemeServices()->DrawElement(dc, d, grown, &r);
          c->Brush()->SetColor(clBlack);
          c->FrameRect(r);
        }
      } else {
        c->Rectangle(r);
      }
      InflateRect(r, -1, -1);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      r.Top = y;
      r.Left += 3;
      UINT format = DT_NOPREFIX;
      if (FHintData.Node && FHintData.LineBreakStyle == hlbForceMultiLine) format |= DT_WORDBREAK;
      if (FHintData.BidiMode != bdLeftToRight) format |= DT_RTLREADING;
      HDC dc = c->Handle();
      HGDIOBJ old = SelectObject(dc, c->Font()->Handle());
      SetTextColor(dc, COLORREF(ColorToRGB(c->Font()->Color())));
      SetBkMode(dc, TRANSPARENT);
      RECT dr = r;
      DrawTextW(dc, FHintData.HintText.c_str(), int(FHintData.HintText.size()), &dr, format);
      SelectObject(dc, old);
    } else if (tree) {
      tree->DoDrawHint(c, FHintData.Node, r, FHintData.Column);
    }
  }
  HDC dc = GetDC(Handle());
  HDC buffer = FDrawBuffer->Canvas()->Handle();
  if (Step == 0) {
    if (FAnimation != hatFade) BitBlt(dc, 0, 0, w, h, buffer, 0, 0, SRCCOPY);
  } else if (FAnimation == hatSlide) {
    // The bottom Step rows of the picture at the top, the screen below.
    const Integer rows = std::min(Step, h);
    BitBlt(dc, 0, 0, w, rows, buffer, 0, h - rows, SRCCOPY);
    BitBlt(dc, 0, rows, w, h - rows, FBackground->Canvas()->Handle(), 0, rows, SRCCOPY);
  } else if (FAnimation == hatFade) {
    HDC target = FTarget->Canvas()->Handle();
    BitBlt(target, 0, 0, w, h, FBackground->Canvas()->Handle(), 0, 0, SRCCOPY);
    AlphaBlend(buffer, target, TRect(0, 0, w, h), TPoint(0, 0), bmConstantAlpha, MulDiv(Step, 256, 255), 0);
    BitBlt(dc, 0, 0, w, h, target, 0, 0, SRCCOPY);
  }
  ReleaseDC(Handle(), dc);
}

void TLazyTreeHintWindow::Paint() { InternalPaint(0, 0); }

bool TLazyTreeHintWindow::IsHintMsg(const MSG& Msg) {
  bool result = inherited::IsHintMsg(Msg) && HandleAllocated() && IsWindowVisible(Handle());
  // Moving over the frame and typing leave the hint up.
  if (result && (Msg.message == WM_NCMOUSEMOVE || IsKeyMessage(Msg.message))) result = false;
  return result;
}

}  // namespace qn
