#include "design/frmQuarnResManager.h"

#include <cstdio>
#include <new>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/frmAboutQuarn.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Streaming.h"
#include "platform/ide/ToolsAPI.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"

namespace qn {

namespace {

const char* const kResManagerForm = R"(object QuarnResManagerForm: TQuarnResManagerForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = 'QuarnResManager'
  ClientHeight = 550
  ClientWidth = 1030
  Position = poOwnerFormCenter
  OnCreate = FormCreate
  OnShow = FormShow
  OnDestroy = FormDestroy
  object grp1: TGroupBox
    Left = 0
    Top = 0
    Width = 542
    Height = 550
    Align = alLeft
    Caption = 'Images'
    TabOrder = 0
    object lbl3: TLabel
      Left = 12
      Top = 22
      Width = 90
      Height = 15
      Caption = 'Image ID Filter:'
    end
    object edtFilter: TEdit
      Left = 110
      Top = 18
      Width = 420
      Height = 23
      TabOrder = 0
    end
    object qnvdtImageList: TQuarnLazyDrawTree
      Left = 8
      Top = 48
      Width = 514
      Height = 376
      DefaultNodeHeight = 23
      TabOrder = 1
    end
    object qrnscrlbr1: TQuarnScrollBar
      Left = 522
      Top = 48
      Width = 10
      Height = 376
      Kind = sbVertical
    end
    object pnl1: TQuarnPanel
      Left = 2
      Top = 432
      Width = 538
      Height = 116
      Align = alBottom
      object lbl1: TLabel
        Left = 10
        Top = 10
        Width = 60
        Height = 15
        Caption = 'Image ID:'
        Font.Style = [fsBold]
        ParentFont = False
      end
      object edtImageID: TEdit
        Left = 90
        Top = 6
        Width = 260
        Height = 23
        TabOrder = 0
      end
      object lbl2: TLabel
        Left = 10
        Top = 40
        Width = 70
        Height = 15
        Caption = 'Description:'
      end
      object edtDescription: TEdit
        Left = 90
        Top = 36
        Width = 260
        Height = 23
        TabOrder = 1
      end
      object chkActiveMoreDPI: TCheckBox
        Left = 364
        Top = 8
        Width = 80
        Height = 19
        Caption = 'DPI Scale: '
        TabOrder = 2
      end
      object cbbDPIScale: TComboBox
        Left = 448
        Top = 6
        Width = 80
        Height = 23
        Style = csDropDownList
        ItemIndex = 0
        TabOrder = 3
        Text = '100%'
        Items.Strings = (
          '100%'
          '150%'
          '200%'
          '300%')
      end
      object btnAdd: TButton
        Left = 10
        Top = 76
        Width = 90
        Height = 28
        Caption = 'Add'
        TabOrder = 4
      end
      object btnReplace: TButton
        Left = 114
        Top = 76
        Width = 90
        Height = 28
        Caption = 'Replace'
        TabOrder = 5
      end
      object btnDelete: TButton
        Left = 218
        Top = 76
        Width = 90
        Height = 28
        Caption = 'Delete'
        TabOrder = 6
      end
      object btnLoad: TButton
        Left = 322
        Top = 76
        Width = 90
        Height = 28
        Caption = 'Import...'
        TabOrder = 7
      end
      object btnSaveAs: TButton
        Left = 426
        Top = 76
        Width = 90
        Height = 28
        Caption = 'Export...'
        TabOrder = 8
      end
    end
  end
  object qrnspltr1: TQuarnSplitter
    Left = 542
    Top = 0
    Width = 6
    Height = 550
  end
  object grp2: TGroupBox
    Left = 548
    Top = 0
    Width = 482
    Height = 550
    Align = alClient
    Caption = 'Preview'
    TabOrder = 1
    object pnl2: TPanel
      Left = 2
      Top = 460
      Width = 478
      Height = 44
      Align = alBottom
      BevelOuter = bvNone
      Caption = ''
      TabOrder = 0
      object btnOK: TButton
        Left = 290
        Top = 8
        Width = 86
        Height = 28
        Anchors = [akTop, akRight]
        Caption = 'OK'
        TabOrder = 0
      end
      object btnCancel: TButton
        Left = 386
        Top = 8
        Width = 86
        Height = 28
        Anchors = [akTop, akRight]
        Caption = 'Cancel'
        TabOrder = 1
      end
    end
  end
  object pm1: TPopupMenu
    object SaveAs1: TMenuItem
      Caption = 'Save As...'
    end
  end
  object actlst1: TActionList
    object actAdd: TAction
      Caption = 'Add'
    end
    object actReplace: TAction
      Caption = 'Replace'
    end
    object actDelete: TAction
      Caption = 'Delete'
    end
    object actLoad: TAction
      Caption = 'Import...'
    end
    object actSaveAs: TAction
      Caption = 'Export...'
    end
    object actItem_SaveAs: TAction
      Caption = 'Save As...'
    end
    object actOK: TAction
      Caption = 'OK'
    end
    object actCancel: TAction
      Caption = 'Cancel'
    end
  end
end
)";

const char* const kResDMUnitText =
    "unit uQuarnResDM;\r\n"
    "\r\n"
    "{ The project's skin images. The design-time image manager keeps the\r\n"
    "  form file of this module up to date; do not edit it by hand. }\r\n"
    "\r\n"
    "interface\r\n"
    "\r\n"
    "uses\r\n"
    "  System.Classes, uQuarnResManager;\r\n"
    "\r\n"
    "implementation\r\n"
    "\r\n"
    "{$R *.dfm}\r\n"
    "\r\n"
    "end.\r\n";

namespace fs = std::filesystem;

fs::path PathOf(const String& Name) { return fs::path(ToUtf8(Name)); }

std::string ReadFileBytes(const String& FileName) {
  std::ifstream in(PathOf(FileName), std::ios::binary);
  if (!in) throw EFOpenError(u"Cannot open file \"" + FileName + u"\"");
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes beside the target and renames over it, so the old file stays whole
// until the new one is complete. Returns the temporary name still to be
// renamed when Commit is false.
String WriteSideFile(const String& FileName, const std::string& Data) {
  const String side = FileName + u".new";
  {
    std::ofstream out(PathOf(side), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(u"Cannot create file \"" + side + u"\"");
    out.write(Data.data(), std::streamsize(Data.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      fs::remove(PathOf(side), ec);
      throw EWriteError(u"Cannot write file \"" + side + u"\"");
    }
  }
  return side;
}

void CommitSideFile(const String& Side, const String& FileName) {
  std::error_code ec;
  fs::rename(PathOf(Side), PathOf(FileName), ec);
  if (ec) {
    fs::remove(PathOf(Side), ec);
    throw EWriteError(u"Cannot replace file \"" + FileName + u"\"");
  }
}

void WriteWhole(const String& FileName, const std::string& Data) { CommitSideFile(WriteSideFile(FileName, Data), FileName); }

void CopyWhole(const String& From, const String& To) { WriteWhole(To, ReadFileBytes(From)); }

std::string ComponentText(TComponent* C) {
  TMemoryStream bin;
  bin.WriteComponent(C);
  bin.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&bin, &text);
  return std::string(static_cast<const char*>(text.Memory()), size_t(text.Size()));
}

std::string AsciiUpperTrim(const std::string& Line) {
  size_t b = 0, e = Line.size();
  while (b < e && Byte(Line[b]) <= ' ') ++b;
  while (e > b && Byte(Line[e - 1]) <= ' ') --e;
  std::string r = Line.substr(b, e - b);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return r;
}

// The lines of Text, each with its own line break, so what is kept is kept
// byte for byte.
std::vector<std::string> SplitKeepingBreaks(const std::string& Text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < Text.size()) {
    size_t nl = Text.find('\n', start);
    size_t end = nl == std::string::npos ? Text.size() : nl + 1;
    lines.push_back(Text.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string StripBreak(const std::string& Line) {
  std::string r = Line;
  while (!r.empty() && (r.back() == '\n' || r.back() == '\r')) r.pop_back();
  return r;
}

// The image-list part of a data module's text.
std::string ImageListPart(const std::string& DfmText) {
  std::vector<std::string> lines = SplitKeepingBreaks(DfmText);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (AsciiUpperTrim(StripBreak(lines[i])).find("OBJECT QUARNIMAGELISTMAIN") != std::string::npos) {
      lines.erase(lines.begin(), lines.begin() + std::ptrdiff_t(i));
      break;
    }
  }
  // The module's own closing line goes, and whatever trails it.
  while (!lines.empty()) {
    const bool wasEnd = AsciiUpperTrim(StripBreak(lines.back())) == "END";
    lines.pop_back();
    if (wasEnd) break;
  }
  std::string out;
  for (const auto& l : lines) out += l;
  return out;
}

bool SameText(const String& A, const String& B) { return UpperCase(A) == UpperCase(B); }

String UnitKey(const String& FileName) { return UpperCase(Trim(FileName)); }

TQnResDPIScale ScaleOfIndex(Integer Index) {
  switch (Index) {
    case 1: return ds150;
    case 2: return ds200;
    case 3: return ds300;
    default: return ds100;
  }
}

Integer IndexOfScale(TQnResDPIScale Scale) { return Integer(Scale); }

}  // namespace

// ---------------------------------------------------------------------------
// Project folder

String GetDestProjectPath(const String& FileName) {
  TIdeServices* ide = IdeServices();
  if (!ide || Trim(FileName).empty()) return String();
  const String pas = UnitKey(ChangeFileExt(FileName, u".pas"));
  const String dfm = UnitKey(ChangeFileExt(FileName, u".dfm"));
  TOTAProjectGroup* group = ide->MainProjectGroup();
  for (Integer p = 0; p < group->ProjectCount(); ++p) {
    TOTAProject* project = group->Projects(p);
    for (Integer m = 0; m < project->GetModuleCount(); ++m) {
      const String unit = UnitKey(project->GetModule(m));
      if (unit == pas || unit == dfm) return IncludeTrailingPathDelimiter(ExtractFilePath(project->FileName()));
    }
  }
  return String();
}

String GetCurrentProjectPath() {
  TIdeServices* ide = IdeServices();
  if (!ide) return String();
  TOTAModule* module = ide->CurrentModule();
  if (!module) return String();
  for (Integer i = 0; i < module->ModuleFileCount(); ++i) {
    TOTAEditor* editor = module->ModuleFileEditors(i);
    if (editor && editor->IsFormEditor()) return GetDestProjectPath(ChangeFileExt(editor->FileName(), u".pas"));
  }
  return String();
}

// ---------------------------------------------------------------------------
// The property editor

TPropertyAttributes TQnResManagerProperty::GetAttributes() { return TPropertyAttributes{paDialog}; }

String TQnResManagerProperty::GetValue() { return GetStrValue(); }

void TQnResManagerProperty::SetValue(const String& Value) { SetStrValue(Value); }

void TQnResManagerProperty::Edit() {
  std::unique_ptr<TQuarnResManagerForm> dlg(TCustomForm::Create<TQuarnResManagerForm>(nullptr));
  dlg->SetImageID(GetStrValue());
  TQuarnResManager* store = TQuarnResManagerObj();
  store->SetDesigning(true);
  try {
    if (dlg->ShowModal() == mrOk) SetStrValue(dlg->ImageID());
  } catch (...) {
    store->SetDesigning(false);
    throw;
  }
  store->SetDesigning(false);
}

// ---------------------------------------------------------------------------
// The dialog

TQuarnResManagerForm::TQuarnResManagerForm(TComponent* AOwner) : TForm(AOwner) {}

TQuarnResManagerForm::~TQuarnResManagerForm() = default;

template <class T>
T* TQuarnResManagerForm::Part(const Char* Name) {
  T* c = dynamic_cast<T*>(FindComponent(Name));
  if (!c) throw EComponentError(u"The image manager's form lacks " + String(Name));
  return c;
}

String TQuarnResManagerForm::DfmPath() const { return FProjectPath + kResDMDfm; }
String TQuarnResManagerForm::TmpPath() const { return FProjectPath + kDesignTimeRes; }

TQuarnImageNodeRec* TQuarnResManagerForm::NodeRec(PLazyNode Node) {
  return Node ? qnvdtImageList->GetNodeData<TQuarnImageNodeRec>(Node) : nullptr;
}

TQnResDPIScale TQuarnResManagerForm::ChosenScale() const { return ScaleOfIndex(cbbDPIScale->ItemIndex()); }

void TQuarnResManagerForm::FormCreate(TObject*) {
  grp1 = Part<TGroupBox>(u"grp1");
  grp2 = Part<TGroupBox>(u"grp2");
  lbl1 = Part<TLabel>(u"lbl1");
  lbl2 = Part<TLabel>(u"lbl2");
  lbl3 = Part<TLabel>(u"lbl3");
  edtFilter = Part<TEdit>(u"edtFilter");
  edtImageID = Part<TEdit>(u"edtImageID");
  edtDescription = Part<TEdit>(u"edtDescription");
  qnvdtImageList = Part<TQuarnLazyDrawTree>(u"qnvdtImageList");
  qrnscrlbr1 = Part<TQuarnScrollBar>(u"qrnscrlbr1");
  pnl1 = Part<TQuarnPanel>(u"pnl1");
  chkActiveMoreDPI = Part<TCheckBox>(u"chkActiveMoreDPI");
  cbbDPIScale = Part<TComboBox>(u"cbbDPIScale");
  btnAdd = Part<TButton>(u"btnAdd");
  btnReplace = Part<TButton>(u"btnReplace");
  btnDelete = Part<TButton>(u"btnDelete");
  btnLoad = Part<TButton>(u"btnLoad");
  btnSaveAs = Part<TButton>(u"btnSaveAs");
  qrnspltr1 = Part<TQuarnSplitter>(u"qrnspltr1");
  pm1 = Part<TPopupMenu>(u"pm1");
  SaveAs1 = Part<TMenuItem>(u"SaveAs1");
  pnl2 = Part<TPanel>(u"pnl2");
  btnOK = Part<TButton>(u"btnOK");
  btnCancel = Part<TButton>(u"btnCancel");
  actlst1 = Part<TActionList>(u"actlst1");
  actAdd = Part<TAction>(u"actAdd");
  actReplace = Part<TAction>(u"actReplace");
  actDelete = Part<TAction>(u"actDelete");
  actLoad = Part<TAction>(u"actLoad");
  actSaveAs = Part<TAction>(u"actSaveAs");
  actItem_SaveAs = Part<TAction>(u"actItem_SaveAs");
  actOK = Part<TAction>(u"actOK");
  actCancel = Part<TAction>(u"actCancel");

  using F = TQuarnResManagerForm;
  actAdd->SetOnExecute(TNotifyEvent(this, &F::actAddExecute));
  actReplace->SetOnExecute(TNotifyEvent(this, &F::actReplaceExecute));
  actDelete->SetOnExecute(TNotifyEvent(this, &F::actDeleteExecute));
  actLoad->SetOnExecute(TNotifyEvent(this, &F::actLoadExecute));
  actSaveAs->SetOnExecute(TNotifyEvent(this, &F::actSaveAsExecute));
  actOK->SetOnExecute(TNotifyEvent(this, &F::actOKExecute));
  actCancel->SetOnExecute(TNotifyEvent(this, &F::actCancelExecute));
  actItem_SaveAs->SetOnExecute(TNotifyEvent(this, &F::actItem_SaveAsExecute));
  actlst1->SetOnUpdate(TActionEvent(this, &F::actlst1Update));
  btnAdd->SetAction(actAdd);
  btnReplace->SetAction(actReplace);
  btnDelete->SetAction(actDelete);
  btnLoad->SetAction(actLoad);
  btnSaveAs->SetAction(actSaveAs);
  btnOK->SetAction(actOK);
  btnCancel->SetAction(actCancel);
  SaveAs1->SetAction(actItem_SaveAs);
  grp2->SetPopupMenu(pm1);
  edtFilter->SetOnChange(TNotifyEvent(this, &F::edtFilterChange));

  TQuarnLazyDrawTree* t = qnvdtImageList;
  t->SetNodeDataSize(Integer(sizeof(TQuarnImageNodeRec)));
  t->SetDefaultNodeHeight(23);
  t->SetVScrollBar(qrnscrlbr1);
  auto sel = t->TreeOptions()->SelectionOptions();
  sel.Include(toFullRowSelect);
  sel.Include(toMultiSelect);
  t->TreeOptions()->SetSelectionOptions(sel);
  struct Col {
    const Char* Text;
    Integer Width;
  };
  for (const Col& c : {Col{u"NO.", 50}, Col{u"ImageID", 298}, Col{u"Preview", 100}, Col{u"Size", 80},
                       Col{u"Description", 100}}) {
    TLazyTreeColumn* col = t->Header()->Columns()->Add();
    col->SetText(c.Text);
    col->SetWidth(c.Width);
  }
  auto opts = t->Header()->Options();
  opts.Include(hoVisible);
  t->Header()->SetOptions(opts);
  t->SetOnClick(TNotifyEvent(this, &F::qnvdtImageListClick));
  t->OnFocusChanged = TVTFocusChangeEvent(this, &F::qnvdtImageListFocusChanged);
  t->OnFreeNode = TVTFreeNodeEvent(this, &F::qnvdtImageListFreeNode);
  t->SetOnDrawNode(TVTDrawNodeEvent(this, &F::qnvdtImageListDrawNode));
  CreatePreview();
}

void TQuarnResManagerForm::FormShow(TObject*) {
  FProjectPath = GetCurrentProjectPath();
  if (FProjectPath.empty() || !DirectoryExists(FProjectPath)) throw Exception(u"Not found Project Path!");

  const String install = GetQuarnInstallPath();
  const String srcDfm = install + kResDMDfm;
  const bool hasPas = FileExists(install + kResDMPas);
  const String unitName = hasPas ? kResDMPas : kResDMDcu;
  const String dstDfm = DfmPath();
  const String dstUnit = FProjectPath + unitName;
  if (!(FileExists(dstDfm) && FileExists(dstUnit))) {
    if (!FileExists(dstDfm)) {
      if (!FileExists(srcDfm)) throw Exception(u"Not found quarn resource file in " + install);
      CopyWhole(srcDfm, dstDfm);
    }
    if (FileExists(install + unitName)) CopyWhole(install + unitName, dstUnit);
  }
  ReCreateDesignTimeResDat(dstDfm, TmpPath());
  LoadList(TmpPath(), u"");
  if (!FImageID.empty()) {
    if (PLazyNode n = FindImageNode(FImageID)) {
      qnvdtImageList->ClearSelection();
      qnvdtImageList->SetSelected(n, true);
      qnvdtImageList->SetFocusedNode(n);
    }
  }
}

void TQuarnResManagerForm::FormDestroy(TObject*) {
  // The nodes' records are freed through this form, which must still be
  // whole: the form's components go after this, before its destructor.
  if (qnvdtImageList) {
    qnvdtImageList->SetOnDrawNode(nullptr);
    qnvdtImageList->OnFocusChanged = nullptr;
    qnvdtImageList->Clear();
    qnvdtImageList->OnFreeNode = nullptr;
  }
  // The preview outlives the list by a little while the form's components
  // go: it must not ask the list for the focused node any more.
  if (FImage32) {
    FImage32->SetOnResize(nullptr);
    FImage32->SetOnMouseDown(nullptr);
    FImage32->SetOnMouseMove(nullptr);
    FImage32->SetOnMouseUp(nullptr);
  }
}

void TQuarnResManagerForm::ReCreateDesignTimeResDat(const String& DfmFile, const String& TmpFile) {
  WriteWhole(TmpFile, ImageListPart(ReadFileBytes(DfmFile)));
}

void TQuarnResManagerForm::LoadList(const String& FileName, const String& Filter) {
  TQuarnResManagerObj()->Refresh(FileName);
  FLastDesignTimeResDat = FileName;
  TQuarnBitmapCollection* items = QuarnResDM->QuarnImageListMain()->Bitmaps();
  const String filter = UpperCase(Filter);
  qnvdtImageList->BeginUpdate();
  try {
    qnvdtImageList->Clear();
    for (Integer i = 0; i < items->Count(); ++i) {
      TQuarnBitmapItem* item = items->GetItem(i);
      if (!filter.empty() && UpperCase(item->ResID()).find(filter) == String::npos) continue;
      TQuarnImageNodeRec rec;
      rec.ID = item->ResID();
      rec.DPIScale = GetDPIScaleTextFromResID(item->ResID());
      rec.Image = item->Bitmap();
      rec.Description = item->Description();
      AddItemToList(rec);
    }
  } catch (...) {
    qnvdtImageList->EndUpdate();
    throw;
  }
  qnvdtImageList->EndUpdate();
}

PLazyNode TQuarnResManagerForm::AddItemToList(const TQuarnImageNodeRec& Rec) {
  PLazyNode node = qnvdtImageList->AddChild(nullptr);
  new (qnvdtImageList->GetNodeData(node)) TQuarnImageNodeRec(Rec);
  return node;
}

void TQuarnResManagerForm::qnvdtImageListFreeNode(TBaseLazyTree_qn*, PLazyNode Node) {
  if (auto* rec = NodeRec(Node)) rec->~TQuarnImageNodeRec();
}

PLazyNode TQuarnResManagerForm::FindImageNode(const String& ID) {
  for (PLazyNode n = qnvdtImageList->GetFirst(); n; n = qnvdtImageList->GetNext(n))
    if (SameText(NodeRec(n)->ID, ID)) return n;
  return nullptr;
}

String TQuarnResManagerForm::CreateImageID(const String& FileName) {
  String id = Trim(edtImageID->Text());
  // Without an id of the developer's, the file's name stands in, and goes
  // through the same clash rule, so no id is ever given twice.
  if (id.empty() || FindImageNode(id)) id = ChangeFileExt(ExtractFileName(FileName), u"");
  while (PLazyNode clash = FindImageNode(id)) id = NodeRec(clash)->ID + u"_1";
  if (chkActiveMoreDPI->Checked() && id.find(u"@DPI") == String::npos) id += QnResDPIScaleToText(ChosenScale());
  return Trim(id);
}

void TQuarnResManagerForm::DoImageChanged() {
  if (!QuarnResDM) throw Exception(u"QuarnResDM is not assigned");
  if (!FileExists(DfmPath())) throw Exception(u"Not found quarn resource file in " + FProjectPath);
  const std::string dfm = ComponentText(QuarnResDM);
  const std::string list = ComponentText(QuarnResDM->QuarnImageListMain());
  // Both new files are complete before either old one is replaced.
  const String dfmSide = WriteSideFile(DfmPath(), dfm);
  String tmpSide;
  try {
    tmpSide = WriteSideFile(TmpPath(), list);
  } catch (...) {
    std::error_code ec;
    fs::remove(PathOf(dfmSide), ec);
    throw;
  }
  CommitSideFile(dfmSide, DfmPath());
  CommitSideFile(tmpSide, TmpPath());
}

void TQuarnResManagerForm::actAddExecute(TObject*) {
  auto dlg = std::make_unique<TOpenDialog>(nullptr);
  TOpenOptions o = dlg->Options();
  o.Include(ofAllowMultiSelect);
  dlg->SetOptions(o);
  dlg->SetFilter(u"Images(.png;.bmp;.jpg)|*.png;*.bmp;*.jpg");
  if (!dlg->Execute()) return;
  if (chkActiveMoreDPI->Checked()) edtImageID->SetText(IncludeDPIScaleText(edtImageID->Text(), ChosenScale()));
  TQuarnResManager* store = TQuarnResManagerObj();
  PLazyNode last = nullptr;
  for (Integer i = 0; i < dlg->Files()->Count(); ++i) {
    const String file = dlg->Files()->Strings(i);
    const String id = CreateImageID(ExtractFileName(file));
    const Integer index = store->AddRes(file, id, edtDescription->Text());
    DoImageChanged();
    TQuarnBitmapItem* item = QuarnResDM->QuarnImageListMain()->Bitmaps()->GetItem(index);
    TQuarnImageNodeRec rec;
    rec.ID = item->ResID();
    rec.DPIScale = GetDPIScaleTextFromResID(item->ResID());
    rec.Image = item->Bitmap();
    rec.Description = item->Description();
    last = AddItemToList(rec);
  }
  if (last) {
    qnvdtImageList->ClearSelection();
    qnvdtImageList->SetSelected(last, true);
    qnvdtImageList->SetFocusedNode(last);
  }
}

void TQuarnResManagerForm::actReplaceExecute(TObject*) {
  PLazyNode node = qnvdtImageList->FocusedNode();
  if (!node) return;
  auto dlg = std::make_unique<TOpenDialog>(nullptr);
  dlg->SetFilter(u"Images(.png;.bmp;.jpg)|*.png;*.bmp;*.jpg");
  if (!dlg->Execute()) return;
  TQuarnImageNodeRec* rec = NodeRec(node);
  const Integer index =
      TQuarnResManagerObj()->ReplaceRes(rec->ID, dlg->FileName(), Trim(edtImageID->Text()), edtDescription->Text());
  if (index < 0) return;
  DoImageChanged();
  TQuarnBitmapItem* item = QuarnResDM->QuarnImageListMain()->Bitmaps()->GetItem(index);
  rec->ID = item->ResID();
  rec->DPIScale = GetDPIScaleTextFromResID(item->ResID());
  rec->Image = item->Bitmap();
  rec->Description = item->Description();
  qnvdtImageList->RepaintNode(node);
  DoPreview();
}

void TQuarnResManagerForm::actDeleteExecute(TObject*) {
  if (MessageBoxW(Handle(), u"Delete the selected images?", u"Confirm", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  TQuarnResManager* store = TQuarnResManagerObj();
  store->BeginUpdate();
  try {
    for (PLazyNode n = qnvdtImageList->GetFirstSelected(); n; n = qnvdtImageList->GetNextSelected(n)) {
      store->Delete(NodeRec(n)->ID);
      DoImageChanged();
    }
  } catch (...) {
    store->EndUpdate();
    throw;
  }
  store->EndUpdate();
  qnvdtImageList->DeleteSelectedNodes();
  edtImageID->SetText(u"");
}

void TQuarnResManagerForm::actSaveAsExecute(TObject*) {
  if (!FileExists(DfmPath())) throw Exception(u"Not found quarn resource file!");
  auto dlg = std::make_unique<TSaveDialog>(nullptr);
  dlg->SetDefaultExt(u".quarn");
  dlg->SetFilter(u"*.quarn|*.quarn");
  if (!dlg->Execute()) return;
  CopyWhole(DfmPath(), dlg->FileName());
}

void TQuarnResManagerForm::actLoadExecute(TObject*) {
  auto dlg = std::make_unique<TOpenDialog>(nullptr);
  dlg->SetFilter(u"*.quarn|*.quarn");
  if (!dlg->Execute()) return;
  edtFilter->SetText(u"");
  if (!FileExists(DfmPath())) throw Exception(u"Not found quarn resource file!");
  // The chosen file is read and checked first: a damaged skin raises here,
  // with the project's files untouched.
  const std::string skin = ReadFileBytes(dlg->FileName());
  const std::string list = ImageListPart(skin);
  if (AsciiUpperTrim(list).rfind("OBJECT QUARNIMAGELISTMAIN", 0) != 0)
    throw Exception(u"Not a quarn skin file: " + dlg->FileName());
  {
    std::unique_ptr<TQuarnImageList> probe(new TQuarnImageList(nullptr));
    LoadImageListText(probe.get(), list);
  }
  const String dfmSide = WriteSideFile(DfmPath(), skin);
  String tmpSide;
  try {
    tmpSide = WriteSideFile(TmpPath(), list);
  } catch (...) {
    std::error_code ec;
    fs::remove(PathOf(dfmSide), ec);
    throw;
  }
  CommitSideFile(dfmSide, DfmPath());
  CommitSideFile(tmpSide, TmpPath());
  TQuarnResManagerObj()->Reload();
  if (FImageLayer) FImageLayer->SetVisible(false);
  LoadList(TmpPath(), u"");
}

void TQuarnResManagerForm::actOKExecute(TObject*) {
  PLazyNode n = qnvdtImageList->FocusedNode();
  FImageID = n ? NodeRec(n)->ID : String();
  SetModalResult(mrOk);
}

void TQuarnResManagerForm::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void TQuarnResManagerForm::actlst1Update(TBasicAction*, bool&) {
  cbbDPIScale->SetEnabled(chkActiveMoreDPI->Checked());
  actReplace->SetEnabled(qnvdtImageList->SelectedCount() > 0);
  actDelete->SetEnabled(qnvdtImageList->SelectedCount() > 0);
  actItem_SaveAs->SetEnabled(qnvdtImageList->FocusedNode() != nullptr);
}

void TQuarnResManagerForm::edtFilterChange(TObject*) {
  if (!FProjectPath.empty() && FileExists(TmpPath())) LoadList(TmpPath(), edtFilter->Text());
}

void TQuarnResManagerForm::qnvdtImageListClick(TObject*) {
  if (qnvdtImageList->SelectedCount() == 0) {
    edtImageID->SetText(u"");
    edtDescription->SetText(u"");
  }
}

void TQuarnResManagerForm::qnvdtImageListFocusChanged(TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex) {
  edtImageID->SetText(u"");
  edtDescription->SetText(u"");
  chkActiveMoreDPI->SetChecked(false);
  cbbDPIScale->SetItemIndex(0);
  if (TQuarnImageNodeRec* rec = NodeRec(Node)) {
    edtImageID->SetText(rec->ID);
    edtDescription->SetText(rec->Description);
    const TQnResDPIScale scale = GetDPIScaleFromResID(rec->ID);
    if (scale != ds100) {
      chkActiveMoreDPI->SetChecked(true);
      cbbDPIScale->SetItemIndex(IndexOfScale(scale));
    }
  }
  DoPreview();
}

// ---------------------------------------------------------------------------
// Install files and the unit

void WriteDesignInstallFiles(const String& Folder) {
  const String dir = IncludeTrailingPathDelimiter(Folder);
  std::unique_ptr<TQuarnResDM> dm(TQuarnResDM::CreateDefault(nullptr));
  WriteWhole(dir + kResDMDfm, ComponentText(dm.get()));
  WriteWhole(dir + kResDMPas, kResDMUnitText);
  // The About window's form text marks the folder as the install folder.
  WriteWhole(dir + kAboutQuarnDfm, AboutQuarnFormText());
}

void InitQuarnResManagerForm() {
  RegisterClasses({TQuarnResManagerForm::StaticClass(), TGroupBox::StaticClass(), TLabel::StaticClass(),
                   TEdit::StaticClass(), TCheckBox::StaticClass(), TComboBox::StaticClass(), TButton::StaticClass(),
                   TPanel::StaticClass(), TPopupMenu::StaticClass(), TMenuItem::StaticClass(),
                   TActionList::StaticClass(), TAction::StaticClass(), TQuarnLazyDrawTree::StaticClass(),
                   TQuarnScrollBar::StaticClass(), TQuarnPanel::StaticClass(), TQuarnSplitter::StaticClass()});
  RegisterFormResource(u"TQuarnResManagerForm", kResManagerForm);
}

}  // namespace qn
