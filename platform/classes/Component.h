// TComponent: owned, named objects. An owner frees what it owns (in reverse
// creation order), tells its whole tree about components that come and go
// (Notification), and components outside one owner tree can ask to be told
// when a partner goes (FreeNotification).
//
// Destruction: BeforeDestruction (see TPersistent) marks the component and
// everything it owns csDestroying and tells its free-notification partners
// while their dynamic_casts and virtual calls on it still see the real class.
// ~TComponent then frees the owned components and finally leaves its owner,
// which broadcasts opRemove to the owner's tree.
//
// Construction: TComponent's constructor joins the owner, so the owner tree's
// opInsert arrives while the new object is still only a TComponent (C++ builds
// bases first); compare the pointer, do not cast it, on opInsert.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstddef>
#include <new>
#include <vector>

#include "platform/classes/Persistent.h"

namespace vcl {

class TComponent;

enum class TOperation { opInsert, opRemove };
inline constexpr TOperation opInsert = TOperation::opInsert;
inline constexpr TOperation opRemove = TOperation::opRemove;

enum class TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
inline constexpr TComponentStateItem csLoading = TComponentStateItem::csLoading;
inline constexpr TComponentStateItem csReading = TComponentStateItem::csReading;
inline constexpr TComponentStateItem csWriting = TComponentStateItem::csWriting;
inline constexpr TComponentStateItem csDestroying = TComponentStateItem::csDestroying;
inline constexpr TComponentStateItem csDesigning = TComponentStateItem::csDesigning;
inline constexpr TComponentStateItem csAncestor = TComponentStateItem::csAncestor;
inline constexpr TComponentStateItem csUpdating = TComponentStateItem::csUpdating;
inline constexpr TComponentStateItem csFixups = TComponentStateItem::csFixups;
inline constexpr TComponentStateItem csFreeNotification = TComponentStateItem::csFreeNotification;
inline constexpr TComponentStateItem csInline = TComponentStateItem::csInline;
inline constexpr TComponentStateItem csDesignInstance = TComponentStateItem::csDesignInstance;

enum class TComponentStyleItem { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleItem>;
inline constexpr TComponentStyleItem csInheritable = TComponentStyleItem::csInheritable;
inline constexpr TComponentStyleItem csCheckPropAvail = TComponentStyleItem::csCheckPropAvail;
inline constexpr TComponentStyleItem csSubComponent = TComponentStyleItem::csSubComponent;
inline constexpr TComponentStyleItem csTransient = TComponentStyleItem::csTransient;

using TComponentName = String;
using TGetChildProc = TEvent<void(TComponent* Child)>;
// A class reference whose Create(owner) makes a component (see CreateComponent).
using TComponentClass = TClass;

// True for a name the platform accepts as an identifier: a letter or '_'
// followed by letters, digits and '_'.
bool IsValidIdent(const String& Ident);

class TBasicAction;

class TComponent : public TPersistent {
  QN_CLASS_CREATE(TComponent, TPersistent, TComponent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;


  TComponent* Owner() const { return FOwner; }
  TComponent* Components(Integer Index) const;
  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  Integer ComponentIndex() const;
  // Moves this component among its owner's components (clamped to the list).
  void SetComponentIndex(Integer Value);

  const TComponentName& Name() const { return FName; }
  // Raises EComponentError for an invalid identifier or a name another
  // component of the same owner already has (case-insensitive).
  void SetName(const TComponentName& NewName);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }
  const TComponentState& ComponentState() const { return FComponentState; }
  const TComponentStyle& ComponentStyle() const { return FComponentStyle; }
  // Where a non-visual component sits on the design surface: Left in the
  // low 16 bits, Top in the high 16 bits (each signed), streamed as the
  // defined properties Left and Top.
  Integer DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(Integer Value) { FDesignInfo = Value; }

  // Case-insensitive; nil for an empty name or none found.
  TComponent* FindComponent(const String& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last created first.
  void DestroyComponents();
  // Marks this component and everything it owns csDestroying.
  void Destroying();
  void BeforeDestruction() override;

  // Asks that AComponent be told (Notification opRemove) before this
  // component goes, and the other way round.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  void SetSubComponent(bool IsSubComponent);
  TPersistent* GetOwner() override;
  String GetNamePath() override;
  // Publishes Name (not stored: the form file's header carries it) and Tag.
  static const TPublishedClass* StaticPublished();
  const TPublishedClass* PublishedClass() const override;

  virtual TComponent* GetParentComponent();
  virtual bool HasParent();
  virtual void SetParentComponent(TComponent* Value);
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  virtual TComponent* GetChildOwner();
  virtual TComponent* GetChildParent();
  virtual void SetChildOrder(TComponent* Child, Integer Order);

  // Called once the component and its owned components finished loading.
  virtual void Loaded();
  virtual void Updating();
  virtual void Updated();

  // Streaming entry points; the streaming unit gives them their bodies.
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);

  // Design-time and streaming state; the designer and the filers set them.
  void SetDesigning(bool Value, bool SetChildren = true);
  void SetInline(bool Value);
  void SetAncestor(bool Value);
  void SetDesignInstance(bool Value);

  // Raised here and not in the caller so designers can veto names.
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);

  // The component as an action's target (BasicActions.h): when the action
  // handles it, runs (updates) the action on it and answers true.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

 protected:
  // Sent to the owner tree when AComponent is inserted or removed, and to
  // free-notification partners when AComponent goes. The default forgets a
  // removed partner and passes the news on to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ChangeName(const TComponentName& NewName);
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void ValidateInsert(TComponent* AComponent);
  // Left and Top of the design position (DesignInfo), written where they
  // differ from the ancestor's. A published Left or Top (controls) is found
  // first, so these never stand in for a control's bounds.
  void DefineProperties(TFiler* Filer) override;

  void IncludeState(TComponentStateItem s) { FComponentState.Include(s); }
  void ExcludeState(TComponentStateItem s) { FComponentState.Exclude(s); }
  void IncludeStyle(TComponentStyleItem s) { FComponentStyle.Include(s); }
  void ExcludeStyle(TComponentStyleItem s) { FComponentStyle.Exclude(s); }

  friend class TReader;
  friend class TWriter;
  friend class TFiler;

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void RemoveFreeNotifications() noexcept;

  TComponent* FOwner = nullptr;
  TComponentName FName;
  NativeInt FTag = 0;
  Integer FDesignInfo = 0;
  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// Creates a component through its class reference (the virtual constructor);
// raises EInvalidCast for a class that is not a component.
TComponent* CreateComponent(TComponentClass ComponentClass, TComponent* AOwner);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
