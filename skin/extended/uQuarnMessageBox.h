// uQuarnMessageBox: the skinned message box. QnMessageBox builds a modal
// dialog from the library's own form skin, panels, label, buttons and check
// box, shows it and answers the modal result of the button that closed it.
// Every box takes its look from the unit's shared settings, which only a
// TQuarnMessageBoxStyle writes; without one the box keeps its own defaults.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <memory>

#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/forms/uQnFormSkinVar.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace qn {

enum class TQnMsgBoxIcon { biNone, biWarning, biError, biInformation, biConfirmation };
QN_ENUM_NAMES(TQnMsgBoxIcon, biNone, biWarning, biError, biInformation, biConfirmation)
using enum TQnMsgBoxIcon;

enum class TQnMsgBoxButton { mbOK, mbYes, mbNo, mbCancel, mbAbort, mbRetry, mbIgnore };
QN_ENUM_NAMES(TQnMsgBoxButton, mbOK, mbYes, mbNo, mbCancel, mbAbort, mbRetry, mbIgnore)
using enum TQnMsgBoxButton;

using TQnMsgBoxButtons = TSet<TQnMsgBoxButton>;

// A constant table indexed by an enumeration.
template <class E, class T, std::size_t N>
struct TQnEnumTable {
  T Items[N];
  constexpr const T& operator[](E Index) const { return Items[static_cast<std::size_t>(Index)]; }
};

// The image of each icon kind (empty: no icon).
inline constexpr TQnEnumTable<TQnMsgBoxIcon, const Char*, 5> IconIDs{
    {u"", u"QuarnMsgIcon_Info", u"QuarnMsgIcon_Error", u"QuarnMsgIcon_OK", u"QuarnMsgIcon_Question"}};

// The modal result each button gives its dialog.
inline constexpr TQnEnumTable<TQnMsgBoxButton, TModalResult, 7> ModalResults{
    {mrOk, mrYes, mrNo, mrCancel, mrAbort, mrRetry, mrIgnore}};

// The caption slots: the seven buttons in TQnMsgBoxButton order, then the
// don't-show-again check box.
inline constexpr Integer QnMsgBoxTextCount = 8;
inline constexpr Integer QnDonotShowAgainSlot = 7;

// The caption a box shows for a slot: the shared text, or the built-in one
// while the shared text is empty. EListError for a slot outside 0..7.
String QnMsgBoxCaption(Integer Slot);
// The built-in caption of a slot.
String QnMsgBoxDefaultCaption(Integer Slot);

// The look every box reads when it is built. Only TQuarnMessageBoxStyle
// writes it; a reference that is nil leaves the box's own default.
struct TQnMsgBoxSettings {
  String Texts[QnMsgBoxTextCount];
  TFont* MessageFont = nullptr;
  TQnLightClass* MessageLight = nullptr;
  TFont* CaptionFont = nullptr;
  TQnLightClass* CaptionLight = nullptr;
  TQnFormSkinRes* Form = nullptr;
  TPngPictures* ButtonPictures = nullptr;
  TFont* ButtonFont = nullptr;
  TFont* ButtonHotFont = nullptr;
  bool HideLine = false;
};
TQnMsgBoxSettings& QnMsgBoxSettings();

// Publishes its fonts, glows, button strip, form settings and captions to
// the shared settings: the objects when it is made (the last style made
// wins), the captions and the hide-line flag whenever they are set (a form
// file sets every caption as it loads).
class TQuarnMessageBoxStyle : public TComponent {
  QN_CLASS_CREATE(TQuarnMessageBoxStyle, TComponent, TComponent)
 public:
  explicit TQuarnMessageBoxStyle(TComponent* AOwner);
  ~TQuarnMessageBoxStyle() override;

  TPngPictures* ButtonPictures() const { return FButtonPictures.get(); }
  void SetButtonPictures(TPngPictures* Value) { FButtonPictures->Assign(Value); }
  TQnFormSkinRes* Form() const { return FForm.get(); }
  void SetForm(TQnFormSkinRes* Value) { FForm->Assign(Value); }
  TFont* MessageFont() const { return FMessageFont.get(); }
  void SetMessageFont(TFont* Value) { FMessageFont->Assign(Value); }
  TQnLightClass* MessageLight() const { return FMessageLight.get(); }
  void SetMessageLight(TQnLightClass* Value) { FMessageLight->Assign(Value); }
  TFont* CaptionFont() const { return FCaptionFont.get(); }
  void SetCaptionFont(TFont* Value) { FCaptionFont->Assign(Value); }
  TQnLightClass* CaptionLight() const { return FCaptionLight.get(); }
  void SetCaptionLight(TQnLightClass* Value) { FCaptionLight->Assign(Value); }
  TFont* ButtonFont() const { return FButtonFont.get(); }
  void SetButtonFont(TFont* Value) { FButtonFont->Assign(Value); }
  TFont* ButtonHotFont() const { return FButtonHotFont.get(); }
  void SetButtonHotFont(TFont* Value) { FButtonHotFont->Assign(Value); }
  Boolean HideLine() const { return FHideLine; }
  void SetHideLine(Boolean Value);

