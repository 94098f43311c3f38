#include "skin/extended/uQuarnMessageBox.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

TQnMsgBoxSettings gSettings;

const Char* const kDefaultCaptions[QnMsgBoxTextCount] = {
    u"\u786E\u5B9A",                          // OK
    u"\u662F",                                // Yes
    u"\u5426",                                // No
    u"\u53D6\u6D88",                          // Cancel
    u"\u4E2D\u6B62",                          // Abort
    u"\u91CD\u8BD5",                          // Retry
    u"\u5FFD\u7565",                          // Ignore
    u"\u4E0B\u6B21\u4E0D\u518D\u663E\u793A",  // don't show again
};

void CheckSlot(Integer Slot) {
  if (Slot < 0 || Slot >= QnMsgBoxTextCount)
    throw EListError(u"Message box caption slot out of bounds (" + IntToStr(Slot) + u")");
}

// Button metrics of the bottom row.
constexpr Integer kButtonWidth = 70, kButtonHeight = 27, kButtonGap = 10;
// The places of icon and text in the client area.
constexpr Integer kIconLeft = 10, kIconMinTop = 15, kIconSize = 40;
constexpr Integer kTextLeft = 10, kTextLeftBesideIcon = 65, kTextTop = 25;
// Room around the text: the button height plus 60, and 60 across.
constexpr Integer kExtraHeight = kButtonHeight + 60, kExtraWidth = 60;

const TQnMsgBoxButton kButtonOrder[] = {mbOK, mbYes, mbNo, mbCancel, mbAbort, mbRetry, mbIgnore};

}  // namespace

TQnMsgBoxSettings& QnMsgBoxSettings() { return gSettings; }

String QnMsgBoxDefaultCaption(Integer Slot) {
  CheckSlot(Slot);
  return kDefaultCaptions[Slot];
}

String QnMsgBoxCaption(Integer Slot) {
  CheckSlot(Slot);
  return gSettings.Texts[Slot].empty() ? String(kDefaultCaptions[Slot]) : gSettings.Texts[Slot];
}

// ---------------------------------------------------------------------------
// TQuarnMessageBoxStyle

TQuarnMessageBoxStyle::TQuarnMessageBoxStyle(TComponent* AOwner)
    : TComponent(AOwner),
      FCaptionFont(new TFont),
      FCaptionLight(new TQnLightClass),
      FMessageFont(new TFont),
      FMessageLight(new TQnLightClass),
      FForm(new TQnFormSkinRes(nullptr)),
      FButtonPictures(new TPngPictures),
      FButtonFont(new TFont),
      FButtonHotFont(new TFont) {
  FButtonPictures->SetImage(u"QuarnButton");
  FButtonPictures->SetCount(5);
  FButtonPictures->SetNormal(0);
  FButtonPictures->SetHot(1);
  FButtonPictures->SetPressed(2);
  FButtonPictures->SetDisable(3);
  FButtonPictures->SetActive(true);
  FCaptionFont->SetSize(9);
  FCaptionFont->SetStyle(TFontStyles{TFontStyle::fsBold});
  FButtonFont->SetSize(9);
  FButtonHotFont->SetSize(9);

  // The objects themselves are shared, so changes made to them later show
  // in every box built afterwards.
  gSettings.HideLine = FHideLine;
  gSettings.MessageFont = FMessageFont.get();
  gSettings.MessageLight = FMessageLight.get();
  gSettings.CaptionFont = FCaptionFont.get();
  gSettings.CaptionLight = FCaptionLight.get();
  gSettings.Form = FForm.get();
  gSettings.ButtonPictures = FButtonPictures.get();
  gSettings.ButtonFont = FButtonFont.get();
  gSettings.ButtonHotFont = FButtonHotFont.get();

  // The shared captions stay as they are: a form file sets every caption
  // of the style as it loads, and that publishes them.
  FDefineOKButtonText = kDefaultCaptions[0];
  FDefineYesButtonText = kDefaultCaptions[1];
  FDefineNoButtonText = kDefaultCaptions[2];
  FDefineCancelButtonText = kDefaultCaptions[3];
  FDefineAbortButtonText = kDefaultCaptions[4];
  FDefineRetryButtonText = kDefaultCaptions[5];
  FDefineIgnoreButtonText = kDefaultCaptions[6];
  FDefineDonotShowAgainText = kDefaultCaptions[7];
}

