// The FreeType glyph provider (faces found with fontconfig), the box
// provider for layout tests, and the provider switch.
#include "platform/gdi/FontEngine.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/gdi/GdiInternal.h"
#include "platform/rtl/System.h"

namespace vcl {

namespace {

// One lock for the whole engine: FreeType faces and the caches are shared by
// every DC, and text output is rare enough across threads not to need more.
std::recursive_mutex& EngineLock() {
  static auto* m = new std::recursive_mutex;
  return *m;
}

// Made on first use, released by the unit's finalisation.
FT_Library gLibrary = nullptr;
bool gLibraryTried = false;
bool gFcReady = false;

FT_Library Library() {
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  if (!gLibraryTried) {
    gLibraryTried = true;
    if (FT_Init_FreeType(&gLibrary) != 0) gLibrary = nullptr;
  }
  return gLibrary;
}

String Lower(const String& s) {
  String r = s;
  for (auto& c : r)
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  return r;
}

String FaceNameOf(const LOGFONTW& lf) {
  String s;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) s += lf.lfFaceName[i];
  return s;
}

const char16_t* const kSans = u"DejaVu Sans";
const char16_t* const kMono = u"DejaVu Sans Mono";
const char16_t* const kSerif = u"DejaVu Serif";
const char16_t* const kCJK = u"WenQuanYi Micro Hei";

struct TFaceAlias {
  const char16_t* Name;  // lower case
  const char16_t* Family;
};
const TFaceAlias kAliases[] = {
    {u"tahoma", kSans},           {u"ms sans serif", kSans},     {u"microsoft sans serif", kSans},
    {u"ms shell dlg", kSans},     {u"ms shell dlg 2", kSans},    {u"segoe ui", kSans},
    {u"arial", kSans},            {u"verdana", kSans},           {u"system", kSans},
    {u"default", kSans},          {u"courier new", kMono},       {u"courier", kMono},
    {u"consolas", kMono},         {u"lucida console", kMono},    {u"fixedsys", kMono},
    {u"terminal", kMono},         {u"times new roman", kSerif},  {u"times", kSerif},
    {u"georgia", kSerif},         {u"simsun", kCJK},             {u"nsimsun", kCJK},
    {u"microsoft yahei", kCJK},   {u"simhei", kCJK},             {u"mingliu", kCJK},
    {u"ms gothic", kCJK},         {u"\u5B8B\u4F53", kCJK},       {u"\u5FAE\u8F6F\u96C5\u9ED1", kCJK},
    {u"\u9ED1\u4F53", kCJK},
};

bool IsCJKCharSet(BYTE cs) {
  return cs == SHIFTJIS_CHARSET || cs == HANGEUL_CHARSET || cs == JOHAB_CHARSET || cs == GB2312_CHARSET ||
         cs == CHINESEBIG5_CHARSET;
}

const char16_t* FamilyByPitch(BYTE pitchAndFamily) {
  if ((pitchAndFamily & 3) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN) return kMono;
  if ((pitchAndFamily & 0xF0) == FF_ROMAN) return kSerif;
  return kSans;
}

// fontconfig's answer for a family with a weight and slant.
struct TFaceFile {
  std::string Path;
  int Index = 0;
  String Family;
  bool Found = false;
};

bool FcReady() {
  if (!gFcReady) gFcReady = FcInit() == FcTrue;
  return gFcReady;
}

TFaceFile MatchFace(const String& family, int lfWeight, bool italic, bool exactFamily) {
  TFaceFile r;
  if (!FcReady()) return r;
  FcPattern* p = FcPatternCreate();
  std::string fam = ToUtf8(family);
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.c_str()));
  FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(lfWeight <= 0 ? FW_NORMAL : std::min(lfWeight, 1000)));
  FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult res = FcResultNoMatch;
  FcPattern* m = FcFontMatch(nullptr, p, &res);
  if (m) {
    FcChar8* file = nullptr;
    FcChar8* got = nullptr;
    if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(m, FC_FAMILY, 0, &got) == FcResultMatch) {
      r.Family = FromUtf8(reinterpret_cast<const char*>(got));
      bool same = !exactFamily || Lower(r.Family) == Lower(family);
      // A face can carry several family names (DejaVu Sans, DejaVu Sans Light).
      for (int i = 1; !same; ++i) {
        FcChar8* alt = nullptr;
        if (FcPatternGetString(m, FC_FAMILY, i, &alt) != FcResultMatch) break;
        same = Lower(FromUtf8(reinterpret_cast<const char*>(alt))) == Lower(family);
      }
      if (same) {
        r.Path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(m, FC_INDEX, 0, &r.Index);
        r.Found = true;
      }
    }
    FcPatternDestroy(m);
  }
  FcPatternDestroy(p);
  return r;
}

// Every installed scalable face with its character set, listed once and
// ordered by file so the fall-back does not depend on fontconfig's order.
struct TInstalledFace {
  TFaceFile File;
  FcCharSet* Chars = nullptr;  // owned by the list below
};
FcFontSet* gInstalledSet = nullptr;
std::vector<TInstalledFace>* gInstalled = nullptr;

