// The ActnList unit of the host layer: actions with captions, checks,
// images and shortcuts, the action lists that hold them, and the links
// through which controls and menu items follow an action.
//
// A client follows each property of its action (caption, enabled, hint,
// visible, checked, image, shortcut, click) for as long as it still has the
// action's value; a property the client set to something else itself stays
// its own.
//
// Running an action asks, in order and stopping at the first that handles
// it: the list's OnExecute, Application.OnActionExecute, CM_ACTIONEXECUTE to
// the active form (which offers it to its focused control, then to itself),
// and last the action's own OnExecute. Updates go the same way with
// OnUpdate and CM_ACTIONUPDATE; the application's idle step updates the
// actions of visible controls and of the forms' menus. An action with
// DisableIfNoHandler that nobody updates is enabled exactly when it has an
// OnExecute.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/classes/BasicActions.h"
#include "platform/classes/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"

namespace vcl {

class TCustomActionList;

// A string list of shortcut texts ("Ctrl+S").
class TShortCutList : public TStringList {
  QN_CLASS(TShortCutList, TStringList)
 public:
  Integer IndexOfShortCut(TShortCut ShortCut);
  TShortCut ShortCuts(Integer Index);
};

class TContainedAction : public TBasicAction {
  QN_CLASS_CREATE(TContainedAction, TBasicAction, TComponent)
 public:
  explicit TContainedAction(TComponent* AOwner);
  ~TContainedAction() override;

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* Value);
  String Category() const { return FCategory; }
  void SetCategory(const String& Value);
  // The position in the list; -1 outside one.
  Integer Index() const;
  void SetIndex(Integer Value);

  bool Execute() override;
  bool Update() override;

  TComponent* GetParentComponent() override;
  bool HasParent() override;
  void SetParentComponent(TComponent* AParent) override;
  void ReadState(TReader* Reader) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* FActionList = nullptr;
  String FCategory;
};

class TCustomAction : public TContainedAction {
  QN_CLASS_CREATE(TCustomAction, TContainedAction, TComponent)
 public:
  explicit TCustomAction(TComponent* AOwner);
  ~TCustomAction() override;
  void Assign(TPersistent* Source) override;

  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value);
  // Checking an action of a group above 0 unchecks the others of the group
  // in the same list.
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  TShortCutList* SecondaryShortCuts();
  void SetSecondaryShortCuts(TShortCutList* Value);
  bool IsSecondaryShortCutsStored() const { return FSecondaryShortCuts && FSecondaryShortCuts->Count() > 0; }
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer Value);
  bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }
  // The list's images.
  TCustomImageList* Images() const;

  // Updates the action, then (when enabled) toggles AutoCheck and runs it.
  bool Execute() override;
  bool Update() override;
  // What a shortcut of the action does: runs it.
  virtual bool HandleShortCut() { return Execute(); }

 private:
  String FCaption, FHint;
  bool FChecked = false, FAutoCheck = false, FEnabled = true, FVisible = true, FDisableIfNoHandler = true;
  bool FChecking = false;
  Integer FGroupIndex = 0, FHelpContext = 0;
  TImageIndex FImageIndex = -1;
  TShortCut FShortCut = 0;
  std::unique_ptr<TShortCutList> FSecondaryShortCuts;
};

class TAction : public TCustomAction {
  QN_CLASS_CREATE(TAction, TCustomAction, TComponent)
 public:
  explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
  const TNotifyEvent& GetOnExecute() const { return OnExecute(); }
  const TNotifyEvent& GetOnUpdate() const { return OnUpdate(); }