TQuarnMessageBoxStyle::~TQuarnMessageBoxStyle() {
  // Only what is still ours is withdrawn: a style made later keeps the
  // settings it published, and no box reads an object freed here.
  auto withdraw = [](auto*& Ref, auto* Own) {
    if (Ref == Own) Ref = nullptr;
  };
  withdraw(gSettings.MessageFont, FMessageFont.get());
  withdraw(gSettings.MessageLight, FMessageLight.get());
  withdraw(gSettings.CaptionFont, FCaptionFont.get());
  withdraw(gSettings.CaptionLight, FCaptionLight.get());
  withdraw(gSettings.Form, FForm.get());
  withdraw(gSettings.ButtonPictures, FButtonPictures.get());
  withdraw(gSettings.ButtonFont, FButtonFont.get());
  withdraw(gSettings.ButtonHotFont, FButtonHotFont.get());
}

void TQuarnMessageBoxStyle::SetHideLine(Boolean Value) {
  FHideLine = Value;
  gSettings.HideLine = Value;
}

void TQuarnMessageBoxStyle::SetText(String& Field, Integer Slot, const String& Value) {
  Field = Value;
  gSettings.Texts[Slot] = Value;
}

// ---------------------------------------------------------------------------
// TQuarnMessageForm

TQuarnMessageForm::TQuarnMessageForm(TComponent* AOwner, Integer X, Integer Y) : TForm(AOwner) {
  SetKeyPreview(true);
  SetBorderIcons(TBorderIcons{});
  SetBorderStyle(bsDialog);
  Font()->SetSize(9);
  // Only X decides: a caller passes both far off screen to mean "centred".
  if (X < -9999) {
    SetPosition(poScreenCenter);
  } else {
    SetPosition(poDesigned);
    SetLeft(X);
    SetTop(Y);
  }

  FQuarnForm = new TQuarnForm(this);
  // First of all, so that none of the settings below becomes the style of
  // every other skinned form.
  FQuarnForm->SetTag(QnPrivateFormSkinTag);
  FQuarnForm->SetActiveGradient(false);
  FQuarnForm->SetRoundWindow(false);
  if (gQnFormStyle) {
    FQuarnForm->SetColor(gQnFormStyle->Color());
    FQuarnForm->SetCustomPicture(gQnFormStyle->CustomPicture());
    FQuarnForm->SetFramWidth(gQnFormStyle->FramWidth());
    FQuarnForm->SetHitTestWidth(gQnFormStyle->HitTestWidth());
    FQuarnForm->SetStyle(gQnFormStyle->Style());
    FQuarnForm->SetTitlerColor(gQnFormStyle->TitlerColor());
  }
  FQuarnForm->Options()->SetMinimizeToTaskbar(false);
  // The window now, under its skin: client sizes set from here on are the
  // skinned ones, and the title-bar controls below find their host at once.
  HandleNeeded();

  FCloseNCButton = new TQuarnSystemButton(this);
  FCloseNCButton->SetCloseImage(u"QuarnTips_close");
  FCloseNCButton->Pos()->SetUseDefault(false);
  FCloseNCButton->Pos()->SetXValue(22);
  FCloseNCButton->Pos()->SetYValue(4);

  FCaption = new TQuarnNCLabel(this);
  FCaption->Font()->SetSize(9);
  FCaption->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});

  FBottomPanel = new TQuarnPanel(this);
  FBottomPanel->SetParent(this);
  FBottomPanel->SetAlign(alBottom);
  FBottomPanel->SetHeight(35);
  if (gSettings.HideLine) {
    FBottomPanel->SetAlpha(0);
    FBottomPanel->SetBorderSides(TSides{});
  } else {
    FBottomPanel->SetBorderSides(TSides{sdTop});
  }
  FBottomPanel->SetDoubleBorder(false);

  FMsg = new TQuarnLabel(this);
  FMsg->SetParent(this);

  if (gSettings.MessageFont) FMsg->SetFont(gSettings.MessageFont);
  if (gSettings.CaptionFont) FCaption->SetFont(gSettings.CaptionFont);
  if (gSettings.MessageLight) FMsg->SetLight(gSettings.MessageLight);
  if (gSettings.CaptionLight) FCaption->SetLight(gSettings.CaptionLight);

  if (TQnFormSkinRes* f = gSettings.Form) {
    FQuarnForm->SetActiveGradient(f->ActiveGradient());
    FQuarnForm->SetDoubleFrame(f->DoubleFrame());
    FQuarnForm->SetFillStyle(f->FillStyle());
    FQuarnForm->SetFlatFrame(f->FlatFrame());
    FQuarnForm->SetRoundWindow(f->RoundWindow());
    FQuarnForm->SetImageBorder(f->ImageBorder());
    FQuarnForm->SetTitleHeight(f->TitleHeight());
    FQuarnForm->SetTitlerColor(f->TitlerColor());
    FQuarnForm->SetColor(f->Color());
    FQuarnForm->SetFramWidth(f->FramWidth());
    FQuarnForm->SetHitTestWidth(f->HitTestWidth());
    FQuarnForm->SetGradientHeight(f->GradientHeight());
    FQuarnForm->SetStyle(f->Style());
    FQuarnForm->SetCustomPicture(f->CustomPicture());
  }
}

