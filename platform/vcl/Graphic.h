// TGraphic, the base of every picture format; TPicture, which holds one
// graphic of any registered format; and TMetafile, a recorded picture.
//
// Readers of outside data decode into temporaries and commit only when the
// whole image was read: a stream or file that is cut short or contradicts
// itself raises EInvalidGraphic (or the stream's EReadError) and leaves the
// graphic as it was.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/vcl/Canvas.h"

namespace vcl {

QN_EXCEPTION(EInvalidGraphic, Exception)
QN_EXCEPTION(EInvalidGraphicOperation, Exception)
QN_EXCEPTION(EOutOfResources, EOutOfMemory)

// A graphic class created through its class reference, without arguments:
// TPicture makes the graphic a file extension names.
#define QN_GRAPHIC_CLASS(Cls, Parent)                                                \
 public:                                                                             \
  using inherited = Parent;                                                          \
  static ::vcl::TClass StaticClass() noexcept {                                      \
    static const ::vcl::TMetaClass mc(u## #Cls, Parent::StaticClass(),               \
                                      [](::vcl::TObject*) -> ::vcl::TObject* {       \
                                        return new Cls();                            \
                                      });                                            \
    return &mc;                                                                      \
  }                                                                                  \
  ::vcl::TClass ClassType() const noexcept override { return StaticClass(); }        \
                                                                                     \
 private:

class TGraphic : public TPersistent {
  QN_CLASS(TGraphic, TPersistent)
 public:
  TGraphic() = default;

  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual Integer Height() const = 0;
  virtual void SetWidth(Integer Value) = 0;
  virtual void SetHeight(Integer Value) = 0;
  virtual void SetSize(Integer AWidth, Integer AHeight);
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);

  // Reads from the stream's current position; the stream is left after the
  // graphic's data.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const String& FileName);
  virtual void SaveToFile(const String& FileName);

  // Draws the graphic stretched into Rect on the canvas.
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // Draws with a constant opacity over what the canvas holds.
  virtual void DrawTransparent(TCanvas* ACanvas, const TRect& Rect, Byte Opacity);

  TNotifyEvent OnChange;
  void SetOnChange(const TNotifyEvent& e) { OnChange = e; }

 protected:
  virtual void Changed(TObject* Sender);
  // The graphic as TPicture's Data property stores it after the class name:
  // by default its file, read to the end of Stream. Bitmaps and JPEG images
  // put the file's size (32 bits) before it (ReadSized, WriteSized).
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);
  void ReadSized(TStream* Stream);
  void WriteSized(TStream* Stream);
  friend class TPicture;

  bool FTransparent = false;
  bool FModified = false;
};

// The largest picture (in pixels) the readers accept; larger files are
// rejected as not valid before any pixel memory is taken. Fuzz targets lower
// it to keep every run short.
void SetMaxGraphicPixels(Int64 Limit);
Int64 MaxGraphicPixels();

using TGraphicClass = TClass;
// A new graphic of a registered class (EInvalidGraphic for other classes).
TGraphic* NewGraphic(TGraphicClass Class);

class TBitmap;
class TIcon;
class TMetafile;

// Holds one graphic, of whichever class the file extension (or the data's
// signature when loading from a stream) names. In form files the picture is
// the binary property Data: the graphic's class name as a short string,
// then the graphic's data (TGraphic::ReadData). Classes the host has no
// file format for are refused when read, naming the class.
class TPicture : public TPersistent {
  QN_CLASS(TPicture, TPersistent)
 public:
  TPicture() = default;
  ~TPicture() override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Keeps a copy of Value (nil empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap, icon or metafile; a graphic of another class is
  // replaced by an empty one of the class asked for.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  TIcon* Icon();
  void SetIcon(TIcon* Value);
  TMetafile* Metafile();
  void SetMetafile(TMetafile* Value);
  Integer Width() const;
  Integer Height() const;

  // "Unknown picture file extension (.%s)" for an unregistered extension.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  // Picks the class by the data's signature (BMP, PNG, JPEG, icon).
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);
  void Assign(TPersistent* Source) override;

  // File formats: the extension without its dot, case-insensitive.
  static void RegisterFileFormat(const String& AExtension, const String& ADescription,
                                 TGraphicClass AGraphicClass);
  static void UnregisterGraphicClass(TGraphicClass AClass);
  static TGraphicClass FindGraphicClassForExtension(const String& AExtension);
  // "All (*.bmp;*.png;...)|...|Bitmaps (*.bmp)|*.bmp|..." for open dialogs.
  static String GraphicFilter(TGraphicClass GraphicClass);

  TNotifyEvent OnChange;
  void SetOnChange(const TNotifyEvent& e) { OnChange = e; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void Changed(TObject* Sender);
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  void ForceType(TGraphicClass Class);
  void Take(std::unique_ptr<TGraphic> G);
  std::unique_ptr<TGraphic> FGraphic;
};

// The least metafile: a picture recorded as drawing calls on a canvas, at a
// size of Width x Height. Drawing replays the calls, placed at the target
// rectangle; pixels the calls do not touch keep what was there.
class TMetafile : public TGraphic {
  QN_GRAPHIC_CLASS(TMetafile, TGraphic)
 public:
  using TRecord = std::function<void(TCanvas* Canvas)>;
  TMetafile() = default;

  bool Empty() const override { return FRecords.empty(); }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  void SetWidth(Integer Value) override;
  void SetHeight(Integer Value) override;
  // Metafiles always draw transparently.
  bool Transparent() const override { return true; }

  void Add(TRecord Record);
  void Clear();
  Integer RecordCount() const { return Integer(FRecords.size()); }

  // There is no file format: loading raises "Metafile is not valid",
  // saving EInvalidGraphicOperation.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void Assign(TPersistent* Source) override;

 private:
  void Replay(HDC DC);
  std::vector<TRecord> FRecords;
  Integer FWidth = 0;
  Integer FHeight = 0;
};

// Blends straight-alpha 0xAARRGGBB pixels (top row first) stretched into
// Rect, at a constant opacity on top of their own alpha.
void DrawARGB(TCanvas* ACanvas, const TRect& Rect, const uint32_t* Pixels, Integer Width, Integer Height,
              Byte Opacity = 255);

// Unit initialisation: the file formats of the Graphics unit.
void RegisterGraphicsFileFormats();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