const std::vector<TInstalledFace>& InstalledFaces() {
  if (gInstalled) return *gInstalled;
  gInstalled = new std::vector<TInstalledFace>;
  if (!FcReady()) return *gInstalled;
  FcPattern* p = FcPatternCreate();
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcObjectSet* os = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, FC_CHARSET, nullptr);
  gInstalledSet = FcFontList(nullptr, p, os);
  FcObjectSetDestroy(os);
  FcPatternDestroy(p);
  for (int i = 0; gInstalledSet && i < gInstalledSet->nfont; ++i) {
    FcPattern* f = gInstalledSet->fonts[i];
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    FcCharSet* cs = nullptr;
    if (FcPatternGetString(f, FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetString(f, FC_FAMILY, 0, &fam) != FcResultMatch ||
        FcPatternGetCharSet(f, FC_CHARSET, 0, &cs) != FcResultMatch)
      continue;
    TInstalledFace e;
    e.File.Path = reinterpret_cast<const char*>(file);
    e.File.Family = FromUtf8(reinterpret_cast<const char*>(fam));
    FcPatternGetInteger(f, FC_INDEX, 0, &e.File.Index);
    e.File.Found = true;
    e.Chars = cs;
    gInstalled->push_back(std::move(e));
  }
  std::sort(gInstalled->begin(), gInstalled->end(), [](const TInstalledFace& a, const TInstalledFace& b) {
    return a.File.Path != b.File.Path ? a.File.Path < b.File.Path : a.File.Index < b.File.Index;
  });
  return *gInstalled;
}

void ReleaseInstalledFaces() {
  delete gInstalled;
  gInstalled = nullptr;
  if (gInstalledSet) FcFontSetDestroy(gInstalledSet);
  gInstalledSet = nullptr;
}

// An installed face that has the character.
TFaceFile FaceWithChar(char32_t ch) {
  for (const TInstalledFace& f : InstalledFaces())
    if (FcCharSetHasChar(f.Chars, ch)) return f.File;
  return {};
}

int RoundDiv(int64_t a, int64_t b) {
  if (b == 0) return 0;
  double v = double(a) / double(b);
  return int(std::floor(v + 0.5));
}

// Synthesised slant: x grows by about a fifth of y, as the usual oblique.
constexpr FT_Fixed kObliqueShear = 0x0366A;

// ---------------------------------------------------------------------------

class TFtInstance final : public TFontInstance {
 public:
  explicit TFtInstance(const LOGFONTW& lf) : FLf(lf) {
    FMono = lf.lfQuality == NONANTIALIASED_QUALITY;
    FEscapement = lf.lfEscapement % 3600;
    FWantBold = lf.lfWeight >= FW_SEMIBOLD;
    FWantItalic = lf.lfItalic != 0;
    for (char32_t c = 0; c < kQuick; ++c) {
      FQuickAdvance[c].store(kUnknown, std::memory_order_relaxed);
      FQuickImage[c].store(nullptr, std::memory_order_relaxed);
    }
    FFamily = ResolveFontFamily(lf);
    TFaceFile f = MatchFace(FFamily, lf.lfWeight, FWantItalic, false);
    if (!f.Found) f = MatchFace(kSans, lf.lfWeight, FWantItalic, false);
    AddFace(f);
    ComputeMetrics();
  }

  ~TFtInstance() override {
    for (auto& f : FFaces)
      if (f.Face) FT_Done_Face(f.Face);
  }

  const TFontFaceMetrics& Metrics() const override { return FM; }
  int Escapement() const override { return FEscapement; }

  int Advance(char32_t ch) override {
    if (ch < kQuick) {
      const int a = FQuickAdvance[ch].load(std::memory_order_acquire);
      if (a != kUnknown) return a;
    }
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    auto it = FAdvances.find(ch);
    if (it == FAdvances.end()) {
      Image(ch);
      it = FAdvances.find(ch);
    }
    if (ch < kQuick) FQuickAdvance[ch].store(it->second, std::memory_order_release);
    return it->second;
  }

  const TGlyphImage& Image(char32_t ch) override {
    if (ch < kQuick)
      if (const TGlyphImage* q = FQuickImage[ch].load(std::memory_order_acquire)) return *q;
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    auto it = FImages.find(ch);
    if (it != FImages.end()) return Remember(ch, it->second);
    TGlyphImage img;
    int adv = 0;
    Render(ch, img, adv);
    FAdvances[ch] = adv;
    // Huge glyphs are not kept: a few of them would hold gigabytes. The
    // caller uses an image before asking for the next one, so one per
    // thread is enough.
    if (size_t(img.Width) * size_t(img.Height) > (size_t(1) << 20)) {
      thread_local TGlyphImage big;
      big = std::move(img);
      return big;
    }
    return Remember(ch, FImages[ch] = std::move(img));
  }

