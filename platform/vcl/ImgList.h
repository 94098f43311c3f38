// The ImgList unit of the host layer: image lists as components over the
// common controls' image lists (platform/comctl), and the change links
// through which menus, actions and controls learn that a list changed.
//
// Change notices: every change that alters what the list holds or how it
// draws calls Change, which tells each registered link once and fires
// OnChange; between BeginUpdate and EndUpdate the notices wait and one
// goes out at the end if anything changed. A list that goes clears every
// link registered with it.
//
// The images stream as the defined property "Bitmap" in a format of our
// own (little-endian): the bytes "QnIL", a 16-bit version (1), the width,
// height and image count as 32-bit numbers, then per image a 32-bit length
// and a PNG of the image (8-bit RGBA, alpha 0 where the mask is set). The
// reader also takes the common controls' stream the designer stores (the
// bytes "IL", version 0x101, then the images and the mask as BMP files);
// lists are written in our own format, which keeps partial alpha exactly.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

class TCustomImageList;
class TFiler;

using TImageIndex = Integer;

enum class TDrawingStyle : Byte { dsFocus, dsSelected, dsNormal, dsTransparent };
QN_ENUM_NAMES(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
using enum TDrawingStyle;

enum class TImageType : Byte { itImage, itMask };
QN_ENUM_NAMES(TImageType, itImage, itMask)
using enum TImageType;

enum class TColorDepth : Byte { cdDefault, cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };
QN_ENUM_NAMES(TColorDepth, cdDefault, cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit)
using enum TColorDepth;

enum class TResType : Byte { rtBitmap, rtCursor, rtIcon };
using enum TResType;

enum class TLoadResource : Byte { lrDefaultColor, lrDefaultSize, lrFromFile, lrMap3DColors, lrTransparent,
                                  lrMonoChrome };
using enum TLoadResource;
using TLoadResources = TSet<TLoadResource>;

// The component's overlay numbers, 0..14; the platform counts the same
// overlays from 1.
using TOverlay = Byte;

// A listener for one image list's changes.
class TChangeLink : public TObject {
  QN_CLASS(TChangeLink, TObject)
 public:
  TChangeLink() = default;
  // Unregisters from the list it is registered with.
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* Value) { FSender = Value; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  QN_CLASS_CREATE(TCustomImageList, TComponent, TComponent)
 public:
  explicit TCustomImageList(TComponent* AOwner);
  // A list of images of that size.
  static TCustomImageList* CreateSize(Integer AWidth, Integer AHeight);
  ~TCustomImageList() override;
  void Assign(TPersistent* Source) override;

  // --- Settings. Width, Height and Masked clear the images when changed.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  void SetSize(Integer AWidth, Integer AHeight);
  Integer AllocBy() const { return FAllocBy; }
  void SetAllocBy(Integer Value) { FAllocBy = Value; }
  // The colour under masked pixels (clNone: transparent).
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  // The colour dsFocus / dsSelected mix in (clDefault: the highlight).
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value);
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  // A list sharing its handle leaves it alive when it goes.
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool Value) { FShareImages = Value; }
  TColorDepth ColorDepth() const { return FColorDepth; }
  void SetColorDepth(TColorDepth Value);
  Integer Count();

  // --- The platform list, made on first use.
  HIMAGELIST Handle();
  // Takes over a list (its size becomes the list's); the old one goes
  // unless shared.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  // --- Images. Add and the rest return the new index, -1 on failure.
  Integer Add(TBitmap* Image, TBitmap* Mask);
  Integer AddMasked(TBitmap* Image, TColor MaskColor);
  Integer AddIcon(TIcon* Image);
  // Appends copies of every image of Value.
  void AddImages(TCustomImageList* Value);
  void Insert(Integer Index, TBitmap* Image, TBitmap* Mask);
  void InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor);
  void InsertIcon(Integer Index, TIcon* Image);
  void Replace(Integer Index, TBitmap* Image, TBitmap* Mask);
  void ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor);
  void ReplaceIcon(Integer Index, TIcon* Image);
  void Delete(Integer Index);
  void Clear();
  void Move(Integer CurIndex, Integer NewIndex);
  // The image as a 32-bit bitmap with its alpha (masked pixels alpha 0).
  bool GetBitmap(Integer Index, TBitmap* Image);
  void GetIcon(Integer Index, TIcon* Image);
  void GetIcon(Integer Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType);
  // Makes image ImageIndex overlay number Overlay (0..14).
  bool Overlay(Integer ImageIndex, TOverlay Overlay);

  // --- Drawing: disabled images are drawn in greys.
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
            TImageType AImageType, bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay, bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled = true);

  // --- Loading: a strip of Width-wide images (bitmaps) or one icon or
  // cursor. Width 0 keeps the list's; a different one clears the list.
  bool GetResource(TResType ResType, const String& Name, Integer Width, TLoadResources LoadFlags,
                   TColor MaskColor);
  bool GetInstRes(HINSTANCE Instance, TResType ResType, const String& Name, Integer Width,
                  TLoadResources LoadFlags, TColor MaskColor);
  bool ResourceLoad(TResType ResType, const String& Name, TColor MaskColor);
  bool FileLoad(TResType ResType, const String& Name, TColor MaskColor);

  // --- Change notices
  void BeginUpdate();
  void EndUpdate();
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  TNotifyEvent OnChange;

  // The streamed images (see the header comment); EReadError for malformed
  // data, which leaves the list as it was.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

 protected:
  virtual void Change();
  void DefineProperties(TFiler* Filer) override;
  void DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled);
  UINT DrawStyle(TDrawingStyle ADrawingStyle, TImageType AImageType) const;
  // The ILC_* flags of a new platform list.
  UINT CreateFlags() const;

 private:
  void CreateImageList();
  void FreeHandle();
  void RecreateHandle();
  void CheckIndex(Integer Index) const;
  bool HasImages();
  // Replaces the images and the size with images read from a stream.
  void CommitImages(const std::vector<std::vector<uint32_t>>& Images, Integer AWidth, Integer AHeight);

  HIMAGELIST FHandle = nullptr;
  Integer FWidth = 16, FHeight = 16;
  Integer FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  bool FShareImages = false;
  TColorDepth FColorDepth = cd32Bit;
  Integer FUpdateCount = 0;
  bool FChanged = false;
  std::vector<TChangeLink*> FClients;
};

