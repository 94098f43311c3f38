// The design-time host: what a component package registers (palette pages,
// component and property editors) and the designer that edits one root
// component (a form or data module) in design mode.
//
// Registrations live until ResetRegistrations (or the unloading of the
// design package). Property editors are found by type: a TTypeRef names a
// C++ type (TypeRefOf<TFont*>()) or a type name that properties carry with
// .TypeName (TTypeRef(tkUString, u"TQnResID")).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/rtl/Types.h"

namespace vcl {

class TComponentEditor;
class TPropertyEditor;
class IDesigner;

// ---------------------------------------------------------------------------
// Palette

// Puts the classes on the page, after what the page already holds; a page
// is listed from its first registration. The classes become streamable
// (RegisterClass) too.
void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> Classes);
void RegisterComponents(const String& Page, const std::vector<TComponentClass>& Classes);
// The pages in the order they were first named, and a page's classes in
// registration order (empty for an unknown page).
std::vector<String> Pages();
std::vector<TComponentClass> PaletteClasses(const String& Page);

// ---------------------------------------------------------------------------
// Types of properties

struct TTypeRef {
  TTypeKind Kind = tkUnknown;
  String Name;
  TClass ClassType = nullptr;  // class-valued types: the class (its descendants match too)
  TTypeRef() = default;
  TTypeRef(TTypeKind AKind, String AName) : Kind(AKind), Name(std::move(AName)) {}
  explicit TTypeRef(TClass AClass);
  // True when a property of type T is of this type (or, for classes, of a
  // descendant class).
  bool Matches(const TPropType& T) const;
};

template <class T>
TTypeRef TypeRefOf() {
  TPropType t = detail::MakePropType<T>();
  TTypeRef r(t.Kind, t.Name);
  r.ClassType = t.ClassType;
  return r;
}

// ---------------------------------------------------------------------------
// Editors' class references. Editors are made through the class reference,
// whose single constructor argument carries what the editor is made for.

using TComponentEditorClass = TClass;
using TPropertyEditorClass = TClass;
using TDesignerSelections = std::vector<TPersistent*>;

struct TComponentEditorArgs : TObject {
  TComponent* Component = nullptr;
  IDesigner* Designer = nullptr;
};
struct TPropertyEditorArgs : TObject {
  IDesigner* Designer = nullptr;
  TDesignerSelections Selection;
  const TPropInfo* PropInfo = nullptr;
};

// Later registrations for the same class win. EditorClass must descend from
// TComponentEditor (EInvalidOperation otherwise).
void RegisterComponentEditor(TComponentClass ComponentClass, TComponentEditorClass EditorClass);
// The editor of the component's nearest registered ancestor class, else a
// TDefaultEditor; never nil.
std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, IDesigner* Designer);

// ComponentClass nil applies to every class; an empty PropertyName to every
// property of the type.
void RegisterPropertyEditor(const TTypeRef& PropertyType, TClass ComponentClass, const String& PropertyName,
                            TPropertyEditorClass EditorClass);
// The editor class for a property of ComponentClass: among the registrations
// whose type matches, whose component class is nil or an ancestor (the class
// itself included) and whose name is empty or the property's (ignoring
// case), a nearer component class beats a farther one and any class beats
// nil; then a named registration beats an unnamed one, a nearer class type
// a farther one, and a later registration an earlier one. Without one the
// type's own editor (TColor, TCursor, TFont) or its kind's.
TPropertyEditorClass GetPropertyEditorClass(TClass ComponentClass, const TPropInfo* PropInfo);
std::unique_ptr<TPropertyEditor> CreatePropertyEditor(IDesigner* Designer, const TDesignerSelections& Selection,
                                                      const TPropInfo* PropInfo);

// Forgets every registration made above (pages, component and property
// editors); the built-in editors of types and kinds stay.
void ResetRegistrations();

// ---------------------------------------------------------------------------
// Designer