  String DefineOKButtonText() const { return FDefineOKButtonText; }
  void SetDefineOKButtonText(const String& Value) { SetText(FDefineOKButtonText, 0, Value); }
  String DefineYesButtonText() const { return FDefineYesButtonText; }
  void SetDefineYesButtonText(const String& Value) { SetText(FDefineYesButtonText, 1, Value); }
  String DefineNoButtonText() const { return FDefineNoButtonText; }
  void SetDefineNoButtonText(const String& Value) { SetText(FDefineNoButtonText, 2, Value); }
  String DefineCancelButtonText() const { return FDefineCancelButtonText; }
  void SetDefineCancelButtonText(const String& Value) { SetText(FDefineCancelButtonText, 3, Value); }
  String DefineAbortButtonText() const { return FDefineAbortButtonText; }
  void SetDefineAbortButtonText(const String& Value) { SetText(FDefineAbortButtonText, 4, Value); }
  String DefineRetryButtonText() const { return FDefineRetryButtonText; }
  void SetDefineRetryButtonText(const String& Value) { SetText(FDefineRetryButtonText, 5, Value); }
  String DefineIgnoreButtonText() const { return FDefineIgnoreButtonText; }
  void SetDefineIgnoreButtonText(const String& Value) { SetText(FDefineIgnoreButtonText, 6, Value); }
  String DefineDonotShowAgainText() const { return FDefineDonotShowAgainText; }
  void SetDefineDonotShowAgainText(const String& Value) { SetText(FDefineDonotShowAgainText, 7, Value); }

  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  QN_PUBLISHED_DECL(TQuarnMessageBoxStyle) {
    QN_PROP(About).Stored(false);
    QN_PROP(ButtonPictures);
    QN_PROP(Form);
    QN_PROP(MessageFont);
    QN_PROP(MessageLight);
    QN_PROP(HideLine).NoDefault();
    QN_PROP(CaptionFont);
    QN_PROP(ButtonFont);
    QN_PROP(ButtonHotFont);
    QN_PROP(CaptionLight);
    QN_PROP(DefineYesButtonText);
    QN_PROP(DefineNoButtonText);
    QN_PROP(DefineOKButtonText);
    QN_PROP(DefineCancelButtonText);
    QN_PROP(DefineAbortButtonText);
    QN_PROP(DefineRetryButtonText);
    QN_PROP(DefineIgnoreButtonText);
    QN_PROP(DefineDonotShowAgainText);
  }

 private:
  void SetText(String& Field, Integer Slot, const String& Value);

  std::unique_ptr<TFont> FCaptionFont;
  std::unique_ptr<TQnLightClass> FCaptionLight;
  std::unique_ptr<TFont> FMessageFont;
  std::unique_ptr<TQnLightClass> FMessageLight;
  String FDefineOKButtonText, FDefineYesButtonText, FDefineNoButtonText, FDefineCancelButtonText,
      FDefineAbortButtonText, FDefineRetryButtonText, FDefineIgnoreButtonText, FDefineDonotShowAgainText;
  std::unique_ptr<TQnFormSkinRes> FForm;
  std::unique_ptr<TPngPictures> FButtonPictures;
  std::unique_ptr<TFont> FButtonFont;
  std::unique_ptr<TFont> FButtonHotFont;
  Boolean FHideLine = false;
};

// The dialog of one box. X below -9999 centres it on the screen; otherwise
// it opens at (X, Y). While the application's main form is not on the
// taskbar, the application window owns the dialog, so it stays above every
// form of the program; otherwise the platform's ownership stands. Ctrl+C
// copies the title and the text, each ended by CR LF.
class TQuarnMessageForm : public TForm {
  QN_CLASS(TQuarnMessageForm, TForm)
 public:
  TQuarnMessageForm(TComponent* AOwner, Integer X, Integer Y);
  ~TQuarnMessageForm() override;
  void BeforeDestruction() override;

  TQuarnSystemButton* CloseNCButton() const { return FCloseNCButton; }
  TQuarnForm* QuarnForm() const { return FQuarnForm; }
  TQuarnNCLabel* CaptionLabel() const { return FCaption; }
  TQuarnLabel* Msg() const { return FMsg; }
  TQuarnPanel* BottomPanel() const { return FBottomPanel; }
  // What QnMessageBox added: the icon panel, the check box and the buttons
  // by kind (nil where there is none).
  TQuarnPanel* IconPanel() const { return FIconPanel; }
  TQuarnCheckBox* CheckBox() const { return FCheckBox; }
  TQuarnButton* Buttons(TQnMsgBoxButton Kind) const { return FButtons[static_cast<std::size_t>(Kind)]; }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void CMShowingChanged(TMessage& Message);

 private:
  friend Integer QnMessageBox(const String&, const String&, TQnMsgBoxIcon, TQnMsgBoxButtons, const bool, bool&,
                              const Integer, const Integer);
  TQuarnSystemButton* FCloseNCButton = nullptr;
  TQuarnForm* FQuarnForm = nullptr;
  TQuarnNCLabel* FCaption = nullptr;
  TQuarnLabel* FMsg = nullptr;
  TQuarnPanel* FBottomPanel = nullptr;
  TQuarnPanel* FIconPanel = nullptr;
  TQuarnCheckBox* FCheckBox = nullptr;
  TQuarnButton* FButtons[7] = {};
};

// Shows a box and answers the modal result of the button pressed (mrCancel
// when its title-bar close button closed it). With CheckBox set the box
// carries the don't-show-again check box, which starts as Checked and
// reports back into it. X = Y = -100000 centres the box on the screen.
Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons,
                     const bool CheckBox, bool& Checked, const Integer X, const Integer Y);
Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons,
                     const bool CheckBox, bool& Checked);
Integer QnMessageBox(const String& Title, const String& Text, TQnMsgBoxIcon Icon, TQnMsgBoxButtons Buttons);

void InitQuarnMessageBox();
void DoneQuarnMessageBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