  // Outlines are kept per character, hinting and matrix: text drawn as
  // paths asks for the same few glyphs over and over.
  bool Outline(char32_t ch, bool glyphIndex, bool hinted, const TOutlineMatrix& m, TGlyphOutline& out) override {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    const TOutlineKey key{ch, glyphIndex, hinted, m.M11, m.M12, m.M21, m.M22};
    auto it = FOutlines.find(key);
    if (it != FOutlines.end()) {
      out = it->second;
      return true;
    }
    if (!OutlineUncached(ch, glyphIndex, hinted, m, out)) return false;
    if (FOutlines.size() >= kMaxOutlines) FOutlines.clear();
    FOutlines.emplace(key, out);
    return true;
  }

  bool HasChar(char32_t ch) override {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    return Lookup(ch).second != 0;
  }

  String FamilyFor(char32_t ch) override {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    auto l = Lookup(ch);
    return FFaces[size_t(l.first)].Family;
  }

 private:
  struct TFace {
    FT_Face Face = nullptr;
    std::string Path;
    int Index = 0;
    String Family;
    bool SynthBold = false;
    bool SynthItalic = false;
  };

  LOGFONTW FLf;
  bool FMono = false;
  int FEscapement = 0;
  bool FWantBold = false;
  bool FWantItalic = false;
  String FFamily;
  int FEm = 16;
  int FBoldPx = 0;
  TFontFaceMetrics FM;
  std::vector<TFace> FFaces;
  std::unordered_map<char32_t, std::pair<int, FT_UInt>> FMap;
  std::unordered_map<char32_t, TGlyphImage> FImages;
  std::unordered_map<char32_t, int> FAdvances;
  // The first characters' advances and kept images, read without the
  // engine's lock: text is mostly made of them, and once known neither
  // changes (kept images are never dropped, and the map's elements never
  // move).
  static constexpr char32_t kQuick = 256;
  static constexpr int kUnknown = INT32_MIN;
  std::atomic<int> FQuickAdvance[kQuick];
  std::atomic<const TGlyphImage*> FQuickImage[kQuick];

  const TGlyphImage& Remember(char32_t ch, const TGlyphImage& img) {
    if (ch < kQuick) FQuickImage[ch].store(&img, std::memory_order_release);
    return img;
  }
  using TOutlineKey = std::tuple<char32_t, bool, bool, double, double, double, double>;
  static constexpr size_t kMaxOutlines = 4096;
  std::map<TOutlineKey, TGlyphOutline> FOutlines;
  bool OutlineUncached(char32_t ch, bool glyphIndex, bool hinted, const TOutlineMatrix& m, TGlyphOutline& out);
  bool FFallbacksAdded = false;

  int AddFace(const TFaceFile& f) {
    for (size_t i = 0; i < FFaces.size(); ++i)
      if (FFaces[i].Path == f.Path && FFaces[i].Index == f.Index) return int(i);
    TFace face;
    face.Path = f.Path;
    face.Index = f.Index;
    face.Family = f.Family;
    if (Library() && !f.Path.empty()) {
      std::lock_guard<std::recursive_mutex> g(EngineLock());
      if (FT_New_Face(Library(), f.Path.c_str(), f.Index, &face.Face) != 0) face.Face = nullptr;
    }
    if (face.Face && face.Family.empty() && face.Face->family_name) face.Family = FromUtf8(face.Face->family_name);
    // The face's own style decides: fontconfig's answer may already carry
    // its synthesis settings in place of the face's weight and slant.
    if (face.Face) {
      auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.Face, FT_SFNT_OS2));
      bool bold = (face.Face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
      bool italic = (face.Face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
      face.SynthBold = FWantBold && !bold;
      face.SynthItalic = FWantItalic && !italic;
    }
    if (face.Face && !FFaces.empty()) FT_Set_Pixel_Sizes(face.Face, 0, FT_UInt(FEm));
    FFaces.push_back(std::move(face));
    return int(FFaces.size() - 1);
  }

