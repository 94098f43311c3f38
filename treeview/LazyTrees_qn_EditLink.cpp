// The string tree's default in-place editor.
#include "treeview/LazyTrees_qn_EditLink.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "treeview/LazyTrees_qn_Header.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

using lazytrees_internal::ChangeBiDiModeAlignment;

// ---------------------------------------------------------------------------
// TVTEdit

TVTEdit::TVTEdit(TStringEditLink* Link) : TCustomEdit(nullptr), FRefLink(Link), FLink(Link), FMaster(Link) {
  SetShowHint(false);
  SetParentShowHint(false);
}

TVTEdit::~TVTEdit() {
  if (FMaster) FMaster->FEdit = nullptr;
  FMaster = nullptr;
  FLink = nullptr;
  // The last reference may free the link, which must find no edit left.
  TIntf<IVTEditLink> last = std::move(FRefLink);
}

bool TVTEdit::MultiLine() const { return FLink && FLink->FNode && FLink->FNode->States.Contains(vsMultiline); }

void TVTEdit::Detach() {
  FLink = nullptr;
  // Dropping the reference may free the link (and release this control,
  // which then goes only when the message it handles is done).
  TIntf<IVTEditLink> last = std::move(FRefLink);
}

void TVTEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
  if (MultiLine()) {
    Params.Style &= ~DWORD(ES_AUTOHSCROLL | WS_HSCROLL);
    Params.Style |= WS_VSCROLL | ES_AUTOVSCROLL;
  }
  if (FLink && FLink->FTree && FLink->FTree->TreeStates().Contains(tsUseThemes)) {
    Params.Style &= ~DWORD(WS_BORDER);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  } else {
    Params.Style |= WS_BORDER;
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  }
}

void TVTEdit::AutoAdjustSize() {
  if (!FLink || !FLink->FTree || MultiLine() || !HandleAllocated() ||
      FLink->FTree->TreeOptions()->MiscOptions().Contains(toGridExtensions))
    return;
  TCustomLazyStringTree_qn* tree = FLink->FTree;
  HWND h = Handle();
  SendMessageW(h, WM_SETREDRAW, 0, 0);
  HDC dc = GetDC(h);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  struct TRestore {
    HWND H;
    HDC DC;
    HGDIOBJ Old;
    ~TRestore() {
      SelectObject(DC, Old);
      ReleaseDC(H, DC);
      SendMessageW(H, WM_SETREDRAW, 1, 0);
    }
  } restore{h, dc, oldFont};
  // The two extra letters leave room for the caret and reach the font's
  // full height.
  String text = Text() + u"yG";
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), Integer(text.size()), &size);
  size.cx += 2 * tree->TextMargin();
  size.cy += 2 * tree->TextMargin();
  SetHeight(std::max<Integer>(size.cy, Height() - 2 * GetSystemMetrics(SM_CXBORDER)));
  // What the editor no longer covers shows the tree again.
  if (Width() > size.cx) tree->Invalidate();
  TRect r = BoundsRect();
  if (FLink->FAlignment == taRightJustify) r.Left = r.Right - size.cx;
  else r.Right = r.Left + size.cx;
  r.Bottom = r.Top + Height();
  FLink->SetBounds(r);
}

void TVTEdit::Release() {
  if (HandleAllocated()) {
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
  } else if (!Parent()) {
    // Never shown anywhere: nothing can still be using it.
    delete this;
  } else {
    // Its window went with the tree's, whose rebuild may still hold on to
    // it: it goes once the main thread is idle again, unless the tree took
    // it along meanwhile.
    std::weak_ptr<bool> alive = FAlive;
    TThread::ForceQueue(nullptr, TThreadMethod([this, alive] {
      if (!alive.expired()) delete this;
    }));
  }
}

void TVTEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_AUTOADJUST: CMAutoAdjust(Message); return;
    case CM_EXIT: CMExit(Message); return;
    case CM_RELEASE: CMRelease(Message); return;
    case CN_COMMAND: CNCommand(Message); return;
    case WM_CHAR: WMChar(Message); return;
    case WM_DESTROY: WMDestroy(Message); return;
    case WM_GETDLGCODE: WMGetDlgCode(Message); return;
    case WM_KEYDOWN: WMKeyDown(Message); return;
    default: inherited::Dispatch(Message); return;
  }
}

