// uQuarnDragFile: makes one windowed control a drop target for files
// dragged from the shell, and reports the names dropped. While a shell drag
// runs, a layered overlay lies over the control's client area: a
// translucent fill, a thick dashed frame and a centred tip. The frame turns
// to the hot colour while the drag is over the control.
//
// The start of a drag is seen by WinEvent hooks watching for the shell's
// drag picture window ("SysDragImage"); the drop itself arrives through the
// OLE drop-target interface. The overlay closes itself once the drag is
// over (its 100-ms timer), or when the drop arrives.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/raster/QnBase.h"
#include "platform/ole/ActiveX.h"
#include "platform/shell/ShellAPI.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace qn {

using TDragFilesEvent = TEvent<void(TObject* Sender, const String& FileName)>;

class TQuarnDragFile;
class TDropTargetLink;

// The overlay, made from its form resource.
class TDragFilesLayerForm : public TForm {
  QN_CLASS_CREATE(TDragFilesLayerForm, TForm, TComponent)
 public:
  explicit TDragFilesLayerForm(TComponent* AOwner);
  ~TDragFilesLayerForm() override;

  TTimer* tmr1 = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormResize(TObject* Sender);
  void tmr1Timer(TObject* Sender);

  bool LayerTransparent() const { return FLayerTransparent; }
  void SetLayerTransparent(bool Value);
  TColor LayerColor() const { return FLayerColor; }
  void SetLayerColor(TColor Value);
  Byte LayerAlpha() const { return FLayerAlpha; }
  void SetLayerAlpha(Byte Value);
  HWND SysDragImageHandle() const { return FSysDragImageHandle; }
  void SetSysDragImageHandle(HWND Value);
  // Whether the overlay was closed (it frees itself once the message being
  // handled is done).
  bool Closing() const { return FClosing; }

  // Paints the picture and hands it to the layered window.
  void ReDraw();
  // The picture ReDraw hands over (premultiplied), for a size W x H; empty
  // without an owning drop target.
  void BuildPicture(Integer W, Integer H, TBitmap32* Dst);

  QN_PUBLISHED(TDragFilesLayerForm) {
    QN_METHOD(FormCreate);
    QN_METHOD(FormClose);
    QN_METHOD(FormResize);
    QN_METHOD(tmr1Timer);
  }

 protected:
  virtual void DoChanged();
  void Dispatch(TMessage& Message) override;
  void WMPrintClient(TMessage& Message);

 private:
  TQuarnDragFile* Owner_() const;

  bool FLayerTransparent = true;
  TColor FLayerColor = static_cast<TColor>(0);
  Byte FLayerAlpha = 0;
  HWND FSysDragImageHandle = nullptr;
  bool FClosing = false;
};

// Not reference counted: the component's lifetime is its owner's business,
// and it takes its registration back before it goes.
class TQuarnDragFile : public TComponent, public virtual IDropTarget {
  QN_CLASS_CREATE(TQuarnDragFile, TComponent, TComponent)
  QN_INTERFACES(IDropTarget)
 public:
  explicit TQuarnDragFile(TComponent* AOwner);
  ~TQuarnDragFile() override;

  HRESULT QueryInterface(const TGUID& iid, void** obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }

  // IDropTarget.
  HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

  // The WinEvent callback.
  void DoWinEventProc(HWINEVENTHOOK Hook, DWORD Event, HWND Wnd, LONG IdObject, LONG IdChild, DWORD EventThread,
                      DWORD EventTime);
  // Closes an overlay shown for the bound control (found by its class and
  // its caption, the control's handle in decimal).
  void ClosePrevlDragFilesLayerForm();

