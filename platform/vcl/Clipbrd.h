// The process's clipboard as the graphics classes exchange pictures with it:
// it holds one picture at a time, a copy of what was assigned.
#pragma once

#include <memory>

#include "platform/vcl/Graphic.h"

namespace vcl {

class TClipboard : public TPersistent {
  QN_CLASS(TClipboard, TPersistent)
 public:
  TClipboard();
  ~TClipboard() override;

  // A graphic or a picture: the clipboard keeps a copy. Nil empties it.
  void Assign(TPersistent* Source) override;
  void Clear();
  bool HasPicture() const;

 protected:
  // Into a picture or a graphic: a copy of the clipboard's picture.
  void AssignTo(TPersistent* Dest) override;

 private:
  std::unique_ptr<TPicture> FPicture;
};

// The process-wide clipboard, made on first use and freed with the unit.
TClipboard* Clipboard();
void DoneClipboard();

}  // namespace vcl