void TVTEdit::CMAutoAdjust(TMessage&) { AutoAdjustSize(); }

void TVTEdit::CMExit(TMessage& Message) {
  if (FLink && !FLink->FStopping && FLink->FTree) {
    TCustomLazyStringTree_qn* tree = FLink->FTree;
    if (tree->TreeOptions()->StringOptions().Contains(toAutoAcceptEditChange)) tree->DoEndEdit();
    else tree->DoCancelEdit();
  }
  inherited::Dispatch(Message);
}

void TVTEdit::CMRelease(TMessage&) { delete this; }

void TVTEdit::CNCommand(TMessage& Message) {
  if (HIWORD(Message.WParam) == EN_UPDATE && FLink && FLink->FTree && !MultiLine()) {
    AutoAdjustSize();
    return;
  }
  inherited::Dispatch(Message);
}

void TVTEdit::WMChar(TMessage& Message) {
  // Both ended or left the edit on their key-down already.
  if (Message.WParam == VK_TAB || Message.WParam == VK_ESCAPE) return;
  inherited::Dispatch(Message);
}

void TVTEdit::WMDestroy(TMessage& Message) {
  // A window that goes while the edit runs (its tree's window is rebuilt)
  // keeps a change as the option says; a tree that is being destroyed
  // takes no text any more.
  if (FLink && !FLink->FStopping) {
    TCustomLazyStringTree_qn* tree = FLink->FTree;
    if (tree && !tree->ComponentState().Contains(csDestroying) &&
        tree->TreeOptions()->StringOptions().Contains(toAutoAcceptEditChange) && FLink->FNode && Modified())
      tree->SetText(FLink->FNode, FLink->FColumn, Text());
    Detach();
  }
  inherited::Dispatch(Message);
}

void TVTEdit::WMGetDlgCode(TMessage& Message) {
  inherited::Dispatch(Message);
  Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
}