// An image list that can show one of its images as the drag image
// (ImgList_Drag.cpp): the drag manager calls BeginDrag when a drag starts,
// DragMove as the pointer moves, Hide/ShowDragImage around targets that do
// not want it, and EndDrag at the end. Positions are relative to the window
// rectangle of the locked window (the screen for nullptr).
class TDragImageList : public TCustomImageList {
  QN_CLASS_CREATE(TDragImageList, TCustomImageList, TComponent)
 public:
  explicit TDragImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
  ~TDragImageList() override;
  bool BeginDrag(HWND Window, Integer X, Integer Y);
  bool DragLock(HWND Window, Integer XPos, Integer YPos);
  bool DragMove(Integer X, Integer Y);
  void DragUnlock();
  bool EndDrag();
  TPoint GetHotSpot() const { return FDragHotspot; }
  void HideDragImage();
  void ShowDragImage();
  // The image dragged and its hot spot; false for an index not in the list.
  bool SetDragImage(Integer Index, Integer HotSpotX, Integer HotSpotY);
  Integer DragIndex() const { return FDragIndex; }
  // The cursor shown while this list's image is dragged (crNone: the drag
  // object's).
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  bool Dragging() const { return FDragging; }

 private:
  Integer FDragIndex = 0;
  TPoint FDragHotspot;
  TCursor FDragCursor = crNone;
  bool FDragging = false;
  HWND FLockedWindow = nullptr;
};

class TImageList : public TDragImageList {
  QN_CLASS_CREATE(TImageList, TDragImageList, TComponent)
 public:
  explicit TImageList(TComponent* AOwner) : TDragImageList(AOwner) {}
  const TNotifyEvent& GetOnChange() const { return OnChange; }
  void SetOnChange(const TNotifyEvent& Value) { OnChange = Value; }

  QN_PUBLISHED_DECL(TImageList) {
    QN_PROP(AllocBy).Default(4);
    P.Property(u"BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor).TypeName(u"TColor").Default(clNone);
    P.Property(u"BkColor", &TImageList::BkColor, &TImageList::SetBkColor).TypeName(u"TColor").Default(clNone);
    QN_PROP(ColorDepth).Default(cd32Bit);
    QN_PROP(DrawingStyle).Default(dsNormal);
    QN_PROP(Height).Default(16);
    QN_PROP(ImageType).Default(itImage);
    QN_PROP(Masked).Default(true);
    QN_PROP(ShareImages).Default(false);
    QN_PROP(Width).Default(16);
    P.Property(u"OnChange", &TImageList::GetOnChange, &TImageList::SetOnChange);
  }
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
