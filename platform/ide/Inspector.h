// A headless object inspector: the rows a developer would see for the
// components selected in a designer, and the gestures on them (typing a
// value, picking from the drop-down list, the "..." button, expanding a
// sub-object or set, the context-menu verbs and the double-click). It
// follows the designer: a new selection, a change made elsewhere and a
// component freed behind its back all show at once.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/ide/DesignEditors.h"

namespace vcl {

class TInspector;

class TInspectorRow {
 public:
  TInspectorRow(TInspector* AInspector, std::unique_ptr<TPropertyEditor> AEditor, Integer ALevel,
                const String& APath);
  const String& Name() const { return FName; }
  // "Font.Style.fsBold" for a row under others.
  const String& Path() const { return FPath; }
  const String& TypeName() const { return FTypeName; }
  TPropertyEditor* Editor() const { return FEditor.get(); }
  TClass EditorClass() const { return FEditor->ClassType(); }
  TPropertyAttributes Attributes() const { return FAttributes; }
  // Blank when the selected components differ.
  const String& Value() const { return FValue; }
  Integer Level() const { return FLevel; }
  bool Expanded() const { return FExpanded; }
  const std::vector<std::unique_ptr<TInspectorRow>>& Children() const { return FChildren; }

  // Shows the rows under it (paSubProperties; EInvalidOperation otherwise).
  void Expand();
  void Collapse();
  // The drop-down list (paValueList), sorted for paSortList.
  std::vector<String> ValueList();
  // Types Text and presses Enter: EPropertyError for a read-only row or a
  // value the editor refuses (the components keep theirs).
  void Type(const String& Text);
  // The "..." button (paDialog; EInvalidOperation otherwise).
  void ClickEllipsis();

 private:
  friend class TInspector;
  void Refresh();
  void Forget(TPersistent* Instance);
  TInspector* FInspector;
  std::unique_ptr<TPropertyEditor> FEditor;
  Integer FLevel;
  String FName, FPath, FTypeName, FValue;
  TPropertyAttributes FAttributes;
  bool FExpanded = false;
  std::vector<std::unique_ptr<TInspectorRow>> FChildren;
};

class TInspector : public IDesignNotification {
 public:
  explicit TInspector(IDesigner* ADesigner);
  ~TInspector() override;
  TInspector(const TInspector&) = delete;
  TInspector& operator=(const TInspector&) = delete;

  // Selects the components in the designer and shows their common
  // properties (with several, only those whose editors allow it).
  void Select(const TDesignerSelections& Components);
  const TDesignerSelections& Selection() const { return FSelection; }
  // The visible property rows, top to bottom (an expanded row's children
  // follow it), and the event rows.
  std::vector<TInspectorRow*> Rows() const;
  std::vector<TInspectorRow*> Events() const;
  // The row of that path ("Font", "Font.Style.fsBold"), ignoring case; nil
  // when none is shown.
  TInspectorRow* Row(const String& Path) const;
  TInspectorRow* Event(const String& Name) const;

  // The component editor of the selected component (the first when several).
  std::vector<String> Verbs();
  void ExecuteVerb(Integer Index);
  void DoubleClick();
  // Reads every shown value again.
  void Refresh();
  IDesigner* Designer() const { return FDesigner; }

  void ItemDeleted(IDesigner* ADesigner, TPersistent* AItem) override;
  void ItemsModified(IDesigner* ADesigner) override;
  void SelectionChanged(IDesigner* ADesigner, const TDesignerSelections& ASelection) override;
  void DesignerClosed(IDesigner* ADesigner, bool AGoingDormant) override;

 private:
  friend class TInspectorRow;
  friend struct TInspectorGesture;
  void Build(const TDesignerSelections& Components);
  void Clear();
  // Rows and editors replaced while one of them is at work stay alive until
  // the outermost gesture returns.
  void Enter() { ++FDepth; }
  void Leave();
  Integer FDepth = 0;
  std::vector<std::unique_ptr<TInspectorRow>> FRetiredRows;
  std::vector<std::unique_ptr<TComponentEditor>> FRetiredEditors;
  IDesigner* FDesigner;
  TDesignerSelections FSelection;
  std::vector<std::unique_ptr<TInspectorRow>> FRows, FEvents;
  std::unique_ptr<TComponentEditor> FComponentEditor;
  bool FBuilding = false;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
