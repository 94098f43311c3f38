#include "skin/extended/uQuarnPopupMessage.h"

#include <algorithm>

#include "platform/gdi/GdiText.h"
#include "platform/rtl/DateUtils.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

// The title band of a notification, and the room its button takes.
constexpr Integer kTitleHeight = 27;
constexpr Integer kButtonRoom = 35;
// The icon's place in the client area.
constexpr Integer kIconLeft = 10, kIconTop = 20;
// Fade: a step every 10 ms of 10 alpha levels; the pause is checked every
// 100 ms.
constexpr Cardinal kFadeInterval = 10, kCheckInterval = 100;
constexpr Integer kFadeStep = 10;

}  // namespace

// ---------------------------------------------------------------------------
// TMsgButton

TMsgButton::TMsgButton() : FFont(new TFont), FHotFont(new TFont), FPictures(new TPngPictures) {
  FPictures->SetImage(u"QuarnButton");
  FPictures->SetCount(5);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictures->SetDisable(3);
  FPictures->SetActive(true);
}

TMsgButton::~TMsgButton() = default;

void TMsgButton::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TMsgButton*>(Source)) {
    FVisible = b->FVisible;
    FCaption = b->FCaption;
    FFont->Assign(b->FFont.get());
    FHotFont->Assign(b->FHotFont.get());
    FPictures->Assign(b->FPictures.get());
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// TQuarnPopupForm

TQuarnPopupForm::TQuarnPopupForm(TComponent* AOwner, Integer X, Integer Y, Integer AClosePause,
                                 Boolean AActiveAnimate)
    : TForm(AOwner), FClosePause(AClosePause), FActiveAnimate(AActiveAnimate) {
  SetKeyPreview(true);
  SetBorderIcons(TBorderIcons{});
  SetBorderStyle(bsDialog);
  Font()->SetSize(9);
  SetFormStyle(fsStayOnTop);
  if (X < -9999) {
    SetPosition(poScreenCenter);
  } else {
    SetPosition(poDesigned);
    SetLeft(X);
    SetTop(Y);
  }

  FBlendHide = false;
  if (FActiveAnimate) {
    SetAlphaBlend(true);
    SetAlphaBlendValue(0);
    FAnimate.reset(new TTimer(nullptr));
    FAnimate->SetInterval(kFadeInterval);
    FAnimate->SetOnTimer(TNotifyEvent(this, &TQuarnPopupForm::FadeStep));
    FAnimate->SetEnabled(true);
  }
  FTimer.reset(new TTimer(nullptr));
  FTimer->SetInterval(kCheckInterval);
  FTimer->SetOnTimer(TNotifyEvent(this, &TQuarnPopupForm::CloseCheck));
  FTimer->SetEnabled(FClosePause != 0);
  FPopupTime = Now();

  FQuarnForm = new TQuarnForm(this);
  FQuarnForm->SetTag(QnPrivateFormSkinTag);
  FQuarnForm->SetActiveGradient(false);
  FQuarnForm->SetRoundWindow(false);
  FQuarnForm->SetDoubleFrame(false);
  FQuarnForm->SetEraseBackGround(true);
  FQuarnForm->SetTitleHeight(kTitleHeight);
  // A notification is no application window: no taskbar button.
  FQuarnForm->Options()->SetMinimizeToTaskbar(false);
  // The window now, under its skin: the client area Popup lays out in is
  // the skinned one, and the title-bar controls find their host at once.
  HandleNeeded();

  FCloseNCButton = new TQuarnSystemButton(this);
  FCloseNCButton->SetCloseImage(u"QuarnTips_close");
  FCloseNCButton->Pos()->SetUseDefault(false);
  FCloseNCButton->Pos()->SetXValue(22);
  FCloseNCButton->Pos()->SetYValue(4);

  FCaption = new TQuarnNCLabel(this);
  FMsg = new TQuarnLabel(this);
  FMsg->SetParent(this);
}

TQuarnPopupForm::~TQuarnPopupForm() {
  FTimer.reset();
  FAnimate.reset();
  if (FMessage) FMessage->FormGone(this);
}

void TQuarnPopupForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style = (Params.WindowClass.style | CS_SAVEBITS) & ~UINT(CS_DROPSHADOW);
  Params.WndParent = nullptr;
}