void TVTEdit::WMKeyDown(TMessage& Message) {
  TCustomLazyStringTree_qn* tree = FLink ? FLink->FTree : nullptr;
  if (!tree) {
    inherited::Dispatch(Message);
    return;
  }
  auto focusTree = [tree] {
    if (tree->CanFocus()) tree->SetFocus();
  };
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (Message.WParam) {
    case VK_ESCAPE:
      tree->DoCancelEdit();
      focusTree();
      return;
    case VK_RETURN:
      if (!MultiLine() || ctrl) {
        static_cast<TBaseLazyTree_qn*>(tree)->InvalidateNode(FLink->FNode);
        tree->DoEndEdit();
        focusTree();
      }
      // A multi-line editor gets its line break from the character.
      return;
    case VK_UP:
      if (!MultiLine()) Message.WParam = VK_LEFT;
      break;
    case VK_DOWN:
      if (!MultiLine()) Message.WParam = VK_RIGHT;
      break;
    case VK_TAB: {
      if (!tree->IsEditing()) return;
      // Ending the edit detaches this control: everything needed after it
      // is taken first.
      PLazyNode node = FLink->FNode;
      static_cast<TBaseLazyTree_qn*>(tree)->InvalidateNode(node);
      PLazyNode next = tree->GetNextVisible(node, true);
      tree->EndEditNode();
      tree->SetFocusedNode(next);
      PLazyNode focused = tree->FocusedNode();
      if (focused && tree->CanEdit(focused, tree->FocusedColumn())) tree->DoEdit();
      return;
    }
    case 'A':
      if (tree->IsEditing() && ctrl && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
        SelectAll();
        return;
      }
      break;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TStringEditLink

TStringEditLink::TStringEditLink() {
  // The edit holds a reference from its first moment on.
  TConstructionGuard guard(this);
  FEdit = new TVTEdit(this);
  FEdit->SetVisible(false);
  FEdit->SetBorderStyle(bsSingle);
  FEdit->SetAutoSize(false);
}

TStringEditLink::~TStringEditLink() {
  if (TVTEdit* edit = std::exchange(FEdit, nullptr)) {
    edit->FMaster = nullptr;
    edit->Release();
  }
}

bool TStringEditLink::BeginEdit() {
  if (FStopping || !FEdit) return false;
  FEdit->Show();
  FEdit->SelectAll();
  if (FEdit->CanFocus()) FEdit->SetFocus();
  FEdit->AutoAdjustSize();
  return true;
}

bool TStringEditLink::CancelEdit() {
  if (FStopping || !FEdit) return false;
  FStopping = true;
  FEdit->Hide();
  if (FTree) FTree->CancelEditNode();
  if (FEdit) FEdit->Detach();
  return true;
}

bool TStringEditLink::EndEdit() {
  if (FStopping || !FEdit) return false;
  FStopping = true;
  try {
    if (FTree && FNode && FEdit->Modified()) FTree->SetText(FNode, FColumn, FEdit->Text());
    if (FEdit) {
      FEdit->Hide();
      FEdit->Detach();
    }
  } catch (...) {
    FStopping = false;
    throw;
  }
  return true;
}

TRect TStringEditLink::GetBounds() { return FEdit ? FEdit->BoundsRect() : TRect(); }

bool TStringEditLink::PrepareEdit(TBaseLazyTree_qn* Tree, PLazyNode Node, TColumnIndex Column) {
  auto* tree = dynamic_cast<TCustomLazyStringTree_qn*>(Tree);
  if (!tree || !Node || FStopping || !FEdit) {
    // Nothing will ever end this edit: the control lets go of the link so
    // that neither keeps the other alive.
    if (FEdit) FEdit->Detach();
    return false;
  }
  FTree = tree;
  FNode = Node;
  FColumn = Column;
  String text;
  FTree->GetTextInfo(Node, Column, FEdit->Font(), FTextBounds, text);
  FEdit->Font()->SetColor(clWindowText);
  FEdit->SetParent(FTree);
  // The window's style depends on the node (one line or several).
  FEdit->RecreateWnd();
  FEdit->HandleNeeded();
  FEdit->SetText(text);
  TLazyTreeColumns* columns = FTree->Header()->Columns();
  if (columns->IsValidColumn(Column)) {
    FEdit->SetBiDiMode(columns->Items(Column)->BiDiMode());
    FAlignment = columns->Items(Column)->Alignment();
  } else {
    FEdit->SetBiDiMode(FTree->BiDiMode());
    FAlignment = FTree->Alignment();
  }
  if (FEdit->BiDiMode() != bdLeftToRight) FAlignment = ChangeBiDiModeAlignment(FAlignment);
  return true;
}

void TStringEditLink::ProcessMessage(TMessage& Message) {
  if (FEdit) FEdit->WindowProc()(Message);
}

void TStringEditLink::SetBounds(TRect R) {
  if (FStopping || !FEdit || !FTree) return;
  const Integer clientWidth = FTree->ClientWidth();
  R.Left = std::max<Integer>(R.Left, 0);
  if (R.Width() < 30) {
    if (FAlignment == taRightJustify) R.Left = R.Right - 30;
    else R.Right = R.Left + 30;
  }
  // A cell beyond the client's right edge gets an empty editor there rather
  // than one of negative width.
  R.Left = std::min(R.Left, clientWidth);
  R.Right = std::max(std::min(R.Right, clientWidth), R.Left);
  FEdit->SetBoundsRect(R);

  const bool multiLine = FNode && FNode->States.Contains(vsMultiline);
  TRect fmt = FEdit->ClientRect();
  Integer offset = multiLine ? 0 : 2;
  if (FTree->TreeStates().Contains(tsUseThemes)) ++offset;
  InflateRect(fmt, offset - FTree->TextMargin(), offset);
  if (!multiLine) OffsetRect(fmt, 0, FTextBounds.Top - FEdit->Top());
  fmt.Top = std::max<Integer>(-1, fmt.Top);
  SendMessageW(FEdit->Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fmt));
}

// ---------------------------------------------------------------------------
// The string tree's editor

TIntf<IVTEditLink> TCustomLazyStringTree_qn::DoCreateEditor(PLazyNode Node, TColumnIndex Column) {
  TIntf<IVTEditLink> result = inherited::DoCreateEditor(Node, Column);
  if (!result) result = TIntf<IVTEditLink>(new TStringEditLink());
  return result;
}

}  // namespace qn
