// The Clipbrd unit: TClipboard, the component layer's view of the host's
// clipboard. Text goes as CF_UNICODETEXT (the host makes CF_TEXT from it);
// a picture goes as a CF_BITMAP entry, and as long as nobody changed the
// clipboard since, reading it back gives a copy of the very graphic that
// was assigned (its class and alpha kept).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/user/Clipboard.h"
#include "platform/vcl/Graphic.h"

namespace vcl {

class TClipboard : public TPersistent {
  QN_CLASS(TClipboard, TPersistent)
 public:
  TClipboard();
  ~TClipboard() override;

  // A graphic or a picture: a CF_BITMAP copy goes on the clipboard. Nil
  // empties it.
  void Assign(TPersistent* Source) override;
  // Empties the clipboard.
  void Clear();
  bool HasPicture() const { return HasFormat(CF_BITMAP); }
  bool HasFormat(Word Format) const { return IsClipboardFormatAvailable(Format); }

  // Nested: only the outermost pair opens and closes the host's clipboard.
  // Raises EClipboardException "Cannot open clipboard" when another window
  // has it open.
  void Open();
  void Close();

  String AsText();
  void SetAsText(const String& Value);
  // Copies at most BufSize - 1 characters and a terminator; returns the
  // number copied.
  Integer GetTextBuf(Char* Buffer, Integer BufSize);
  void SetTextBuf(const Char* Buffer);
  // The clipboard's own handle (it stays the clipboard's).
  HANDLE GetAsHandle(Word Format);
  // Hands Value to the clipboard; the first one set inside an Open/Close
  // pair empties the clipboard first.
  void SetAsHandle(Word Format, HANDLE Value);
  Integer FormatCount() const { return CountClipboardFormats(); }
  Word Formats(Integer Index);

 protected:
  // Into a picture or a graphic: a copy of the clipboard's picture.
  void AssignTo(TPersistent* Dest) override;
  void SetBuffer(Word Format, const void* Buffer, size_t Size);
  void Adding();

 private:
  HWND WindowHandle() const;
  Integer FOpenRefCount = 0;
  bool FEmptied = false;
  // The graphic last assigned, good while the clipboard's sequence number
  // is still FPictureSequence.
  std::unique_ptr<TPicture> FPicture;
  DWORD FPictureSequence = 0;
};

QN_EXCEPTION(EClipboardException, Exception)

// The process-wide clipboard, made on first use and freed with the unit.
TClipboard* Clipboard();
void DoneClipboard();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