void TQuarnPopupForm::CreateWnd() {
  TForm::CreateWnd();
  // The styles above leave out the topmost flag the form style asks for.
  if (FormStyle() == fsStayOnTop)
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TQuarnPopupForm::DoClose(TCloseAction& Action) {
  TForm::DoClose(Action);
  Action = caFree;
}

void TQuarnPopupForm::CloseCheck(TObject*) {
  if (MilliSecondsBetween(Now(), FPopupTime) < FClosePause) return;
  FTimer->SetEnabled(false);
  FBlendHide = true;
  if (FActiveAnimate && FAnimate) FAnimate->SetEnabled(true);
  else Close();
}

void TQuarnPopupForm::FadeStep(TObject*) {
  const Integer a = AlphaBlendValue();
  if (FBlendHide) {
    if (a - kFadeStep > 0) {
      SetAlphaBlendValue(Byte(a - kFadeStep));
    } else {
      SetAlphaBlendValue(0);
      FAnimate->SetEnabled(false);
      Close();
    }
  } else if (a + kFadeStep >= 255) {
    SetAlphaBlendValue(255);
    FAnimate->SetEnabled(false);
  } else {
    SetAlphaBlendValue(Byte(a + kFadeStep));
  }
}

void TQuarnPopupForm::CMMOUSEENTER(TMessage& Message) {
  TForm::Dispatch(Message);
  FTimer->SetEnabled(false);
  if (FActiveAnimate && FAnimate) {
    SetAlphaBlendValue(255);
    FAnimate->SetEnabled(false);
  }
}

void TQuarnPopupForm::CMMOUSELEAVE(TMessage& Message) {
  TForm::Dispatch(Message);
  if (FClosePause == 0) return;
  FPopupTime = Now();
  FTimer->SetEnabled(true);
}

void TQuarnPopupForm::CMShowingChanged(TMessage& Message) {
  if (!Showing()) {
    TForm::Dispatch(Message);
    return;
  }
  // The form's own showing would activate the window and give it the
  // focus; a notification shows without taking either.
  DoShow();
  if (Position() == poScreenCenter && Screen) {
    const TRect w = Screen->WorkAreaRect();
    SetBounds(w.Left + (w.Width() - Width()) / 2, w.Top + (w.Height() - Height()) / 2, Width(), Height());
  }
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  SendMessageW(Handle(), WM_NCPAINT, 0, 0);
}

void TQuarnPopupForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER: CMMOUSEENTER(Message); return;
    case CM_MOUSELEAVE: CMMOUSELEAVE(Message); return;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); return;
    case WM_MOUSEACTIVATE:
      // A click on a notification leaves the activation where it was.
      Message.Result = MA_NOACTIVATE;
      return;
    default: TForm::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------
// TQuarnPopupMessage

TQuarnPopupMessage::TQuarnPopupMessage(TComponent* AOwner)
    : TComponent(AOwner), FTextFont(new TFont), FTitleFont(new TFont), FButton(new TMsgButton) {
  FClientColor = 0xF2ECE1;
}

TQuarnPopupMessage::~TQuarnPopupMessage() {
  // Every open notification refers to this component through its
  // handlers: they are cut, then the windows close without a fade.
  const std::vector<TQuarnPopupForm*> open(FList.rbegin(), FList.rend());
  FList.clear();
  for (TQuarnPopupForm* f : open) {
    f->FMessage = nullptr;
    f->SetOnClose(nullptr);
    f->SetOnClick(nullptr);
    f->FMsg->SetOnClick(nullptr);
    if (f->FIconPanel) f->FIconPanel->SetOnClick(nullptr);
    if (f->FButton) f->FButton->SetOnClick(nullptr);
    f->FTimer->SetEnabled(false);
    if (f->FAnimate) f->FAnimate->SetEnabled(false);
    f->Close();
  }
}