TQuarnMessageForm::~TQuarnMessageForm() = default;

void TQuarnMessageForm::BeforeDestruction() {
  // A border shared with other forms keeps their windows: only this
  // dialog's four go. Then the parts, the form skin last, while the form is
  // still whole (the form's own teardown frees its child controls next).
  if (FQuarnForm && FQuarnForm->ImageBorder()) FQuarnForm->ImageBorder()->Release(this);
  delete FCloseNCButton;
  FCloseNCButton = nullptr;
  delete FCaption;
  FCaption = nullptr;
  delete FMsg;
  FMsg = nullptr;
  delete FBottomPanel;
  FBottomPanel = nullptr;
  FCheckBox = nullptr;
  for (TQuarnButton*& b : FButtons) b = nullptr;
  delete FQuarnForm;
  FQuarnForm = nullptr;
  TForm::BeforeDestruction();
}

void TQuarnMessageForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  // With the main form on the taskbar the platform's ownership stands;
  // otherwise the application window owns the box, so the box stays above
  // every form of the program and has no taskbar button of its own.
  if (Application && !Application->MainFormOnTaskBar()) Params.WndParent = Application->Handle();
}

void TQuarnMessageForm::KeyDown(Word& Key, TShiftState Shift) {
  TForm::KeyDown(Key, Shift);
  if (Key == 67 && Shift.Contains(ssCtrl))
    Clipboard()->SetAsText(FCaption->Caption() + u"\r\n" + FMsg->Caption() + u"\r\n");
}

void TQuarnMessageForm::CMShowingChanged(TMessage& Message) {
  TForm::Dispatch(Message);
  // The skinned frame at once, not at the next frame message.
  if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
}

