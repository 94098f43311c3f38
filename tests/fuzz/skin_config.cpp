// Any bytes as the skin configuration file: loading raises at most the
// integer conversion error, never leaves the settings locked, and whatever
// was read survives a save and a load unchanged.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/rtl/SysUtils.h"
#include "xml/uQuarnRes.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TSnapshot {
  Integer Values[12];
  String Picture, PictureName;
  bool operator==(const TSnapshot& o) const {
    for (int i = 0; i < 12; ++i)
      if (Values[i] != o.Values[i]) return false;
    return Picture == o.Picture && PictureName == o.PictureName;
  }
};

TSnapshot Take(TQuarnRes& Res) {
  TQnFormSkinRes* f = Res.Form();
  return TSnapshot{{static_cast<Integer>(f->Style()), f->DefaultSkinOrder(), f->HitTestWidth(), f->GradientHeight(),
                    f->TitleHeight(), static_cast<Integer>(f->TitlerColor()), static_cast<Integer>(f->Color()),
                    f->FramWidth(), gHSB.H, gHSB.S, gHSB.B, 0},
                   f->CustomPicture(), f->CustomPictureName()};
}

std::string Folder() {
  static const std::string dir = [] {
    std::random_device rd;
    auto p = std::filesystem::temp_directory_path() / ("qn-fuzz-skin-" + std::to_string(rd()));
    std::filesystem::create_directories(p / "Skin");
    SetModuleFileNameOverride(FromUtf8((p / "app").string()));
    return p.string();
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = Folder() + "/Skin/Config.xml";
  std::filesystem::remove(file);
  gHSB = THSB{};
  TQuarnRes res(nullptr);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    res.Load();
  } catch (const EConvertError&) {
  }
  Check(!res.Form()->Locked());
  Check(res.Form()->UpdateCount() == 0);
  const TSnapshot loaded = Take(res);
  res.Save();
  res.Load();
  Check(Take(res) == loaded);
  return 0;
}
