// uQuarnPopupMessage: notifications. TQuarnPopupMessage shows small skinned
// stay-on-top tool windows with a title, a wrapped text, an optional icon
// and an optional button. They stack upwards from the bottom-right corner
// of the work area, fade in and out, pause while the pointer is over them
// and close and free themselves after a pause. They never take the focus.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace qn {

enum class TQnMessageIcon { miSuccess, miFailue, miInformation, miNone };
QN_ENUM_NAMES(TQnMessageIcon, miSuccess, miFailue, miInformation, miNone)
using enum TQnMessageIcon;

// The settings of the button a notification may carry.
class TMsgButton : public TPersistent {
  QN_CLASS(TMsgButton, TPersistent)
 public:
  TMsgButton();
  ~TMsgButton() override;
  void Assign(TPersistent* Source) override;

  String Caption() const { return FCaption; }
  void SetCaption(const String& Value) { FCaption = Value; }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFont* HotFont() const { return FHotFont.get(); }
  void SetHotFont(TFont* Value) { FHotFont->Assign(Value); }
  TPngPictures* Pictures() const { return FPictures.get(); }
  void SetPictures(TPngPictures* Value) { FPictures->Assign(Value); }
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value) { FVisible = Value; }

  QN_PUBLISHED_DECL(TMsgButton) {
    QN_PROP(Caption);
    QN_PROP(Font);
    QN_PROP(HotFont);
    QN_PROP(Pictures);
    QN_PROP(Visible).Default(false);
  }

 private:
  Boolean FVisible = false;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TFont> FHotFont;
  String FCaption = u"OK";
  std::unique_ptr<TPngPictures> FPictures;
};

class TQuarnPopupMessage;

// One notification window. X below -9999 centres it on the screen. With a
// close pause of 0 it stays until closed; animated, it fades in from alpha 0
// and out again before it closes. Closing frees it.
class TQuarnPopupForm : public TForm {
  QN_CLASS(TQuarnPopupForm, TForm)
 public:
  TQuarnPopupForm(TComponent* AOwner, Integer X, Integer Y, Integer AClosePause, Boolean AActiveAnimate);
  ~TQuarnPopupForm() override;

  void SetID(const String& Value) { FID = Value; }
  String ID() const { return FID; }
  Integer ClosePause() const { return FClosePause; }
  Boolean ActiveAnimate() const { return FActiveAnimate; }
  // Fading out (the pause is over).
  Boolean BlendHide() const { return FBlendHide; }
  // The close check and the fade (nil when not animated).
  TTimer* Timer() const { return FTimer.get(); }
  TTimer* AnimateTimer() const { return FAnimate.get(); }
  TQuarnForm* QuarnForm() const { return FQuarnForm; }
  TQuarnSystemButton* CloseNCButton() const { return FCloseNCButton; }
  TQuarnNCLabel* CaptionLabel() const { return FCaption; }
  TQuarnLabel* Msg() const { return FMsg; }
  // What Popup added: the icon panel and the button (nil where none).
  TQuarnPanel* IconPanel() const { return FIconPanel; }
  TQuarnButton* Button() const { return FButton; }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DoClose(TCloseAction& Action) override;
  void CMMOUSEENTER(TMessage& Message);
  void CMMOUSELEAVE(TMessage& Message);
  void CMShowingChanged(TMessage& Message);

 private:
  friend class TQuarnPopupMessage;
  void CloseCheck(TObject* Sender);
  void FadeStep(TObject* Sender);

  Boolean FBlendHide = false;
  Integer FClosePause = 0;
  TDateTime FPopupTime = 0;
  std::unique_ptr<TTimer> FTimer;
  std::unique_ptr<TTimer> FAnimate;
  String FID;
  Boolean FActiveAnimate = false;
  TQuarnSystemButton* FCloseNCButton = nullptr;
  TQuarnForm* FQuarnForm = nullptr;
  TQuarnNCLabel* FCaption = nullptr;
  TQuarnLabel* FMsg = nullptr;
  TQuarnPanel* FIconPanel = nullptr;
  TQuarnButton* FButton = nullptr;
  // The component whose list holds the window (nil once it let go).
  TQuarnPopupMessage* FMessage = nullptr;
};

class TQuarnPopupMessage : public TComponent {
  QN_CLASS_CREATE(TQuarnPopupMessage, TComponent, TComponent)
 public:
  explicit TQuarnPopupMessage(TComponent* AOwner);
  ~TQuarnPopupMessage() override;

  // X <= 0 stacks the window automatically; otherwise (X, Y) is the wanted
  // lower-left corner, and every open notification closes first.
  TQuarnPopupForm* Popup(const String& Title, const String& Text, TQnMessageIcon Icon, const String& ID, Integer X,
                         Integer Y);
  TQuarnPopupForm* Popup(const String& Title, const String& Text);
  TQuarnPopupForm* Popup(const String& Title, const String& Text, TQnMessageIcon Icon);
  TQuarnPopupForm* PopupXY(const String& Title, const String& Text, TQnMessageIcon Icon, Integer X, Integer Y);
  // The height Text takes in TextFont when wrapped at Width.
  Integer GetMsgHeight(const String& Text, Integer Width);
  // The window height Popup gives a text (and the icon's height, 0 without).
  Integer NotificationHeight(const String& Text, Integer IconWidth, Integer IconHeight);