class IDesigner {
 public:
  virtual ~IDesigner() = default;
  virtual TComponent* Root() const = 0;
  // BaseName without a leading "T" (when more follows), then the smallest
  // number from 1 that makes a name no component of the root has (ignoring
  // case): "TQuarnTabSheet" gives "QuarnTabSheet1".
  virtual String UniqueName(const String& BaseName) = 0;
  // Something in the root changed: counted, listeners told.
  virtual void Modified() = 0;
  // A new component of the class owned by the root, named by UniqueName,
  // placed in Parent (a control's parent, when both are controls) at Rect
  // (an empty rectangle keeps the class's size).
  virtual TComponent* CreateComponent(TComponentClass ComponentClass, TComponent* Parent, const TRect& Rect) = 0;
  // The root's component of that name (the root itself by its own name).
  virtual TComponent* GetComponent(const String& Name) = 0;
  virtual void SelectComponent(TPersistent* Instance) = 0;
  virtual void GetSelections(TDesignerSelections& List) = 0;
  virtual void SetSelections(const TDesignerSelections& List) = 0;
  // Frees the selected components (the root never) and selects the root.
  virtual void DeleteSelection() = 0;
};

// Listeners of every designer.
class IDesignNotification {
 public:
  virtual ~IDesignNotification() = default;
  virtual void ItemInserted(IDesigner* ADesigner, TPersistent* AItem) {}
  virtual void ItemDeleted(IDesigner* ADesigner, TPersistent* AItem) {}
  virtual void ItemsModified(IDesigner* ADesigner) {}
  virtual void SelectionChanged(IDesigner* ADesigner, const TDesignerSelections& ASelection) {}
  virtual void DesignerOpened(IDesigner* ADesigner, bool AResurrecting) {}
  virtual void DesignerClosed(IDesigner* ADesigner, bool AGoingDormant) {}
};
void RegisterDesignNotification(IDesignNotification* Notification);
void UnregisterDesignNotification(IDesignNotification* Notification);

// The designer of one root, which it puts into design mode (and takes out
// of it again when the designer goes, if the root is still there). It
// watches every component of the root: one freed behind its back leaves
// the selection and every open editor before listeners hear ItemDeleted.
// A form root has it as its Designer, so that the form's components can
// report changes they make themselves (Modified).
class TDesigner : public IDesigner {
 public:
  explicit TDesigner(TComponent* ARoot);
  ~TDesigner() override;
  TDesigner(const TDesigner&) = delete;
  TDesigner& operator=(const TDesigner&) = delete;

  TComponent* Root() const override { return FRoot; }
  String UniqueName(const String& BaseName) override;
  void Modified() override;
  TComponent* CreateComponent(TComponentClass ComponentClass, TComponent* Parent, const TRect& Rect) override;
  TComponent* GetComponent(const String& Name) override;
  void SelectComponent(TPersistent* Instance) override;
  void GetSelections(TDesignerSelections& List) override;
  void SetSelections(const TDesignerSelections& List) override;
  void DeleteSelection() override;

  Integer ModifiedCount() const { return FModifiedCount; }
  const TDesignerSelections& Selection() const { return FSelection; }
  // The designer of the root that Component belongs to (or is), or nil.
  static TDesigner* Find(TComponent* Component);

  // Open component editors register here so that they can be told when
  // their component goes.
  void AddEditor(TComponentEditor* Editor);
  void RemoveEditor(TComponentEditor* Editor);

 private:
  class TWatcher;
  class THook;
  void Watch(TComponent* C);
  void Gone(TComponent* C);
  void ChangeSelection(TDesignerSelections List);
  TComponent* FRoot;
  std::unique_ptr<TWatcher> FWatcher;
  std::unique_ptr<THook> FHook;
  TDesignerSelections FSelection;
  std::vector<TComponentEditor*> FEditors;
  Integer FModifiedCount = 0;
};

// What a default editor asks of the host when a component is double-clicked:
// the event to create a handler for.
struct TEventRequest {
  String ComponentName;
  String EventName;   // "OnClick"
  String MethodName;  // "Button1Click"
};
std::vector<TEventRequest> DefaultEventRequests();
void ClearDefaultEventRequests();
void RecordDefaultEventRequest(const TEventRequest& Request);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