  FT_Int32 LoadFlags(bool hinted) const {
    FT_Int32 fl = FT_LOAD_NO_BITMAP;
    if (!hinted) return fl | FT_LOAD_NO_HINTING;
    return fl | (FMono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  }

  void ComputeMetrics();

  // (face index, glyph index) of a character; glyph 0 of the primary face
  // when no face has it.
  std::pair<int, FT_UInt> Lookup(char32_t ch) {
    auto it = FMap.find(ch);
    if (it != FMap.end()) return it->second;
    std::pair<int, FT_UInt> r{0, 0};
    bool surrogate = ch >= 0xD800 && ch <= 0xDFFF;
    for (size_t i = 0; i < FFaces.size() && !surrogate; ++i) {
      if (!FFaces[i].Face) continue;
      FT_UInt gi = FT_Get_Char_Index(FFaces[i].Face, FT_ULong(ch));
      if (gi) {
        r = {int(i), gi};
        break;
      }
    }
    if (!r.second && !surrogate && ch >= 0x20) {
      // The documented fall-backs first, so the choice does not depend on
      // what else is installed; then any installed face that has it.
      if (!FFallbacksAdded) {
        FFallbacksAdded = true;
        for (const char16_t* fam : {kSans, kCJK}) {
          TFaceFile f = MatchFace(fam, FLf.lfWeight, FWantItalic, true);
          if (f.Found) AddFace(f);
        }
      }
      for (size_t i = 1; i < FFaces.size() && !r.second; ++i) {
        if (!FFaces[i].Face) continue;
        if (FT_UInt gi = FT_Get_Char_Index(FFaces[i].Face, FT_ULong(ch))) r = {int(i), gi};
      }
      if (!r.second) {
        TFaceFile f = FaceWithChar(ch);
        if (f.Found) {
          int idx = AddFace(f);
          if (FFaces[size_t(idx)].Face) {
            FT_UInt gi = FT_Get_Char_Index(FFaces[size_t(idx)].Face, FT_ULong(ch));
            if (gi) r = {idx, gi};
          }
        }
      }
    }
    FMap[ch] = r;
    return r;
  }

  // Loads a glyph into its face's slot with synthesis applied; the advance
  // comes back in 26.6.
  FT_GlyphSlot Load(int faceIdx, FT_UInt gi, bool hinted, FT_Pos& advance) {
    TFace& f = FFaces[size_t(faceIdx)];
    if (!f.Face || FT_Load_Glyph(f.Face, gi, LoadFlags(hinted)) != 0) return nullptr;
    FT_GlyphSlot slot = f.Face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    advance = slot->advance.x;
    if (f.SynthBold) {
      FT_Pos str = FT_Pos(FBoldPx) * 64;
      FT_Outline_EmboldenXY(&slot->outline, str, 0);
      advance += str;
    }
    if (f.SynthItalic) {
      FT_Matrix sh{0x10000, kObliqueShear, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &sh);
    }
    return slot;
  }

  void Render(char32_t ch, TGlyphImage& img, int& adv) {
    adv = 0;
    auto [fi, gi] = Lookup(ch);
    FT_Pos a = 0;
    FT_GlyphSlot slot = Load(fi, gi, true, a);
    if (!slot) return;
    adv = int((a + 32) >> 6);
    if (FEscapement) {
      double t = FEscapement * M_PI / 1800.0;
      double c = std::cos(t), s = std::sin(t);
      FT_Matrix rot{FT_Fixed(std::lround(c * 65536)), FT_Fixed(std::lround(-s * 65536)),
                    FT_Fixed(std::lround(s * 65536)), FT_Fixed(std::lround(c * 65536))};
      FT_Outline_Transform(&slot->outline, &rot);
    }
    if (slot->outline.n_points == 0) return;
    if (FT_Render_Glyph(slot, FMono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bm = slot->bitmap;
    img.Left = slot->bitmap_left;
    img.Top = -slot->bitmap_top;
    img.Width = int(bm.width);
    img.Height = int(bm.rows);
    img.Coverage.assign(size_t(img.Width) * size_t(img.Height), 0);
    for (int y = 0; y < img.Height; ++y) {
      const unsigned char* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
      Byte* dst = img.Coverage.data() + size_t(y) * size_t(img.Width);
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
        for (int x = 0; x < img.Width; ++x) dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
      } else {
        std::memcpy(dst, row, size_t(img.Width));
      }
    }
  }
};

void TFtInstance::ComputeMetrics() {
  const TFace& pf = FFaces[0];
  FT_Face face = pf.Face;
  FM.Weight = FLf.lfWeight <= 0 ? FW_NORMAL : FLf.lfWeight;
  FM.Italic = FWantItalic;
  FM.Underline = FLf.lfUnderline != 0;
  FM.StrikeOut = FLf.lfStrikeOut != 0;
  FM.CharSet = FLf.lfCharSet;
  if (!face) {
    // No face at all: keep the layout sane with a plausible cell.
    FEm = 13;
    FM.EmHeight = 13;
    FM.Ascent = 13;
    FM.Descent = 3;
    FM.InternalLeading = 3;
    FM.AveCharWidth = 6;
    FM.MaxCharWidth = 13;
    FM.FamilyName = FFamily;
    return;
  }
  int upem = face->units_per_EM ? face->units_per_EM : 2048;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  int winAsc = os2 && os2->version != 0xFFFF ? os2->usWinAscent : face->ascender;
  int winDesc = os2 && os2->version != 0xFFFF ? os2->usWinDescent : -face->descender;
  if (winAsc + winDesc <= 0) {
    winAsc = upem * 4 / 5;
    winDesc = upem / 5;
  }
  int64_t h = FLf.lfHeight;
  int cell = 0;
  if (h < 0) {
    FEm = int(std::min<int64_t>(-h, 4000));
  } else {
    cell = int(std::min<int64_t>(h == 0 ? 16 : h, 4000));
    FEm = std::max(1, RoundDiv(int64_t(cell) * upem, winAsc + winDesc));
  }
  FEm = std::max(FEm, 1);
  if (cell > 0) {
    FM.Ascent = RoundDiv(int64_t(winAsc) * cell, winAsc + winDesc);
    FM.Descent = cell - FM.Ascent;
  } else {
    FM.Ascent = RoundDiv(int64_t(winAsc) * FEm, upem);
    FM.Descent = RoundDiv(int64_t(winDesc) * FEm, upem);
  }
  FM.EmHeight = FEm;
  FM.InternalLeading = FM.Ascent + FM.Descent - FEm;
  int lineGap = 0;
  if (hhea) {
    int hheaHeight = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
    lineGap = std::max(0, hheaHeight - (winAsc + winDesc));
  }
  FM.ExternalLeading = RoundDiv(int64_t(lineGap) * FEm, upem);
  FBoldPx = std::max(1, RoundDiv(FEm, 24));
  bool synthBold = pf.SynthBold;
  FM.AveCharWidth = os2 && os2->xAvgCharWidth > 0 ? RoundDiv(int64_t(os2->xAvgCharWidth) * FEm, upem)
                                                   : RoundDiv(int64_t(face->max_advance_width) * FEm, upem * 2);
  FM.MaxCharWidth = RoundDiv(int64_t(face->max_advance_width) * FEm, upem);
  if (synthBold) {
    FM.AveCharWidth += FBoldPx;
    FM.MaxCharWidth += FBoldPx;
  }
  FM.FixedPitch = FT_IS_FIXED_WIDTH(face);
  if (os2 && os2->version != 0xFFFF) {
    int fam = os2->panose[0] == 2 ? (os2->panose[1] >= 11 && os2->panose[1] <= 13 ? FF_SWISS : FF_ROMAN) : FF_SWISS;
    if (FM.FixedPitch) fam = FF_MODERN;
    FM.Family = BYTE(fam);
  } else {
    FM.Family = FM.FixedPitch ? FF_MODERN : FF_SWISS;
  }
  // Underline and strike-out rows, kept inside the cell.
  double scale = double(FEm) / upem;
  int ulThick = post ? std::max(1, int(std::lround(post->underlineThickness * scale))) : 1;
  int ulPos = post ? int(std::lround(-post->underlinePosition * scale - ulThick / 2.0)) : 1;
  ulPos = std::max(1, ulPos);
  if (ulPos + ulThick > FM.Descent) ulPos = std::max(0, FM.Descent - ulThick);
  FM.UnderlineOffset = ulPos;
  FM.UnderlineSize = ulThick;
  int soThick = os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0
                    ? std::max(1, int(std::lround(os2->yStrikeoutSize * scale)))
                    : ulThick;
  int soPos = os2 && os2->version != 0xFFFF && os2->yStrikeoutPosition > 0
                  ? int(std::lround(os2->yStrikeoutPosition * scale))
                  : FEm / 3;
  FM.StrikeOffset = -soPos;
  FM.StrikeSize = soThick;
  FM.UnitsPerEm = upem;
  FM.CapHeight = os2 && os2->version >= 2 ? int(std::lround(os2->sCapHeight * scale)) : FM.Ascent;
  FM.XHeight = os2 && os2->version >= 2 ? int(std::lround(os2->sxHeight * scale)) : FM.Ascent / 2;
  FM.FontBox = TRect(int(std::floor(face->bbox.xMin * scale)), int(std::floor(face->bbox.yMin * scale)),
                     int(std::ceil(face->bbox.xMax * scale)), int(std::ceil(face->bbox.yMax * scale)));
  FM.MacAscent = hhea ? int(std::lround(hhea->Ascender * scale)) : FM.Ascent;
  FM.MacDescent = hhea ? int(std::lround(hhea->Descender * scale)) : -FM.Descent;
  FM.MacLineGap = hhea ? int(std::lround(hhea->Line_Gap * scale)) : 0;
  FM.ItalicAngle = post ? int((post->italicAngle >> 16) * 10) : 0;
  if (pf.SynthItalic) FM.ItalicAngle = -120;
  FM.FamilyName = pf.Family;
  String style;
  if (face->style_name) style = FromUtf8(face->style_name);
  if (pf.SynthBold || pf.SynthItalic) {
    style = FWantBold && FWantItalic ? u"Bold Italic" : FWantBold ? u"Bold" : u"Italic";
  }
  FM.StyleName = style;
  FM.FullName = style.empty() || Lower(style) == u"regular" || Lower(style) == u"book" ? pf.Family
                                                                                       : pf.Family + u" " + style;
  FT_Set_Pixel_Sizes(face, 0, FT_UInt(FEm));
}

// FreeType's outline as segments, y up, 26.6 turned into pixels.
struct TDecompose {
  TGlyphOutline* Out;
  static TOutlinePoint P(const FT_Vector* v) { return {v->x / 64.0, v->y / 64.0}; }
  static int MoveTo(const FT_Vector* to, void* u) {
    auto* d = static_cast<TDecompose*>(u);
    d->Out->Contours.push_back({});
    d->Out->Contours.back().Start = P(to);
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* u) {
    auto* d = static_cast<TDecompose*>(u);
    TOutlineSeg s;
    s.Kind = TOutlineSegKind::Line;
    s.P[0] = P(to);
    d->Out->Contours.back().Segs.push_back(s);
    return 0;
  }
  static int ConicTo(const FT_Vector* c, const FT_Vector* to, void* u) {
    auto* d = static_cast<TDecompose*>(u);
    TOutlineSeg s;
    s.Kind = TOutlineSegKind::Conic;
    s.P[0] = P(c);
    s.P[1] = P(to);
    d->Out->Contours.back().Segs.push_back(s);
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* u) {
    auto* d = static_cast<TDecompose*>(u);
    TOutlineSeg s;
    s.Kind = TOutlineSegKind::Cubic;
    s.P[0] = P(c1);
    s.P[1] = P(c2);
    s.P[2] = P(to);
    d->Out->Contours.back().Segs.push_back(s);
    return 0;
  }
};

bool TFtInstance::OutlineUncached(char32_t ch, bool glyphIndex, bool hinted, const TOutlineMatrix& m,
                                  TGlyphOutline& out) {
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  out = TGlyphOutline{};
  int fi = 0;
  FT_UInt gi = 0;
  if (glyphIndex) {
    gi = FT_UInt(ch);
    if (!FFaces[0].Face || gi >= FT_UInt(FFaces[0].Face->num_glyphs)) return false;
  } else {
    std::tie(fi, gi) = Lookup(ch);
  }
  TFace& f = FFaces[size_t(fi)];
  if (!f.Face) return false;
  // A diagonal matrix is a differently sized font: hint at that size so a
  // horizontally stretched request keeps sub-pixel advances.
  bool diagonal = m.M12 == 0 && m.M21 == 0 && m.M11 != 0 && m.M22 != 0;
  double sx = 1, sy = 1;
  bool resized = false;
  if (diagonal && !m.IsIdentity()) {
    sx = std::fabs(m.M11);
    sy = std::fabs(m.M22);
    double w = FEm * sx, h = FEm * sy;
    if (w >= 1 && h >= 1 && w <= 65535 && h <= 65535 && w == std::floor(w) && h == std::floor(h)) {
      FT_Set_Pixel_Sizes(f.Face, FT_UInt(w), FT_UInt(h));
      resized = true;
    }
  }
  FT_Pos adv = 0;
  int savedBold = FBoldPx;
  if (resized) FBoldPx = std::max(1, int(std::lround(FBoldPx * sx)));
  FT_GlyphSlot slot = Load(fi, gi, hinted, adv);
  FBoldPx = savedBold;
  bool ok = slot != nullptr;
  if (ok) {
    FT_Outline_Funcs funcs{};
    funcs.move_to = &TDecompose::MoveTo;
    funcs.line_to = &TDecompose::LineTo;
    funcs.conic_to = &TDecompose::ConicTo;
    funcs.cubic_to = &TDecompose::CubicTo;
    TDecompose d{&out};
    FT_Outline_Decompose(&slot->outline, &funcs, &d);
    double ax = adv / 64.0;
    // What is left of the matrix after the resize: signs, or all of it.
    TOutlineMatrix rest = m;
    if (resized) rest = {m.M11 < 0 ? -1.0 : 1.0, 0, 0, m.M22 < 0 ? -1.0 : 1.0};
    auto tr = [&](TOutlinePoint& p) {
      TOutlinePoint q{rest.M11 * p.X + rest.M21 * p.Y, rest.M12 * p.X + rest.M22 * p.Y};
      p = q;
    };
    if (!rest.IsIdentity()) {
      for (auto& c : out.Contours) {
        tr(c.Start);
        for (auto& s : c.Segs)
          for (auto& p : s.P) tr(p);
      }
    }
    out.AdvanceX = rest.M11 * ax;
    out.AdvanceY = rest.M12 * ax;
  }
  if (resized) FT_Set_Pixel_Sizes(f.Face, 0, FT_UInt(FEm));
  if (!ok) return false;
  // Black box from the control points, in whole pixels.
  bool any = false;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  auto add = [&](const TOutlinePoint& p) {
    if (!any) {
      x0 = x1 = p.X;
      y0 = y1 = p.Y;
      any = true;
    }
    x0 = std::min(x0, p.X);
    x1 = std::max(x1, p.X);
    y0 = std::min(y0, p.Y);
    y1 = std::max(y1, p.Y);
  };
  for (auto& c : out.Contours) {
    add(c.Start);
    for (auto& s : c.Segs) {
      int n = s.Kind == TOutlineSegKind::Line ? 1 : s.Kind == TOutlineSegKind::Conic ? 2 : 3;
      for (int i = 0; i < n; ++i) add(s.P[i]);
    }
  }
  if (any) {
    out.BoxLeft = int(std::floor(x0));
    out.BoxBottom = int(std::floor(y0));
    out.BoxRight = int(std::ceil(x1));
    out.BoxTop = int(std::ceil(y1));
  }
  return true;
}

// ---------------------------------------------------------------------------

std::string LogFontKey(const LOGFONTW& lf) {
  LOGFONTW k = lf;
  // Bytes after the face name's terminator do not make another font.
  bool end = false;
  for (auto& c : k.lfFaceName) {
    if (end) c = 0;
    if (!c) end = true;
  }
  k.lfWidth = 0;
  k.lfOrientation = 0;
  k.lfClipPrecision = 0;
  return std::string(reinterpret_cast<const char*>(&k), sizeof(k));
}

template <class TInst>
class TCachingProvider : public TGlyphProvider {
 public:
  TFontInstancePtr Realize(const LOGFONTW& lf) override {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    std::string key = LogFontKey(lf);
    auto it = FCache.find(key);
    if (it != FCache.end()) return it->second;
    if (FCache.size() >= 64) {
      for (auto i = FCache.begin(); i != FCache.end();) {
        if (i->second.use_count() == 1) i = FCache.erase(i);
        else ++i;
      }
    }
    auto inst = std::make_shared<TInst>(lf);
    FCache[key] = inst;
    return inst;
  }
  void Clear() {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    FCache.clear();
  }

 private:
  std::map<std::string, TFontInstancePtr> FCache;
};

// ---------------------------------------------------------------------------

class TBoxInstance final : public TFontInstance {
 public:
  explicit TBoxInstance(const LOGFONTW& lf) {
    int64_t h = lf.lfHeight;
    int em = h == 0 ? 16 : int(std::min<int64_t>(h < 0 ? -h : h, 4000));
    FEscapement = lf.lfEscapement % 3600;
    FM.EmHeight = em;
    FM.Ascent = em * 3 / 4;
    FM.Descent = em - FM.Ascent;
    FM.AveCharWidth = FM.MaxCharWidth = std::max(1, em / 2);
    FM.Weight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
    FM.Italic = lf.lfItalic != 0;
    FM.Underline = lf.lfUnderline != 0;
    FM.StrikeOut = lf.lfStrikeOut != 0;
    FM.FixedPitch = true;
    FM.Family = FF_MODERN;
    FM.CharSet = lf.lfCharSet;
    FM.UnderlineOffset = std::max(0, FM.Descent - 1) > 0 ? 1 : 0;
    FM.StrikeOffset = -FM.Ascent / 3;
    FM.UnitsPerEm = em;
    FM.CapHeight = FM.Ascent - 1;
    FM.XHeight = FM.Ascent / 2;
    FM.FontBox = TRect(0, -FM.Descent, FM.AveCharWidth, FM.Ascent);
    FM.MacAscent = FM.Ascent;
    FM.MacDescent = -FM.Descent;
    FM.FamilyName = u"Box";
    FM.StyleName = u"Regular";
    FM.FullName = u"Box";
  }
  const TFontFaceMetrics& Metrics() const override { return FM; }
  int Escapement() const override { return FEscapement; }
  int Advance(char32_t) override { return FM.AveCharWidth; }
  static bool Blank(char32_t ch) { return ch <= 0x20 || ch == 0x3000 || ch == 0xA0; }
  const TGlyphImage& Image(char32_t ch) override {
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    bool blank = Blank(ch);
    TGlyphImage& img = blank ? FBlank : FBox;
    if (!blank && img.Coverage.empty()) {
      // The box turned with the font: rasterise the rectangle by pixel centres.
      double t = FEscapement * M_PI / 1800.0, c = std::cos(t), s = std::sin(t);
      double bx0 = 1, bx1 = FM.AveCharWidth - 1, by0 = 1 - FM.Ascent, by1 = 0;
      // Device offset of (x, y) (y down) relative to the pen: rotate counter-clockwise on screen.
      auto fwd = [&](double x, double y) { return TOutlinePoint{x * c + y * s, -x * s + y * c}; };
      double minx = 1e9, miny = 1e9, maxx = -1e9, maxy = -1e9;
      for (auto [x, y] : {std::pair{bx0, by0}, {bx1, by0}, {bx0, by1}, {bx1, by1}}) {
        auto p = fwd(x, y);
        minx = std::min(minx, p.X);
        maxx = std::max(maxx, p.X);
        miny = std::min(miny, p.Y);
        maxy = std::max(maxy, p.Y);
      }
      img.Left = int(std::floor(minx));
      img.Top = int(std::floor(miny));
      img.Width = int(std::ceil(maxx)) - img.Left;
      img.Height = int(std::ceil(maxy)) - img.Top;
      img.Coverage.assign(size_t(std::max(0, img.Width * img.Height)), 0);
      for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x) {
          double px = img.Left + x + 0.5, py = img.Top + y + 0.5;
          // Back into the unturned box.
          double ux = px * c - py * s, uy = px * s + py * c;
          if (ux >= bx0 && ux < bx1 && uy >= by0 && uy < by1) img.Coverage[size_t(y * img.Width + x)] = 255;
        }
    }
    return img;
  }
  bool Outline(char32_t ch, bool, bool, const TOutlineMatrix& m, TGlyphOutline& out) override {
    out = TGlyphOutline{};
    double adv = FM.AveCharWidth;
    out.AdvanceX = m.M11 * adv;
    out.AdvanceY = m.M12 * adv;
    if (Blank(ch)) return true;
    double x0 = 1, x1 = adv - 1, y0 = 0, y1 = FM.Ascent - 1;
    auto tr = [&](double x, double y) { return TOutlinePoint{m.M11 * x + m.M21 * y, m.M12 * x + m.M22 * y}; };
    TOutlineContour c;
    c.Start = tr(x0, y0);
    for (auto [x, y] : {std::pair{x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}}) {
      TOutlineSeg s;
      s.P[0] = tr(x, y);
      c.Segs.push_back(s);
    }
    out.Contours.push_back(c);
    double bx0 = 1e9, by0 = 1e9, bx1 = -1e9, by1 = -1e9;
    for (auto& s : c.Segs) {
      bx0 = std::min(bx0, s.P[0].X);
      bx1 = std::max(bx1, s.P[0].X);
      by0 = std::min(by0, s.P[0].Y);
      by1 = std::max(by1, s.P[0].Y);
    }
    out.BoxLeft = int(std::floor(bx0));
    out.BoxRight = int(std::ceil(bx1));
    out.BoxBottom = int(std::floor(by0));
    out.BoxTop = int(std::ceil(by1));
    return true;
  }
  bool HasChar(char32_t) override { return true; }
  String FamilyFor(char32_t) override { return u"Box"; }

 private:
  TFontFaceMetrics FM;
  int FEscapement = 0;
  TGlyphImage FBox, FBlank;
};

TGlyphProviderPtr& CurrentProvider() {
  static auto* p = new TGlyphProviderPtr;
  return *p;
}

}  // namespace