  TWinControl* BindingControl() const { return FBindingControl; }
  void SetBindingControl(TWinControl* Value);
  String TipText() const { return FTipText; }
  void SetTipText(const String& Value) { FTipText = Value; }
  TFont* TipFont() const { return FTipFont.get(); }
  void SetTipFont(TFont* Value) { FTipFont->Assign(Value); }
  TColor HighLightDotLineNormalColor() const { return FHighLightDotLineNormalColor; }
  void SetHighLightDotLineNormalColor(TColor Value) { FHighLightDotLineNormalColor = Value; }
  TColor HighLightDotLineHotColor() const { return FHighLightDotLineHotColor; }
  void SetHighLightDotLineHotColor(TColor Value) { FHighLightDotLineHotColor = Value; }
  const TDragFilesEvent& OnDragFiles() const { return FOnDragFiles; }
  void SetOnDragFiles(const TDragFilesEvent& Value) { FOnDragFiles = Value; }
  const TNotifyEvent& OnDragEnter() const { return FOnDragEnter; }
  void SetOnDragEnter(const TNotifyEvent& Value) { FOnDragEnter = Value; }
  const TNotifyEvent& OnDragLeave() const { return FOnDragLeave; }
  void SetOnDragLeave(const TNotifyEvent& Value) { FOnDragLeave = Value; }

  // The frame colour in force.
  TColor HighLightDotLineColor() const { return FHighLightDotLineColor; }
  // This component's overlay, nil while none is shown.
  TDragFilesLayerForm* Layer() const { return FLayer; }
  // Whether the control is registered and the hooks are in.
  bool Bound() const { return FDropWnd != nullptr; }

  bool IsTipTextStored() const;

  // The names of a file-drop block that lie wholly inside it, in order.
  static std::vector<String> ReadDropNames(HDROP Drop);

  QN_PUBLISHED_DECL(TQuarnDragFile) {
    QN_PROP(BindingControl);
    QN_PROP(TipText).Stored(&TQuarnDragFile::IsTipTextStored);
    QN_PROP(TipFont);
    QN_PROP(HighLightDotLineNormalColor).TypeName(u"TColor").Default(static_cast<TColor>(0x0FC4F1));
    QN_PROP(HighLightDotLineHotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x71CC2F));
    QN_PROP(OnDragFiles).TypeName(u"TDragFilesEvent");
    QN_PROP(OnDragEnter).TypeName(u"TNotifyEvent");
    QN_PROP(OnDragLeave).TypeName(u"TNotifyEvent");
  }

 protected:
  virtual void DoShowDragFilesLayer(HWND H);
  virtual void DoHideDragFilesLayer();
  virtual void DoDragFiles(const String& FileNames);
  void DoBinding();
  void DoUnBinding();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 private:
  friend class TDragFilesLayerForm;
  bool Running() const;
  // Registers the control's window again when it was made anew.
  void Reregister();

  TWinControl* FBindingControl = nullptr;
  TDragFilesEvent FOnDragFiles;
  String FTipText;
  TColor FHighLightDotLineNormalColor = static_cast<TColor>(0x0FC4F1);
  std::unique_ptr<TFont> FTipFont;
  HWINEVENTHOOK FEVENT_OBJECT_CREATE = nullptr;
  HWINEVENTHOOK FEVENT_OBJECT_DESTROY = nullptr;
  WINEVENTPROC FPInstruction = nullptr;
  bool FMouseDown = false;
  TNotifyEvent FOnDragLeave;
  TNotifyEvent FOnDragEnter;
  TColor FHighLightDotLineHotColor = static_cast<TColor>(0x71CC2F);
  TColor FHighLightDotLineColor = static_cast<TColor>(0x0FC4F1);
  // The window registered as the drop target (the control's at binding).
  HWND FDropWnd = nullptr;
  // What the drop registry and a running drag hold: it outlives this
  // component when they still have it, and then answers for nobody.
  TDropTargetLink* FLink = nullptr;
  // Set between DragEnter and DragLeave or Drop.
  bool FDragInside = false;
  TDragFilesLayerForm* FLayer = nullptr;
};

void InitQuarnDragFile();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
