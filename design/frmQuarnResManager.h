// frmQuarnResManager: the dialog behind every image-id property's "..."
// button. It lists the skin images of the project's data module, lets the
// developer filter, add, replace, delete, import and export them, and hands
// the chosen id back to the property.
//
// The project folder keeps two text files in step with the store's design
// list: "uQuarnResDM.dfm" (the whole data module) and
// "QuarnDesignTimeRes.tmp" (its image list alone, which the store reloads
// from). Both are replaced whole, through temporary files, so a failed write
// or a bad skin file never leaves half a skin behind.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <string>

#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "platform/ide/DesignEditors.h"
#include "platform/ide/ToolsAPI.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "skin/controls/uQuarnSplitter.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnComm_Install.h"
#include "skin/foundation/uQuarnResManager.h"
#include "treeview/uQuarnLazyTree.h"

namespace qn {

using namespace vcl;

// File names of the project's skin files.
inline constexpr const Char* kResDMDfm = u"uQuarnResDM.dfm";
inline constexpr const Char* kResDMPas = u"uQuarnResDM.pas";
inline constexpr const Char* kResDMDcu = u"uQuarnResDM.dcu";
inline constexpr const Char* kDesignTimeRes = u"QuarnDesignTimeRes.tmp";

// The checkerboard under the preview, so transparent parts of an image show
// as such: 8-pixel squares of white and light grey over the whole buffer.
class TAlphaBgLayer : public TPositionedLayer {
  QN_CLASS_CREATE(TAlphaBgLayer, TPositionedLayer, TLayerCollection)
 public:
  explicit TAlphaBgLayer(TLayerCollection* ALayerCollection) : TPositionedLayer(ALayerCollection) {}

 protected:
  void Paint(TBitmap32* Buffer) override;
};

// The "..." of every TQnResID property.
class TQnResManagerProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TQnResManagerProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override;
  String GetValue() override;
  void SetValue(const String& Value) override;
  // Shows the dialog with the current id; OK writes the chosen one back.
  // The store is in design mode exactly while the dialog is up.
  void Edit() override;
};

class TQuarnResManagerForm : public TForm {
  QN_CLASS_CREATE(TQuarnResManagerForm, TForm, TComponent)
 public:
  explicit TQuarnResManagerForm(TComponent* AOwner);
  ~TQuarnResManagerForm() override;

  // The components of the form file.
  TGroupBox* grp1 = nullptr;
  TGroupBox* grp2 = nullptr;
  TLabel* lbl1 = nullptr;
  TLabel* lbl2 = nullptr;
  TLabel* lbl3 = nullptr;
  TEdit* edtFilter = nullptr;
  TEdit* edtImageID = nullptr;
  TEdit* edtDescription = nullptr;
  TQuarnLazyDrawTree* qnvdtImageList = nullptr;
  TQuarnScrollBar* qrnscrlbr1 = nullptr;
  TQuarnPanel* pnl1 = nullptr;
  TCheckBox* chkActiveMoreDPI = nullptr;
  TComboBox* cbbDPIScale = nullptr;
  TButton* btnAdd = nullptr;
  TButton* btnReplace = nullptr;
  TButton* btnDelete = nullptr;
  TButton* btnLoad = nullptr;
  TButton* btnSaveAs = nullptr;
  TQuarnSplitter* qrnspltr1 = nullptr;
  TPopupMenu* pm1 = nullptr;
  TMenuItem* SaveAs1 = nullptr;
  TPanel* pnl2 = nullptr;
  TButton* btnOK = nullptr;
  TButton* btnCancel = nullptr;
  TActionList* actlst1 = nullptr;
  TAction* actAdd = nullptr;
  TAction* actReplace = nullptr;
  TAction* actDelete = nullptr;
  TAction* actLoad = nullptr;
  TAction* actSaveAs = nullptr;
  TAction* actItem_SaveAs = nullptr;
  TAction* actOK = nullptr;
  TAction* actCancel = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormDestroy(TObject* Sender);

  // The store's design list reloaded from FileName, then every item whose
  // id holds Filter (ignoring case) listed in order.
  void LoadList(const String& FileName, const String& Filter);
  PLazyNode AddItemToList(const TQuarnImageNodeRec& Rec);
  // The first node whose id equals ID, ignoring case; nil when none.
  PLazyNode FindImageNode(const String& ID);
  // The id a file added now gets: the id edit, else the file's name
  // without extension, made unique by "_1" per clash, with the DPI suffix.
  String CreateImageID(const String& FileName);
  // Writes the image-list part of the data module's text to TmpFile.
  static void ReCreateDesignTimeResDat(const String& DfmFile, const String& TmpFile);
  // Rewrites both project files from the store.
  virtual void DoImageChanged();