String ResolveFontFamily(const LOGFONTW& lf) {
  if (IsCJKCharSet(lf.lfCharSet)) return kCJK;
  String face = FaceNameOf(lf);
  String low = Lower(face);
  while (!low.empty() && low.back() == u' ') low.pop_back();
  if (low.empty()) return FamilyByPitch(lf.lfPitchAndFamily);
  for (const auto& a : kAliases)
    if (low == a.Name) return a.Family;
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  TFaceFile f = MatchFace(face, lf.lfWeight, lf.lfItalic != 0, true);
  if (f.Found) return f.Family;
  return FamilyByPitch(lf.lfPitchAndFamily);
}

namespace {
std::shared_ptr<TCachingProvider<TFtInstance>>& FtProvider() {
  static auto* p = new std::shared_ptr<TCachingProvider<TFtInstance>>(
      std::make_shared<TCachingProvider<TFtInstance>>());
  return *p;
}
std::shared_ptr<TCachingProvider<TBoxInstance>>& BoxProvider() {
  static auto* p = new std::shared_ptr<TCachingProvider<TBoxInstance>>(
      std::make_shared<TCachingProvider<TBoxInstance>>());
  return *p;
}
}  // namespace

// Moves whenever instances realized before may no longer be the provider's
// answer (another provider, or the engine let go of its faces).
static unsigned gRealizeEpoch = 1;

