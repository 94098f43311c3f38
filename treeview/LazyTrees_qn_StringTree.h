// The string tree: a lazy tree whose cells show text. It stores no text;
// every caption is asked for through OnGetText whenever it is needed and a
// changed caption goes back through OnNewText. Beside the normal text a cell
// may carry static text. The class measures its nodes (the width of the
// main column's text is cached in the node), shortens captions that do not
// fit with an ellipsis and paints single- and multi-line text.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>

#include "platform/gdi/GdiText.h"
#include "platform/user/Clipboard.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

enum class TVSTTextType : Byte { ttNormal, ttStatic };
using enum TVSTTextType;

enum class TVTStringOption : Byte { toSaveCaptions, toShowStaticText, toAutoAcceptEditChange };
using enum TVTStringOption;
QN_ENUM_NAMES(TVTStringOption, toSaveCaptions, toShowStaticText, toAutoAcceptEditChange)
using TVTStringOptions = TSet<TVTStringOption>;
QN_TYPE_NAME(TVTStringOptions)
inline constexpr TVTStringOptions DefaultStringOptions{toSaveCaptions, toAutoAcceptEditChange};

// The string option set of older form files.
enum class TOldVTStringOption : Byte { soSaveCaptions, soShowStaticText };
using enum TOldVTStringOption;
QN_ENUM_NAMES(TOldVTStringOption, soSaveCaptions, soShowStaticText)

// Which nodes the text exports take.
enum class TVSTTextSourceType : Byte { tstAll, tstInitialized, tstSelected, tstCutCopySet, tstVisible, tstChecked };
using enum TVSTTextSourceType;

// --- Text exports (LazyTrees_qn_Export.cpp)
// Append buffers of the exports: they grow in steps of 4096 units, so a
// large export reallocates rarely.
class TBufferedAnsiString : public TObject {
  QN_CLASS(TBufferedAnsiString, TObject)
 public:
  TBufferedAnsiString() = default;
  TBufferedAnsiString(const TBufferedAnsiString&) = delete;
  TBufferedAnsiString& operator=(const TBufferedAnsiString&) = delete;
  ~TBufferedAnsiString() override;
  void Add(const AnsiString& S) { Add(S.data(), S.size()); }
  void Add(const char* S, std::size_t Length);
  void AddNewLine();
  AnsiString AsString() const { return AnsiString(FStart, std::size_t(FPosition - FStart)); }

 private:
  void Grow(std::size_t Units);
  char* FStart = nullptr;
  char* FPosition = nullptr;
  char* FEnd = nullptr;
};

class TWideBufferedString : public TObject {
  QN_CLASS(TWideBufferedString, TObject)
 public:
  TWideBufferedString() = default;
  TWideBufferedString(const TWideBufferedString&) = delete;
  TWideBufferedString& operator=(const TWideBufferedString&) = delete;
  ~TWideBufferedString() override;
  void Add(const String& S) { Add(S.data(), S.size()); }
  void Add(const Char* S, std::size_t Length);
  void AddNewLine();
  String AsString() const { return String(FStart, std::size_t(FPosition - FStart)); }

 private:
  void Grow(std::size_t Units);
  Char* FStart = nullptr;
  Char* FPosition = nullptr;
  Char* FEnd = nullptr;
};

// The "HTML Format" clipboard text around a UTF-8 HTML fragment: the
// description lines with their byte offsets and the document around it.
AnsiString MakeCFHtmlData(const AnsiString& Fragment);

// The successor routine that goes with a text source's first node.
using TGetNextNodeProc = std::function<PLazyNode(PLazyNode Node)>;

using TVSTGetTextEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column,
                                     TVSTTextType TextType, String& CellText)>;
using TVSTNewTextEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, const String& NewText)>;
using TVTPaintText = TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                 TColumnIndex Column, TVSTTextType TextType)>;
using TVSTGetHintEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column,
                                     TVTTooltipLineBreakStyle& LineBreakStyle, String& HintText)>;
using TVSTShortenStringEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                const String& S, Integer TextSpace, String& Result, bool& Done)>;
using TVTMeasureTextEvent = TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                        TColumnIndex Column, const String& Text, Integer& Extent)>;
using TVTDrawTextEvent = TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                     TColumnIndex Column, const String& Text, const TRect& CellRect,
                                     bool& DefaultDraw)>;

// The DrawText flag of each alignment, in the order of TAlignment (left,
// right, centre).
inline constexpr UINT AlignmentToDrawFlag[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};

class TCustomStringTreeOptions : public TCustomLazyTreeOptions {
  QN_CLASS_CREATE(TCustomStringTreeOptions, TCustomLazyTreeOptions, TObject)
 public:
  explicit TCustomStringTreeOptions(TBaseLazyTree_qn* AOwner) : TCustomLazyTreeOptions(AOwner) {}
  explicit TCustomStringTreeOptions(TObject* AOwner) : TCustomLazyTreeOptions(AOwner) {}
  TVTStringOptions StringOptions() const { return FStringOptions; }
  void SetStringOptions(TVTStringOptions Value);

 protected:
  void AssignTo(TPersistent* Dest) override;
  void TakeOwnOptions(const TCustomLazyTreeOptions* Old) override;
  TVTStringOptions FStringOptions = DefaultStringOptions;
};

// The string tree's published options: the five sets, the export mode and
// the string options.
class TStringTreeOptions : public TCustomStringTreeOptions {
  QN_CLASS_CREATE(TStringTreeOptions, TCustomStringTreeOptions, TObject)
 public:
  explicit TStringTreeOptions(TBaseLazyTree_qn* AOwner) : TCustomStringTreeOptions(AOwner) {}
  explicit TStringTreeOptions(TObject* AOwner) : TCustomStringTreeOptions(AOwner) {}

  QN_PUBLISHED_DECL(TStringTreeOptions) {
    QN_LAZY_TREE_OPTIONS_PROPS
    QN_PROP(StringOptions).Default(DefaultStringOptions);
  }
};

class TCustomLazyStringTree_qn : public TBaseLazyTree_qn {
  QN_CLASS(TCustomLazyStringTree_qn, TBaseLazyTree_qn)
 public:
  explicit TCustomLazyStringTree_qn(TComponent* AOwner);

  // The normal text of a cell: DefaultText unless OnGetText says otherwise.
  String Text(PLazyNode Node, TColumnIndex Column) { return GetText(Node, Column); }
  String GetText(PLazyNode Node, TColumnIndex Column);
  // Hands the text to OnNewText and repaints the node.
  void SetText(PLazyNode Node, TColumnIndex Column, const String& Value);
  String StaticText(PLazyNode Node, TColumnIndex Column) { return GetStaticText(Node, Column); }
  String GetStaticText(PLazyNode Node, TColumnIndex Column);
  String ImageText(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column) { return GetImageText(Node, Kind, Column); }
  String GetImageText(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column);
  // The texts from the top-level ancestor down to Node, each followed by
  // Delimiter.
  String Path(PLazyNode Node, TColumnIndex Column, TVSTTextType TextType, char16_t Delimiter);
  const String& DefaultText() const { return FDefaultText; }
  void SetDefaultText(const String& Value);
  // The height a multi-line cell needs for S (its text when S is empty);
  // public so that OnMeasureItem handlers can use it.
  virtual Integer ComputeNodeHeight(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, String S = String());
  TCustomStringTreeOptions* TreeOptions() const;
  void SetTreeOptions(TCustomStringTreeOptions* Value) { TreeOptions()->Assign(Value); }
  TTreeOptionsClass GetOptionsClass() const override;
  Integer TextHeight() const { return FTextHeight; }
  Integer EllipsisWidth() const { return FEllipsisWidth; }