  // The open notifications, oldest first.
  const std::vector<TQuarnPopupForm*>& List() const { return FList; }

  // The setters only store; notifications shown later take the values.
  Boolean ActiveAnimate() const { return FActiveAnimate; }
  void SetActiveAnimate(Boolean Value) { FActiveAnimate = Value; }
  Integer ClosePause() const { return FClosePause; }
  void SetClosePause(Integer Value) { FClosePause = Value; }
  Boolean HeapUp() const { return FHeapUp; }
  void SetHeapUp(Boolean Value) { FHeapUp = Value; }
  Boolean AutoAlign() const { return FAutoAlign; }
  void SetAutoAlign(Boolean Value) { FAutoAlign = Value; }
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value) { FMinHeight = Value; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }
  TColor TitileColor() const { return FTitileColor; }
  void SetTitileColor(TColor Value) { FTitileColor = Value; }
  TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }
  TFont* TextFont() const { return FTextFont.get(); }
  void SetTextFont(TFont* Value) { FTextFont->Assign(Value); }
  Integer TextOffsetX() const { return FTextOffsetX; }
  void SetTextOffsetX(Integer Value) { FTextOffsetX = Value; }
  Integer TextOffsetY() const { return FTextOffsetY; }
  void SetTextOffsetY(Integer Value) { FTextOffsetY = Value; }
  TColor ClientColor() const { return FClientColor; }
  void SetClientColor(TColor Value) { FClientColor = Value; }
  TQnResID Icon_Success() const { return FIcon_Success; }
  void SetIcon_Success(const TQnResID& Value) { FIcon_Success = Value; }
  TQnResID Icon_Failue() const { return FIcon_Failue; }
  void SetIcon_Failue(const TQnResID& Value) { FIcon_Failue = Value; }
  TQnResID Icon_Information() const { return FIcon_Information; }
  void SetIcon_Information(const TQnResID& Value) { FIcon_Information = Value; }
  TMsgButton* Button() const { return FButton.get(); }
  void SetButton(TMsgButton* Value) { FButton->Assign(Value); }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  const TNotifyEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TNotifyEvent& Value) { FOnClose = Value; }
  const TNotifyEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TNotifyEvent& Value) { FOnButtonClick = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  // The handlers each notification gets.
  void DoDlgOnClick(TObject* Sender);
  void DoDlgOnClose(TObject* Sender, TCloseAction& Action);
  void DoButtonClick(TObject* Sender);

  QN_PUBLISHED_DECL(TQuarnPopupMessage) {
    QN_PROP(About).Stored(false);
    QN_PROP(ActiveAnimate).Default(true);
    QN_PROP(ClosePause).Default(5000);
    QN_PROP(HeapUp).Default(true);
    QN_PROP(AutoAlign).Default(true);
    QN_PROP(MinHeight).Default(100);
    QN_PROP(Width).Default(228);
    QN_PROP(TitileColor).TypeName(u"TColor").Default(0xFFC446);
    QN_PROP(TitleFont);
    QN_PROP(TextFont);
    QN_PROP(TextOffsetX).Default(10);
    QN_PROP(TextOffsetY).Default(20);
    QN_PROP(ClientColor).TypeName(u"TColor").NoDefault();
    QN_PROP(Icon_Success).TypeName(u"TQnResID");
    QN_PROP(Icon_Failue).TypeName(u"TQnResID");
    QN_PROP(Icon_Information).TypeName(u"TQnResID");
    QN_PROP(Button);
    QN_PROP(OnClick);
    QN_PROP(OnClose);
    QN_PROP(OnButtonClick);
  }

 private:
  friend class TQuarnPopupForm;
  // A window freed by code leaves the list.
  void FormGone(TQuarnPopupForm* Form);

  TQnResID FIcon_Information = u"QuarnMsgIcon_Info";
  TQnResID FIcon_Success = u"QuarnMsgIcon_OK";
  TQnResID FIcon_Failue = u"QuarnMsgIcon_Error";
  TColor FClientColor = 0xF2ECE1;
  Integer FWidth = 228;
  Boolean FHeapUp = true;
  TColor FTitileColor = 0xFFC446;
  TNotifyEvent FOnClick;
  TNotifyEvent FOnClose;
  Integer FTextOffsetX = 10;
  Integer FTextOffsetY = 20;
  std::unique_ptr<TFont> FTextFont;
  std::unique_ptr<TFont> FTitleFont;
  std::vector<TQuarnPopupForm*> FList;
  Integer FClosePause = 5000;
  Boolean FActiveAnimate = true;
  Boolean FAutoAlign = true;
  std::unique_ptr<TMsgButton> FButton;
  TNotifyEvent FOnButtonClick;
  Integer FMinHeight = 100;
};

void InitQuarnPopupMessage();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
