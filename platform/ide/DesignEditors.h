// Component editors (the verbs of a component's context menu, its
// double-click) and property editors (how a property is shown and typed in
// the inspector), with the editors the host brings for each kind of
// property and for colours, cursors and fonts.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/ide/DesignIntf.h"

namespace vcl {

class TComponentEditor : public TObject {
  QN_CLASS_CREATE(TComponentEditor, TObject, TComponentEditorArgs)
 public:
  TComponentEditor(TComponent* AComponent, IDesigner* ADesigner);
  explicit TComponentEditor(TComponentEditorArgs* Args) : TComponentEditor(Args->Component, Args->Designer) {}
  ~TComponentEditor() override;

  virtual Integer GetVerbCount();
  virtual String GetVerb(Integer Index);
  virtual void ExecuteVerb(Integer Index);
  // The first verb, when there is one.
  virtual void Edit();
  // Nil once the component is gone (its verbs then count 0).
  TComponent* Component() const { return FComponent; }
  IDesigner* Designer() const { return FDesigner; }

 private:
  friend class TDesigner;
  void ComponentGone() { FComponent = nullptr; }
  TComponent* FComponent;
  IDesigner* FDesigner;
  TDesigner* FWatchedBy = nullptr;
};

// Its Edit asks the host for a handler of the component's default event:
// OnCreate, else OnChange, else OnClick, else its first event.
class TDefaultEditor : public TComponentEditor {
  QN_CLASS_CREATE(TDefaultEditor, TComponentEditor, TComponentEditorArgs)
 public:
  using TComponentEditor::TComponentEditor;
  void Edit() override;
};

// ---------------------------------------------------------------------------
// Property editors

enum class TPropertyAttribute {
  paValueList, paSubProperties, paDialog, paMultiSelect, paAutoUpdate, paSortList, paReadOnly, paRevertable,
  paFullWidthName, paVolatileSubProperties, paVCL, paNotNestable, paDisplayReadOnly, paCustomDropDown,
  paValueEditable
};
QN_ENUM_NAMES(TPropertyAttribute, paValueList, paSubProperties, paDialog, paMultiSelect, paAutoUpdate, paSortList,
              paReadOnly, paRevertable, paFullWidthName, paVolatileSubProperties, paVCL, paNotNestable,
              paDisplayReadOnly, paCustomDropDown, paValueEditable)
using enum TPropertyAttribute;
using TPropertyAttributes = TSet<TPropertyAttribute>;

using TGetPropProc = std::function<void(std::unique_ptr<TPropertyEditor> Prop)>;

// Edits one property of every selected component at once: reading shows
// the first one's value, writing sets all of them and then tells the
// designer once.
class TPropertyEditor : public TObject {
  QN_CLASS_CREATE(TPropertyEditor, TObject, TPropertyEditorArgs)
 public:
  TPropertyEditor(IDesigner* ADesigner, const TDesignerSelections& ASelection, const TPropInfo* APropInfo);
  explicit TPropertyEditor(TPropertyEditorArgs* Args)
      : TPropertyEditor(Args->Designer, Args->Selection, Args->PropInfo) {}

  virtual TPropertyAttributes GetAttributes();
  // The text the inspector shows.
  virtual String GetValue();
  // Typed text; raises EPropertyError when it cannot be taken (the
  // components then keep their values).
  virtual void SetValue(const String& Value);
  // The drop-down list of paValueList.
  virtual void GetValues(const std::function<void(const String&)>& Proc);
  // The "..." button of paDialog.
  virtual void Edit();
  // The rows under this one for paSubProperties.
  virtual void GetProperties(const TGetPropProc& Proc);
  virtual String GetName();
  // True when every selected component has the first one's value.
  virtual bool AllEqual();

  TPersistent* GetComponent(Integer Index) const;
  Integer PropCount() const { return Integer(FSelection.size()); }
  IDesigner* Designer() const { return FDesigner; }
  const TPropInfo* GetPropInfo() const { return FPropInfo; }
  const TPropType& PropType() const { return FPropInfo->PropType(); }
  const TDesignerSelections& Selection() const { return FSelection; }
  // Tells the designer (once per call) and counts.
  void Modified();
  Integer ModifiedCount() const { return FModifiedCount; }
  // Forgets a component that is gone (the inspector calls it).
  void RemoveComponent(TPersistent* Instance);

  Int64 GetOrdValue() { return GetOrdValueAt(0); }
  Int64 GetOrdValueAt(Integer Index);
  void SetOrdValue(Int64 Value);
  Int64 GetInt64Value() { return GetOrdValueAt(0); }
  void SetInt64Value(Int64 Value) { SetOrdValue(Value); }
  String GetStrValue() { return GetStrValueAt(0); }
  String GetStrValueAt(Integer Index);
  void SetStrValue(const String& Value);
  Extended GetFloatValue() { return GetFloatValueAt(0); }
  Extended GetFloatValueAt(Integer Index);
  void SetFloatValue(Extended Value);
  TObject* GetObjectValue() { return GetObjectValueAt(0); }
  TObject* GetObjectValueAt(Integer Index);
  void SetObjectValue(TObject* Value);
  TPropValue GetPropValueAt(Integer Index);
  // Sets every selected component, then Modified.
  void SetPropValueAll(const TPropValue& Value);

 protected:
  const TPropInfo* InfoOf(Integer Index) const;

