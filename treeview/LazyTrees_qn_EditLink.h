// The string tree's own in-place editor: TStringEditLink, the edit link the
// tree drives, and TVTEdit, the edit control it lays over the cell. The
// edit control is always a multi-line edit; for a single-line node it keeps
// to one line by itself (Return ends the edit, Up and Down move the caret)
// and grows with its text, for a multi-line node it wraps and scrolls.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/StdCtrls.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace qn {

class TStringEditLink;

class TVTEdit : public TCustomEdit {
  QN_CLASS(TVTEdit, TCustomEdit)
 public:
  explicit TVTEdit(TStringEditLink* Link);
  ~TVTEdit() override;

  // Sizes a single-line editor to its text (never with grid extensions).
  virtual void AutoAdjustSize();
  // Frees the control once the message it may be handling is done.
  virtual void Release();
  void Dispatch(TMessage& Message) override;

 protected:
  friend class TStringEditLink;
  void CreateParams(TCreateParams& Params) override;
  void CMAutoAdjust(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CNCommand(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMDestroy(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  // Lets go of the link: its edit is over.
  void Detach();
  bool MultiLine() const;

  // Keeps the link alive while the control may still call it.
  TIntf<IVTEditLink> FRefLink;
  TStringEditLink* FLink = nullptr;

 private:
  // The link that created the control, as long as both live; the link
  // releases the control when it goes, the control tells the link when it
  // is freed first (with its parent tree).
  TStringEditLink* FMaster = nullptr;
  // Expires with the control, for a release that waits.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TStringEditLink : public TInterfacedObject, public IVTEditLink {
  QN_CLASS(TStringEditLink, TInterfacedObject)
  QN_INTERFACES(IVTEditLink)
 public:
  TStringEditLink();
  ~TStringEditLink() override;

  bool BeginEdit() override;
  bool CancelEdit() override;
  bool EndEdit() override;
  TRect GetBounds() override;
  bool PrepareEdit(TBaseLazyTree_qn* Tree, PLazyNode Node, TColumnIndex Column) override;
  void ProcessMessage(TMessage& Message) override;
  void SetBounds(TRect R) override;

  TVTEdit* Edit() const { return FEdit; }
  bool Stopping() const { return FStopping; }

 protected:
  friend class TVTEdit;
  TVTEdit* FEdit = nullptr;
  TCustomLazyStringTree_qn* FTree = nullptr;
  PLazyNode FNode = nullptr;
  TColumnIndex FColumn = NoColumn;
  TAlignment FAlignment = taLeftJustify;
  TRect FTextBounds;
  bool FStopping = false;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