  Integer DoIncrementalSearch(PLazyNode Node, const String& Text) override;
  String DoGetNodeHint(PLazyNode Node, TColumnIndex Column, TVTTooltipLineBreakStyle& LineBreakStyle) override;
  String DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column, TVTTooltipLineBreakStyle& LineBreakStyle) override;
  void GetTextInfo(PLazyNode Node, TColumnIndex Column, TFont* AFont, TRect& R, String& Text) override;
  void ReinitNode(PLazyNode Node, bool Recursive) override;
  void ReinitChildren(PLazyNode Node, bool Recursive) override;
  void Dispatch(TMessage& Message) override;
  // The node stream's caption chunk (LazyTrees_qn_Stream.cpp).
  void WriteChunks(TStream* Stream, PLazyNode Node) override;
  bool ReadChunk(TStream* Stream, Integer Version, PLazyNode Node, Integer ChunkType, Integer ChunkSize) override;

  // The text exports (LazyTrees_qn_Export.cpp). HTML is UTF-8; RTF and the
  // single-byte text are code page 1252; the clipboard rendering is a new
  // global block (0 for formats the tree does not render).
  AnsiString ContentToHTML(TVSTTextSourceType Source, const String& Caption = String());
  AnsiString ContentToRTF(TVSTTextSourceType Source);
  AnsiString ContentToText(TVSTTextSourceType Source, Char Separator);
  AnsiString ContentToText(TVSTTextSourceType Source, const AnsiString& Separator);
  String ContentToUnicode(TVSTTextSourceType Source, Char Separator);
  String ContentToUnicode(TVSTTextSourceType Source, const String& Separator);
  void ContentToCustom(TVSTTextSourceType Source);
  HGLOBAL ContentToClipboard(Word Format, TVSTTextSourceType Source);
  // The base rendering first, then the text formats of the cut/copy set
  // (clipboard) or of the selection (drag).
  HRESULT RenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium, bool ForClipboard) override;
  void GetDataFromGrid(TStringList* List, bool IncludeHeading);
  bool SaveToCSVFile(const String& FileName, bool IncludeHeading);

  const TVTPaintText& OnPaintText() const { return FOnPaintText; }
  void SetOnPaintText(const TVTPaintText& Value) { FOnPaintText = Value; }
  const TVSTGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(const TVSTGetTextEvent& Value) { FOnGetText = Value; }
  const TVSTGetHintEvent& OnGetHint() const { return FOnGetHint; }
  void SetOnGetHint(const TVSTGetHintEvent& Value) { FOnGetHint = Value; }
  const TVSTNewTextEvent& OnNewText() const { return FOnNewText; }
  void SetOnNewText(const TVSTNewTextEvent& Value) { FOnNewText = Value; }
  const TVSTShortenStringEvent& OnShortenString() const { return FOnShortenString; }
  void SetOnShortenString(const TVSTShortenStringEvent& Value) { FOnShortenString = Value; }
  const TVTMeasureTextEvent& OnMeasureTextWidth() const { return FOnMeasureTextWidth; }
  void SetOnMeasureTextWidth(const TVTMeasureTextEvent& Value) { FOnMeasureTextWidth = Value; }
  const TVTMeasureTextEvent& OnMeasureTextHeight() const { return FOnMeasureTextHeight; }
  void SetOnMeasureTextHeight(const TVTMeasureTextEvent& Value) { FOnMeasureTextHeight = Value; }
  const TVTDrawTextEvent& OnDrawText() const { return FOnDrawText; }
  void SetOnDrawText(const TVTDrawTextEvent& Value) { FOnDrawText = Value; }

 protected:
  // The control's own text stays reachable beside the cell text.
  TVTPaintText FOnPaintText;
  TVSTGetTextEvent FOnGetText;
  TVSTGetHintEvent FOnGetHint;
  TVSTNewTextEvent FOnNewText;
  TVSTShortenStringEvent FOnShortenString;
  TVTMeasureTextEvent FOnMeasureTextWidth;
  TVTMeasureTextEvent FOnMeasureTextHeight;
  TVTDrawTextEvent FOnDrawText;
  using TBaseLazyTree_qn::GetText;
  virtual Integer CalculateStaticTextWidth(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const String& Text);
  virtual Integer CalculateTextWidth(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const String& Text);
  virtual void DoGetText(PLazyNode Node, TColumnIndex Column, TVSTTextType TextType, String& Text);
  virtual void DoNewText(PLazyNode Node, TColumnIndex Column, const String& Text);
  virtual void DoPaintText(PLazyNode Node, TCanvas* Canvas, TColumnIndex Column, TVSTTextType TextType);
  virtual String DoShortenString(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const String& S,
                                 Integer Width, Integer EllipsisWidth = 0);
  virtual void DoTextDrawing(TVTPaintInfo& PaintInfo, const String& Text, TRect CellRect, Cardinal DrawFormat);
  virtual TSize DoTextMeasuring(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const String& Text);
  // The exports' node selection and their events (LazyTrees_qn_Export.cpp).
  void GetRenderStartValues(TVSTTextSourceType Source, PLazyNode& Node, TGetNextNodeProc& GetNextNode);
  bool CanExportNode(PLazyNode Node);
  virtual void DoBeforeTreeExport(TVTExportType ExportType);
  virtual void DoAfterTreeExport(TVTExportType ExportType);
  virtual void DoBeforeHeaderExport(TVTExportType ExportType);
  virtual void DoAfterHeaderExport(TVTExportType ExportType);
  virtual void DoBeforeColumnExport(TVTExportType ExportType, TColumnIndex Column);
  virtual void DoColumnExport(TVTExportType ExportType, TColumnIndex Column);
  virtual void DoAfterColumnExport(TVTExportType ExportType, TColumnIndex Column);
  virtual bool DoBeforeNodeExport(TVTExportType ExportType, PLazyNode Node);
  virtual bool DoNodeExport(TVTExportType ExportType, PLazyNode Node);
  virtual bool DoAfterNodeExport(TVTExportType ExportType, PLazyNode Node);

  void DefineProperties(TFiler* Filer) override;
  void AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty) override;
  bool ColumnIsEmpty(PLazyNode Node, TColumnIndex Column) override;
  Integer DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
  Integer DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr) override;
  void DoPaintNode(TVTPaintInfo& PaintInfo) override;
  void MainColumnChanged() override;
  TRect InvalidateNode(PLazyNode Node) override;
  // OnCreateEditor's editor, else the default one (LazyTrees_qn_EditLink.cpp).
  TIntf<IVTEditLink> DoCreateEditor(PLazyNode Node, TColumnIndex Column) override;
  // The node's 4 bytes of this class: the width cache.
  Pointer InternalData(PLazyNode Node) override;

  void InitializeTextProperties(TVTPaintInfo& PaintInfo);
  void PaintNormalText(TVTPaintInfo& PaintInfo, TColumnIndex Column, String Text);
  void PaintStaticText(TVTPaintInfo& PaintInfo, TColumnIndex Column, const String& Text);
  // Line height and ellipsis width of the tree's font; every cached width
  // is dropped.
  void FontMetricsChanged();
  void ClearWidthCaches();
  // Forgets the measured widths of Node's descendants.
  void ClearSubtreeWidthCaches(PLazyNode Node);
  void ReadText(TReader* Reader);
  void WriteText(TWriter* Writer);
  void ReadOldStringOptions(TReader* Reader);

  String FDefaultText = u"Node";
  Integer FTextHeight = 0;
  Integer FEllipsisWidth = 0;
  Cardinal FInternalDataOffset = 0;

 private:
  Cardinal* WidthCache(PLazyNode Node) { return static_cast<Cardinal*>(InternalData(Node)); }
  bool ShowsStaticText(PLazyNode Node);
};

}  // namespace qn

#include "treeview/LazyTrees_qn_Published.h"

namespace qn {

// The published string tree.
class TLazyStringTree_qn : public TCustomLazyStringTree_qn {
  QN_CLASS_CREATE(TLazyStringTree_qn, TCustomLazyStringTree_qn, TComponent)
 public:
  explicit TLazyStringTree_qn(TComponent* AOwner);
  TStringTreeOptions* TreeOptions() const { return static_cast<TStringTreeOptions*>(inherited::TreeOptions()); }
  void SetTreeOptions(TStringTreeOptions* Value) { inherited::TreeOptions()->Assign(Value); }
  TTreeOptionsClass GetOptionsClass() const override;

  QN_PUBLISHED_DECL(TLazyStringTree_qn) { PublishLazyTree<TLazyStringTree_qn>(P); }
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