 private:
  IDesigner* FDesigner;
  TDesignerSelections FSelection;
  const TPropInfo* FPropInfo;
  Integer FModifiedCount = 0;
};

class TOrdinalProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TOrdinalProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
};

class TIntegerProperty : public TOrdinalProperty {
  QN_CLASS_CREATE(TIntegerProperty, TOrdinalProperty, TPropertyEditorArgs)
 public:
  using TOrdinalProperty::TOrdinalProperty;
  String GetValue() override;
  // A number in the type's range ("$" hexadecimal allowed).
  void SetValue(const String& Value) override;
};

class TCharProperty : public TOrdinalProperty {
  QN_CLASS_CREATE(TCharProperty, TOrdinalProperty, TPropertyEditorArgs)
 public:
  using TOrdinalProperty::TOrdinalProperty;
  // Printable characters as themselves, others as "#n".
  String GetValue() override;
  void SetValue(const String& Value) override;
};

class TEnumProperty : public TOrdinalProperty {
  QN_CLASS_CREATE(TEnumProperty, TOrdinalProperty, TPropertyEditorArgs)
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
};

class TBoolProperty : public TEnumProperty {
  QN_CLASS_CREATE(TBoolProperty, TEnumProperty, TPropertyEditorArgs)
 public:
  using TEnumProperty::TEnumProperty;
};

class TInt64Property : public TPropertyEditor {
  QN_CLASS_CREATE(TInt64Property, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
};

class TFloatProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TFloatProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  bool AllEqual() override;
};

class TStringProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TStringProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
};

// A component's own name: one component at a time; the name is checked by
// the component (EComponentError for a bad or taken one).
class TComponentNameProperty : public TStringProperty {
  QN_CLASS_CREATE(TComponentNameProperty, TStringProperty, TPropertyEditorArgs)
 public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override;
};

// "[a,b]", expanded into one True/False row per element.
class TSetProperty : public TOrdinalProperty {
  QN_CLASS_CREATE(TSetProperty, TOrdinalProperty, TPropertyEditorArgs)
 public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetProperties(const TGetPropProc& Proc) override;
};

// One element of a set: True when the set holds it.
class TSetElementProperty : public TPropertyEditor {
  QN_CLASS(TSetElementProperty, TPropertyEditor)
 public:
  TSetElementProperty(IDesigner* ADesigner, const TDesignerSelections& ASelection, const TPropInfo* APropInfo,
                      Integer AElement);
  TPropertyAttributes GetAttributes() override;
  String GetName() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
  bool AllEqual() override;

 private:
  Integer FElement;
};

// A sub-object: "(TFont)", expanded into the object's own properties.
class TClassProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TClassProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void GetProperties(const TGetPropProc& Proc) override;
};

// A reference to another component of the root: its name, picked from the
// root's components of the property's class.
class TComponentProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TComponentProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
};

// An event: the name of the root's published method it is bound to.
class TMethodProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TMethodProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
};

// Colours by name ("clBtnFace") or number; "..." opens the colour dialog.
class TColorProperty : public TIntegerProperty {
  QN_CLASS_CREATE(TColorProperty, TIntegerProperty, TPropertyEditorArgs)
 public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
  void Edit() override;
};

class TCursorProperty : public TIntegerProperty {
  QN_CLASS_CREATE(TCursorProperty, TIntegerProperty, TPropertyEditorArgs)
 public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  void GetValues(const std::function<void(const String&)>& Proc) override;
};

// A font: its own properties as sub-rows; "..." edits them as a group
// through the host's font hook, when one is set.
class TFontProperty : public TClassProperty {
  QN_CLASS_CREATE(TFontProperty, TClassProperty, TPropertyEditorArgs)
 public:
  using TClassProperty::TClassProperty;
  TPropertyAttributes GetAttributes() override;
  void Edit() override;
};
class TFont;
// The host's font picker: answers true with the chosen font assigned into
// Font. Without one, TFontProperty shows no "..." button.
using TFontEditHook = std::function<bool(TFont* Font)>;
TFontEditHook SetFontEditHook(TFontEditHook Hook);

// ---------------------------------------------------------------------------
// Collections

enum class TColOption { coAdd, coDelete, coMove };
QN_ENUM_NAMES(TColOption, coAdd, coDelete, coMove)
using enum TColOption;
using TColOptions = TSet<TColOption>;

class TCollection;
// The token class that names the host's own collection editor.
class TCollectionEditor : public TObject {
  QN_CLASS(TCollectionEditor, TObject)
};

struct TCollectionEditorCall {
  IDesigner* Designer = nullptr;
  TClass EditorClass = nullptr;
  TComponent* Component = nullptr;
  TCollection* Collection = nullptr;
  String PropertyName;
  TColOptions Options;
};
using TCollectionEditorHook = std::function<void(const TCollectionEditorCall& Call)>;
// The host shows its collection editor; the default only records the call.
void ShowCollectionEditorClass(IDesigner* ADesigner, TClass CollectionEditorClass, TComponent* AComponent,
                               TCollection* ACollection, const String& PropertyName,
                               TColOptions ColOptions = TColOptions{coAdd, coDelete, coMove});
TCollectionEditorHook SetCollectionEditorHook(TCollectionEditorHook Hook);
std::vector<TCollectionEditorCall> CollectionEditorCalls();
void ClearCollectionEditorCalls();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
