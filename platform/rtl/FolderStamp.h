// A folder's stamp: tells whether entries were made, removed or renamed in
// a folder between two looks at it, at the cost of one look.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/SysUtils.h"

namespace vcl {

// One state of a folder's list of entries: the folder itself and the time
// its entries last changed (an entry made, removed or renamed there moves
// it). Two equal stamps of a folder, the first of them Settled, mean no
// entry was made, removed or renamed in between; a stamp whose change lies
// within the file system's clock tick may be followed by a change that
// leaves the time as it is, and is not Settled. Valid is false when the
// folder cannot be read.
struct TFolderStamp {
  bool Valid = false;
  bool Settled = false;
  UInt64 Device = 0, Node = 0;
  Int64 ChangedSec = 0, ChangedNsec = 0;
  bool Same(const TFolderStamp& o) const {
    return Valid && o.Valid && Device == o.Device && Node == o.Node && ChangedSec == o.ChangedSec &&
           ChangedNsec == o.ChangedNsec;
  }
};

// The stamp of Dir; "" is the current folder.
TFolderStamp FolderStamp(const String& Dir);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