  QN_PUBLISHED_DECL(TAction) {
    QN_PROP(AutoCheck).Default(false);
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Category);
    QN_PROP(Checked).Default(false);
    QN_PROP(DisableIfNoHandler).Default(true);
    QN_PROP(Enabled).Default(true);
    QN_PROP(GroupIndex).Default(0);
    QN_PROP(HelpContext).Default(0);
    QN_PROP(Hint);
    QN_PROP(ImageIndex).Default(-1);
    P.Property(u"ShortCut", &TAction::ShortCut, &TAction::SetShortCut).TypeName(u"TShortCut").Default(0);
    QN_PROP(SecondaryShortCuts).Stored(&TAction::IsSecondaryShortCutsStored);
    QN_PROP(Visible).Default(true);
    P.Property(u"OnExecute", &TAction::GetOnExecute, &TAction::SetOnExecute);
    P.Property(u"OnUpdate", &TAction::GetOnUpdate, &TAction::SetOnUpdate);
  }
};

enum class TActionListState : Byte { asNormal, asSuspended, asSuspendedEnabled };
QN_ENUM_NAMES(TActionListState, asNormal, asSuspended, asSuspendedEnabled)
using enum TActionListState;

class TCustomActionList : public TComponent {
  QN_CLASS_CREATE(TCustomActionList, TComponent, TComponent)
 public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;

  TContainedAction* Actions(Integer Index) const { return FActions[size_t(Index)]; }
  Integer ActionCount() const { return Integer(FActions.size()); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // asSuspended: the list runs and updates nothing; asSuspendedEnabled:
  // the same, and every action is enabled.
  TActionListState State() const { return FState; }
  void SetState(TActionListState Value);

  // The list's part of running (updating) an action: OnExecute (OnUpdate);
  // true when that handled it.
  virtual bool ExecuteAction(TBasicAction* Action) override;
  virtual bool UpdateAction(TBasicAction* Action) override;
  // Runs the action whose shortcut (or a secondary one) Key is; true when
  // one did.
  bool IsShortCut(TShortCut ShortCut);

  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;

  const TActionEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(const TActionEvent& Value) { FOnExecute = Value; }
  const TActionEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(const TActionEvent& Value) { FOnUpdate = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 protected:
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TContainedAction;
  void ImageListChange(TObject* Sender);

  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TActionListState FState = asNormal;
  TActionEvent FOnExecute, FOnUpdate;
  TNotifyEvent FOnChange;
};

class TActionList : public TCustomActionList {
  QN_CLASS_CREATE(TActionList, TCustomActionList, TComponent)
 public:
  explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
  QN_PUBLISHED_DECL(TActionList) {
    QN_PROP(Images);
    QN_PROP(State).Default(asNormal);
    QN_PROP(OnChange);
    QN_PROP(OnExecute);
    QN_PROP(OnUpdate);
  }
};

// A client's link to a TCustomAction: each Set... passes the action's new
// value on while the client's property is linked, which by default it is
// when the client still has the action's current value.
class TActionLink : public TBasicActionLink {
  QN_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }

  virtual bool IsCaptionLinked() { return CustomAction() != nullptr; }
  virtual bool IsCheckedLinked() { return CustomAction() != nullptr; }
  virtual bool IsEnabledLinked() { return CustomAction() != nullptr; }
  virtual bool IsGroupIndexLinked() { return CustomAction() != nullptr; }
  virtual bool IsHelpContextLinked() { return CustomAction() != nullptr; }
  virtual bool IsHintLinked() { return CustomAction() != nullptr; }
  virtual bool IsImageIndexLinked() { return CustomAction() != nullptr; }
  virtual bool IsShortCutLinked() { return CustomAction() != nullptr; }
  virtual bool IsVisibleLinked() { return CustomAction() != nullptr; }
  virtual bool IsAutoCheckLinked() { return CustomAction() != nullptr; }

  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetGroupIndex(Integer) {}
  virtual void SetHelpContext(Integer) {}
  virtual void SetHint(const String&) {}
  virtual void SetImageIndex(Integer) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
};

// A control's link: caption, enabled, hint, visible and click (OnClick)
// follow the action.
class TControlActionLink : public TActionLink {
  QN_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TObject* AClient) : TActionLink(AClient) { FClient = dynamic_cast<TControl*>(AClient); }
  TControl* Client() const { return FClient; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const String& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const String& Value) override;
  void SetVisible(bool Value) override;

 protected:
  void SetOnExecute(const TNotifyEvent& Value) override;
  TControl* FClient = nullptr;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