void TQuarnMessageForm::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_SHOWINGCHANGED) {
    CMShowingChanged(Message);
    return;
  }
  TForm::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// QnMessageBox

Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons,
                     const bool CheckBox, bool& Checked, const Integer X, const Integer Y) {
  // Freed on every way out, an exception while building or showing included.
  std::unique_ptr<TQuarnMessageForm> dlg(new TQuarnMessageForm(Application, X, Y));
  if (Buttons.Empty()) Buttons = TQnMsgBoxButtons{mbOK};

  Integer count = 0;
  for (TQnMsgBoxButton b : kButtonOrder)
    if (Buttons.Contains(b)) ++count;
  const Integer rowWidth = count > 0 ? kButtonWidth * count + kButtonGap * (count - 1) : 0;

  dlg->FCaption->SetCaption(Title);

  Integer textLeft = kTextLeft, textTop = kTextTop;
  const TQnResID icon = IconIDs[Icon];
  if (!icon.empty()) {
    auto* panel = new TQuarnPanel(dlg.get());
    panel->SetParent(dlg.get());
    panel->SetAlpha(0);
    panel->SetBorderSides(TSides{});
    panel->SetBackgroundImage(icon);
    // Centred on the text's middle, but never above 15 (the label still has
    // its first bounds here).
    const Integer top = std::max(dlg->FMsg->Top() + dlg->FMsg->Height() / 2 - 20, kIconMinTop);
    panel->SetBounds(kIconLeft, top, kIconSize, kIconSize);
    dlg->FIconPanel = panel;
    textLeft = kTextLeftBesideIcon;
    if (Text.find(u'\r') != String::npos) textTop = panel->Top();
  }

  TQuarnLabel* msg = dlg->FMsg;
  msg->SetAutoSize(true);
  msg->SetCaption(Text);
  msg->SetLeft(textLeft);
  msg->SetTop(textTop);
  const Integer textRight = msg->Left() + msg->Width();

  dlg->SetClientHeight(msg->Height() + kExtraHeight);
  dlg->SetClientWidth(std::max(rowWidth, textRight) + kExtraWidth);

  const TQnMsgBoxButton defaultKind = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
  const TQnMsgBoxButton cancelKind = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;

  TQuarnPanel* bottom = dlg->FBottomPanel;
  Integer x;
  if (CheckBox) {
    auto* cb = new TQuarnCheckBox(dlg.get());
    cb->SetParent(bottom);
    cb->SetChecked(Checked);
    const String caption = QnMsgBoxCaption(QnDonotShowAgainSlot);
    cb->SetCaption(caption);
    // Measured in the dialog's font, the one the check box inherits.
    dlg->Canvas()->Font()->Assign(dlg->Font());
    const Integer w = dlg->Canvas()->TextWidth(caption) + 30;
    cb->SetBounds(5, (bottom->Height() - cb->Height()) / 2, w, cb->Height());
    if (w > dlg->ClientWidth()) dlg->SetClientWidth(w + 30);
    if (dlg->ClientWidth() - rowWidth - 40 < cb->Left() + cb->Width()) dlg->SetClientWidth(rowWidth + w + 40);
    dlg->FCheckBox = cb;
    x = dlg->ClientWidth() - rowWidth - 8;
  } else {
    x = (dlg->ClientWidth() - rowWidth) / 2;
  }

  const Integer top = (bottom->Height() - kButtonHeight) / 2 + 1;
  const TQnMsgBoxSettings& s = gSettings;
  for (TQnMsgBoxButton kind : kButtonOrder) {
    if (!Buttons.Contains(kind)) continue;
    auto* b = new TQuarnButton(dlg.get());
    b->SetParent(bottom);
    if (s.ButtonPictures) b->SetPictures(s.ButtonPictures);
    if (s.ButtonFont) b->SetFont(s.ButtonFont);
    if (s.ButtonHotFont) b->SetHotFont(s.ButtonHotFont);
    b->SetCaption(QnMsgBoxCaption(static_cast<Integer>(kind)));
    b->SetModalResult(ModalResults[kind]);
    if (kind == defaultKind) b->SetDefault(true);
    if (kind == cancelKind) b->SetCancel(true);
    b->SetBounds(x, top, kButtonWidth, kButtonHeight);
    dlg->FButtons[static_cast<std::size_t>(kind)] = b;
    x += kButtonWidth + kButtonGap;
  }
  // The default button starts with the focus, as in the platform's own box:
  // Enter then presses it whatever control came first in the tab order.
  if (TQuarnButton* d = dlg->Buttons(defaultKind)) dlg->SetActiveControl(d);

  dlg->SetFormStyle(fsStayOnTop);
  const Integer result = dlg->ShowModal();
  if (CheckBox) Checked = dlg->FCheckBox->Checked();
  return result;
}

Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons,
                     const bool CheckBox, bool& Checked) {
  return QnMessageBox(Title, Text, Icon, Buttons, CheckBox, Checked, -100000, -100000);
}

Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons) {
  bool dummy = false;
  return QnMessageBox(Title, Text, Icon, Buttons, false, dummy, -100000, -100000);
}

void InitQuarnMessageBox() { RegisterClasses({TQuarnMessageBoxStyle::StaticClass()}); }

void DoneQuarnMessageBox() { gSettings = TQnMsgBoxSettings{}; }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnMessageBoxStyle)