TGlyphProviderPtr FreeTypeGlyphProvider() { return FtProvider(); }
TGlyphProviderPtr BoxGlyphProvider() { return BoxProvider(); }

void FinalizeFontEngine() {
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  ++gRealizeEpoch;
  CurrentProvider().reset();
  FtProvider()->Clear();
  BoxProvider()->Clear();
  if (gLibrary) FT_Done_FreeType(gLibrary);
  gLibrary = nullptr;
  gLibraryTried = false;
  ReleaseInstalledFaces();
  // fontconfig keeps its configuration and caches until told to let go.
  if (gFcReady) FcFini();
  gFcReady = false;
}

TGlyphProviderPtr SetGlyphProvider(TGlyphProviderPtr provider) {
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  TGlyphProviderPtr old = GetGlyphProvider();
  CurrentProvider() = std::move(provider);
  ++gRealizeEpoch;
  return old;
}

TGlyphProviderPtr GetGlyphProvider() {
  std::lock_guard<std::recursive_mutex> g(EngineLock());
  if (!CurrentProvider()) return FreeTypeGlyphProvider();
  return CurrentProvider();
}

TFontInstancePtr DCFontInstance(HDC dc) {
  auto d = gdi::LookupDC(dc);
  if (!d) return nullptr;
  if (d->State.Font && d->State.Font->Kind == gdi::TKind::Font) {
    auto& f = static_cast<gdi::TFontObj&>(*d->State.Font);
    std::lock_guard<std::recursive_mutex> g(EngineLock());
    if (!f.Realized || f.RealizedEpoch != gRealizeEpoch) {
      f.Realized = GetGlyphProvider()->Realize(f.Log);
      f.RealizedEpoch = gRealizeEpoch;
    }
    return f.Realized;
  }
  LOGFONTW lf;
  return GetGlyphProvider()->Realize(lf);
}

void DecodeUtf16(const WCHAR* text, int count, std::vector<char32_t>& out, std::vector<int>* units) {
  out.clear();
  if (units) units->clear();
  if (!text || count <= 0) return;
  for (int i = 0; i < count;) {
    char32_t c = text[i];
    int n = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      n = 2;
    }
    out.push_back(c);
    if (units) units->push_back(n);
    i += n;
  }
}

}  // namespace vcl