void TQuarnPopupMessage::FormGone(TQuarnPopupForm* Form) {
  FList.erase(std::remove(FList.begin(), FList.end(), Form), FList.end());
}

Integer TQuarnPopupMessage::GetMsgHeight(const String& Text, Integer Width) {
  TBitmap32 b;
  b.SetSize(1, 1);
  b.Font()->Assign(FTextFont.get());
  b.Canvas()->Font()->Assign(FTextFont.get());
  // Selects the font into the DC before the DC is used directly.
  b.Canvas()->TextExtent(String());
  RECT r(0, 0, Width, 0);
  DrawTextW(b.Canvas()->Handle(), Text.c_str(), int(Text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
  return r.Bottom - r.Top;
}

Integer TQuarnPopupMessage::NotificationHeight(const String& Text, Integer IconWidth, Integer IconHeight) {
  const Integer iconLeft = IconWidth > 0 ? kIconLeft : 0;
  const Integer textWidth = FWidth - (iconLeft + IconWidth + FTextOffsetX) - FTextOffsetX;
  const Integer content = std::max(IconHeight, GetMsgHeight(Text, textWidth));
  Integer h = content < FMinHeight ? FMinHeight + FTextOffsetY + kTitleHeight
                                   : content + 20 + FTextOffsetY + kTitleHeight;
  if (FButton->Visible()) h += kButtonRoom;
  return h;
}

TQuarnPopupForm* TQuarnPopupMessage::Popup(const String& Title, const String& Text, TQnMessageIcon Icon,
                                           const String& ID, Integer X, Integer Y) {
  const Integer W = FWidth;
  TQnResID image;
  switch (Icon) {
    case miSuccess: image = FIcon_Success; break;
    case miFailue: image = FIcon_Failue; break;
    case miInformation: image = FIcon_Information; break;
    case miNone: break;
  }
  TQuarnImage* picture = image.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(image);
  Integer iconLeft = 0, iconTop = 0, iconWidth = 0, iconHeight = 0;
  if (picture) {
    iconLeft = kIconLeft;
    iconTop = kIconTop;
    iconWidth = picture->Width();
    iconHeight = picture->Height();
  }
  const Integer textWidth = W - (iconLeft + iconWidth + FTextOffsetX) - FTextOffsetX;
  const Integer textHeight = GetMsgHeight(Text, textWidth);
  const Integer H = NotificationHeight(Text, iconWidth, iconHeight);

  const TRect work = Screen->WorkAreaRect();
  Integer left, top;
  if (X <= 0) {
    if (FList.empty()) {
      left = work.Right - W - 1;
      top = work.Bottom - H - 1;
    } else {
      const TQuarnPopupForm* newest = FList.back();
      left = newest->Left();
      top = newest->Top() - H - 1;
      if (top < work.Top) {
        top = work.Bottom - H - 1;
        left = FAutoAlign ? newest->Left() - W - 1 : work.Right - W - 1;
        // Columns that ran out of the work area start again at its right.
        if (left < work.Left) left = work.Right - W - 1;
      }
    }
  } else {
    left = std::min(X, work.Right - W) - 1;
    top = Y - H - 1;
    const std::vector<TQuarnPopupForm*> open(FList.rbegin(), FList.rend());
    for (TQuarnPopupForm* f : open) f->Close();
  }

  std::unique_ptr<TQuarnPopupForm> form(new TQuarnPopupForm(Application, left, top, FClosePause, FActiveAnimate));
  TQuarnPopupForm* f = form.get();
  f->SetID(ID);
  f->SetHeight(H);
  f->SetWidth(W);

  if (picture) {
    auto* panel = new TQuarnPanel(nullptr);
    panel->SetParent(f);
    panel->SetAlpha(0);
    panel->SetBorderSides(TSides{});
    panel->SetBackgroundImage(image);
    panel->SetBounds(iconLeft, iconTop, iconWidth, iconHeight);
    panel->SetOnClick(TNotifyEvent(this, &TQuarnPopupMessage::DoDlgOnClick));
    f->FIconPanel = panel;
  }

  f->FQuarnForm->SetTitlerColor(FTitileColor);
  f->FQuarnForm->SetColor(FClientColor);
  f->FCaption->SetFont(FTitleFont.get());
  f->FCaption->SetCaption(Title);
  f->FCaption->Light()->SetActive(false);

  TQuarnLabel* msg = f->FMsg;
  msg->SetAutoSize(false);
  msg->SetWordWap(true);
  msg->Light()->SetActive(false);
  msg->SetFont(FTextFont.get());
  msg->SetBounds(iconLeft + iconWidth + FTextOffsetX, FTextOffsetY, textWidth, textHeight);
  msg->SetCaption(Text);
  msg->SetOnClick(TNotifyEvent(this, &TQuarnPopupMessage::DoDlgOnClick));

  if (FButton->Visible()) {
    auto* b = new TQuarnButton(f);
    b->SetParent(f);
    b->SetFont(FButton->Font());
    b->SetHotFont(FButton->HotFont());
    b->SetPictures(FButton->Pictures());
    // Pressing it must not take the focus from the user's work.
    b->SetCanFocused(false);
    b->SetTop(f->Height() - b->Height() - 31);
    b->SetLeft((f->Width() - b->Width()) / 2);
    b->SetAnchors(TAnchors{akLeft, akBottom});
    b->SetCaption(FButton->Caption());
    b->SetOnClick(TNotifyEvent(this, &TQuarnPopupMessage::DoButtonClick));
    f->FButton = b;
  }

  ShowWindow(f->Handle(), SW_SHOWNOACTIVATE);
  f->SetVisible(true);
  SendMessageW(f->Handle(), WM_NCPAINT, 0, 0);

  f->SetOnClose(TCloseEvent(this, &TQuarnPopupMessage::DoDlgOnClose));
  f->SetOnClick(TNotifyEvent(this, &TQuarnPopupMessage::DoDlgOnClick));
  f->FMessage = this;
  FList.push_back(form.release());
  return f;
}

TQuarnPopupForm* TQuarnPopupMessage::Popup(const String& Title, const String& Text) {
  return Popup(Title, Text, miNone, String(), 0, 0);
}

TQuarnPopupForm* TQuarnPopupMessage::Popup(const String& Title, const String& Text, TQnMessageIcon Icon) {
  return Popup(Title, Text, Icon, String(), 0, 0);
}

TQuarnPopupForm* TQuarnPopupMessage::PopupXY(const String& Title, const String& Text, TQnMessageIcon Icon, Integer X,
                                             Integer Y) {
  return Popup(Title, Text, Icon, String(), X, Y);
}

void TQuarnPopupMessage::DoDlgOnClick(TObject* Sender) {
  if (FOnClick) FOnClick(Sender);
}

void TQuarnPopupMessage::DoDlgOnClose(TObject* Sender, TCloseAction&) {
  if (FOnClose) FOnClose(Sender);
  FList.erase(std::remove(FList.begin(), FList.end(), Sender), FList.end());
  if (auto* f = dynamic_cast<TQuarnPopupForm*>(Sender)) f->FMessage = nullptr;
}

void TQuarnPopupMessage::DoButtonClick(TObject* Sender) {
  // The handler may free this component; only the button is used after it.
  if (FOnButtonClick) FOnButtonClick(Sender);
  if (auto* b = dynamic_cast<TControl*>(Sender))
    if (auto* f = dynamic_cast<TQuarnPopupForm*>(b->Parent())) f->Close();
}

void InitQuarnPopupMessage() { RegisterClasses({TQuarnPopupMessage::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TMsgButton)
QN_PUBLISHED_IMPL(qn::TQuarnPopupMessage)