  void actAddExecute(TObject* Sender);
  void actReplaceExecute(TObject* Sender);
  void actDeleteExecute(TObject* Sender);
  void actLoadExecute(TObject* Sender);
  void actSaveAsExecute(TObject* Sender);
  void actOKExecute(TObject* Sender);
  void actCancelExecute(TObject* Sender);
  void actlst1Update(TBasicAction* Action, bool& Handled);
  void edtFilterChange(TObject* Sender);
  void qnvdtImageListClick(TObject* Sender);
  void qnvdtImageListFocusChanged(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column);
  void qnvdtImageListFreeNode(TBaseLazyTree_qn* Sender, PLazyNode Node);
  // Paints one cell: number, id (bold), thumbnail, size and description.
  void qnvdtImageListDrawNode(TBaseLazyTree_qn* Sender, const TVTPaintInfo& PaintInfo);
  // Writes the focused image as a PNG file the developer names.
  void actItem_SaveAsExecute(TObject* Sender);

  // The focused node's image centred in the preview, or none.
  void DoPreview();
  void ImageResize(TObject* Sender);
  void ImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y,
                      TCustomLayer* Layer);
  void ImageMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer);
  void ImageMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y,
                    TCustomLayer* Layer);

  TImage32* ImageControl() const { return FImage32; }
  TAlphaBgLayer* BgLayer() const { return FBgLayer; }
  TBitmapLayer* ImageLayer() const { return FImageLayer; }
  bool Dragging() const { return FDragging; }

  String ImageID() const { return FImageID; }
  void SetImageID(const String& Value) { FImageID = Value; }
  String ProjectPath() const { return FProjectPath; }
  TQuarnImageNodeRec* NodeRec(PLazyNode Node);

  QN_PUBLISHED(TQuarnResManagerForm) {
    QN_METHOD(FormCreate);
    QN_METHOD(FormShow);
    QN_METHOD(FormDestroy);
  }

 protected:
  bool FDragging = false;
  TPoint FFromPt;
  TImage32* FImage32 = nullptr;
  TAlphaBgLayer* FBgLayer = nullptr;
  TBitmapLayer* FImageLayer = nullptr;
  std::unique_ptr<TAffineTransformation> FTransformation;
  String FImageID;
  String FLastDesignTimeResDat;
  String FProjectPath;

 private:
  template <class T>
  T* Part(const Char* Name);
  String DfmPath() const;
  String TmpPath() const;
  TQnResDPIScale ChosenScale() const;
  // The preview control, its layers and the transformation of the
  // thumbnails (FormCreate's second half).
  void CreatePreview();
  // Draws Image at its own size, or scaled down to fit, centred in Cell.
  void DrawThumbnail(TCanvas* Canvas, TBitmap32* Image, const TRect& Cell);
};

// Tells a form's notifier which file it watches; when the form becomes
// active and belongs to another project than the one the store last
// refreshed from, the store reloads that project's image list.
class TQuarnFormNotifier : public TNotifierObject, public IOTAFormNotifier {
  QN_CLASS(TQuarnFormNotifier, TNotifierObject)
 public:
  explicit TQuarnFormNotifier(const String& FileName);
  ~TQuarnFormNotifier() override;
  void FormActivated() override;
  void FormSaving() override {}
  void ComponentRenamed(TComponent*, const String&, const String&) override {}
  const String& DestFileName() const { return FDestFileName; }
  // How many exist now (a refused one must not linger).
  static Integer InstanceCount();

 private:
  String FDestFileName;
};

// Hangs a form notifier on every form opened in the host and takes it off
// again when the file closes.
class TQnIdeNotifier : public TNotifierObject, public IOTAIDENotifier {
  QN_CLASS(TQnIdeNotifier, TNotifierObject)
 public:
  TQnIdeNotifier() = default;
  void FileNotification(TOTAFileNotification NotifyCode, const String& FileName, bool& Cancel) override;
  void BeforeCompile(TOTAProject*, bool&) override {}
  void AfterCompile(bool) override {}
};

// The unit's notifier state, for the host's tests: the IDE notifier's index
// (-1 when none), the open files holding a form notifier, and the project
// folder the store was last refreshed from.
Integer QnIdeNotifierIndex();
Integer FormNotifierFileCount();
String LastRefreshedProjectPath();

// The project folder (with a trailing delimiter) of the current module's
// form, or of FileName: the folder of the open project that lists the unit
// as ".pas" or ".dfm". Empty when there is none.
String GetCurrentProjectPath();
String GetDestProjectPath(const String& FileName);

// Writes the files the design package installs beside itself into Folder:
// the default data module's text "uQuarnResDM.dfm", its unit text
// "uQuarnResDM.pas" and the About window's form text "frmAboutQuarn.dfm",
// by which the package knows its install folder.
void WriteDesignInstallFiles(const String& Folder);

// The unit's initialisation: the dialog's classes and its form text.
void InitQuarnResManagerForm();
// The whole unit's start and end in the design package: the dialog, and the
// notifiers registered with the host's services (which must exist).
void InitQuarnResManagerUnit();
void FinalQuarnResManagerUnit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
