// The default skin, drawn by code at load: a light theme on the default form
// colours (client $F2ECE1, title and accent $FFC446), rounded anti-aliased
// shapes with alpha. Every state of a strip reads differently at a glance:
// hot is lighter with an accent outline, pressed is darker and inset,
// disabled is grey and faded.
//
// Pictures are composed in premultiplied floating point and written to the
// bitmaps with straight alpha once, so translucent edges keep their colour
// instead of being darkened by repeated 8-bit blending. Nothing here is
// random: two builds give the same bytes.
#include <algorithm>
#include <cmath>
#include <functional>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

constexpr float kPi = 3.14159265358979f;

// A straight (not premultiplied) colour with alpha, channels 0..1.
struct TC {
  float R = 0, G = 0, B = 0, A = 0;
};

constexpr TC Hex(uint32_t rgb, float a = 1.0f) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}

TC Mix(const TC& a, const TC& b, float t) {
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t, a.A + (b.A - a.A) * t};
}

using TPaint = std::function<TC(float X, float Y)>;

TPaint Solid(TC c) {
  return [c](float, float) { return c; };
}

// Top to bottom between rows Y0 and Y1 (clamped outside).
TPaint VGrad(float Y0, float Y1, TC Top, TC Bottom) {
  return [=](float, float y) {
    const float t = Y1 > Y0 ? std::clamp((y - Y0) / (Y1 - Y0), 0.0f, 1.0f) : 0.0f;
    return Mix(Top, Bottom, t);
  };
}

// A premultiplied canvas.
class TArt {
 public:
  TArt(Integer W, Integer H) : FW(W), FH(H), FPx(static_cast<size_t>(W) * H * 4, 0.0f) {}
  Integer Width() const { return FW; }
  Integer Height() const { return FH; }

  void Fill(const TArrayOfArrayOfFloatPoint& Polys, const TPaint& Paint, float Opacity = 1.0f) {
    struct Ctx {
      TArt* Self;
      const TPaint* Paint;
      float Opacity;
    } ctx{this, &Paint, Opacity};
    RenderPolyPolygon(
        Polys, TFloatRect(0, 0, static_cast<TFloat>(FW), static_cast<TFloat>(FH)),
        [](Pointer Data, const TValueSpan& Span, Integer Y) {
          auto* c = static_cast<Ctx*>(Data);
          for (Integer x = Span.X1; x <= Span.X2; ++x) {
            // Non-zero rule: overlapping outlines of one fill stay solid.
            const float cover = std::min(1.0f, std::fabs(Span.Values[x - Span.X1]));
            if (cover <= 0.0f) continue;
            c->Self->Blend(x, Y, (*c->Paint)(x + 0.5f, Y + 0.5f), cover * c->Opacity);
          }
        },
        &ctx);
  }
  void Fill(const TArrayOfFloatPoint& Poly, const TPaint& Paint, float Opacity = 1.0f) {
    Fill(TArrayOfArrayOfFloatPoint{Poly}, Paint, Opacity);
  }
  void Fill(const TArrayOfFloatPoint& Poly, TC Color) { Fill(Poly, Solid(Color)); }

  void Stroke(const TArrayOfFloatPoint& Points, bool Closed, float Width, const TPaint& Paint,
              TJoinStyle Join = TJoinStyle::jsRound, TEndStyle End = TEndStyle::esRound) {
    Fill(BuildPolyPolyLine({Points}, Closed, Width, Join, End), Paint);
  }
  void Stroke(const TArrayOfFloatPoint& Points, bool Closed, float Width, TC Color) {
    Stroke(Points, Closed, Width, Solid(Color));
  }

  // Another canvas of the same size laid over this one.
  void Compose(const TArt& Layer, float Opacity) {
    for (size_t i = 0; i < FPx.size(); i += 4) {
      const float a = Layer.FPx[i + 3] * Opacity;
      if (a <= 0.0f) continue;
      const float k = 1.0f - a;
      for (int c = 0; c < 3; ++c) FPx[i + c] = Layer.FPx[i + c] * Opacity + FPx[i + c] * k;
      FPx[i + 3] = a + FPx[i + 3] * k;
    }
  }

  // Writes the canvas into Dst at (X, Y) with straight alpha.
  void WriteTo(TCustomBitmap32* Dst, Integer X, Integer Y) const {
    for (Integer y = 0; y < FH; ++y)
      for (Integer x = 0; x < FW; ++x) {
        const float* p = &FPx[(static_cast<size_t>(y) * FW + x) * 4];
        const float a = std::clamp(p[3], 0.0f, 1.0f);
        uint32_t out = 0;
        if (a > 0.0f) {
          auto ch = [&](float v) {
            return static_cast<uint32_t>(std::lround(std::clamp(v / a, 0.0f, 1.0f) * 255.0f));
          };
          const uint32_t A = static_cast<uint32_t>(std::lround(a * 255.0f));
          if (A) out = (A << 24) | (ch(p[0]) << 16) | (ch(p[1]) << 8) | ch(p[2]);
        }
        Dst->SetPixel(X + x, Y + y, out);
      }
  }

 private:
  void Blend(Integer X, Integer Y, TC C, float Cover) {
    if (X < 0 || Y < 0 || X >= FW || Y >= FH) return;
    const float a = C.A * Cover;
    if (a <= 0.0f) return;
    float* p = &FPx[(static_cast<size_t>(Y) * FW + X) * 4];
    const float k = 1.0f - a;
    p[0] = C.R * a + p[0] * k;
    p[1] = C.G * a + p[1] * k;
    p[2] = C.B * a + p[2] * k;
    p[3] = a + p[3] * k;
  }

  Integer FW, FH;
  std::vector<float> FPx;
};

// ---- shapes ---------------------------------------------------------------

TArrayOfFloatPoint RR(float X, float Y, float W, float H, float R) {
  return RoundRect(TFloatRect(X, Y, X + W, Y + H), R);
}

// Rounded top corners, square bottom: the shape of a tab.
TArrayOfFloatPoint TopRound(float X, float Y, float W, float H, float R) {
  TArrayOfFloatPoint p;
  auto arc = BuildArc(TFloatPoint(X + R, Y + R), kPi, 1.5f * kPi, R, 10);
  p.insert(p.end(), arc.begin(), arc.end());
  arc = BuildArc(TFloatPoint(X + W - R, Y + R), 1.5f * kPi, 2.0f * kPi, R, 10);
  p.insert(p.end(), arc.begin(), arc.end());
  p.push_back({X + W, Y + H});
  p.push_back({X, Y + H});
  return p;
}

TArrayOfFloatPoint Disc(float X, float Y, float R) { return Circle(X, Y, R, std::max(24, static_cast<int>(R * 8))); }

enum class TDir { Left, Right, Up, Down };

// A chevron of half-size S pointing in Dir, centred on (X, Y).
TArrayOfFloatPoint Chevron(float X, float Y, float S, TDir Dir) {
  const float h = S * 0.95f;  // depth along the pointing axis: close to a right angle
  switch (Dir) {
    case TDir::Left: return {{X + h / 2, Y - S}, {X - h / 2, Y}, {X + h / 2, Y + S}};
    case TDir::Right: return {{X - h / 2, Y - S}, {X + h / 2, Y}, {X - h / 2, Y + S}};
    case TDir::Up: return {{X - S, Y + h / 2}, {X, Y - h / 2}, {X + S, Y + h / 2}};
    case TDir::Down: return {{X - S, Y - h / 2}, {X, Y + h / 2}, {X + S, Y - h / 2}};
  }
  return {};
}

TArrayOfFloatPoint Triangle(float X, float Y, float S, TDir Dir) {
  const float h = S * 1.2f;
  switch (Dir) {
    case TDir::Left: return {{X + h / 2, Y - S}, {X - h / 2, Y}, {X + h / 2, Y + S}};
    case TDir::Right: return {{X - h / 2, Y - S}, {X + h / 2, Y}, {X - h / 2, Y + S}};
    case TDir::Up: return {{X - S, Y + h / 2}, {X, Y - h / 2}, {X + S, Y + h / 2}};
    case TDir::Down: return {{X - S, Y - h / 2}, {X, Y + h / 2}, {X + S, Y - h / 2}};
  }
  return {};
}

void Cross(TArt& A, float X, float Y, float S, float W, TC C) {
  A.Stroke({{X - S, Y - S}, {X + S, Y + S}}, false, W, C);
  A.Stroke({{X + S, Y - S}, {X - S, Y + S}}, false, W, C);
}

void Check(TArt& A, float X, float Y, float S, float W, TC C) {
  A.Stroke({{X - S, Y + 0.05f * S}, {X - 0.3f * S, Y + 0.72f * S}, {X + S, Y - 0.62f * S}}, false, W, C);
}

// ---- palette --------------------------------------------------------------

enum TState { sNormal, sHot, sPressed, sDisabled, sSpare };

const TC kWhite = Hex(0xFFFFFF);
const TC kAccent = Hex(0x46C4FF);        // $FFC446 as a screen colour
const TC kAccentDeep = Hex(0x1F9CDD);    // pressed outlines
const TC kAccentInk = Hex(0x168ACB);     // hot glyphs
const TC kAccentDark = Hex(0x0F6DA3);    // pressed glyphs
const TC kLine = Hex(0xB4C3CF);          // resting outlines
const TC kLineFaint = Hex(0xCCD5DC);     // disabled outlines
const TC kInk = Hex(0x55656F);           // resting glyphs
const TC kInkFaint = Hex(0xBAC4CC);      // disabled glyphs
const TC kShadow = Hex(0x0B2A40, 0.10f);

TC InkOf(int State) {
  switch (State) {
    case sHot: return kAccentInk;
    case sPressed: return kAccentDark;
    case sDisabled: return kInkFaint;
    default: return kInk;
  }
}

// Inner shadow along the top of a pressed face: it reads as pushed in.
TPaint Inset(float Top, TPaint Base) {
  return [=](float x, float y) {
    TC c = Base(x, y);
    const float t = std::clamp((y - Top) / 4.0f, 0.0f, 1.0f);
    const float dark = 0.16f * (1.0f - t);
    c.R *= 1 - dark;
    c.G *= 1 - dark;
    c.B *= 1 - dark;
    return c;
  };
}

// The face of a push button in a state: outline, fill and shadow.
void Face(TArt& A, float X, float Y, float W, float H, float R, int State) {
  const TArrayOfFloatPoint outer = RR(X, Y, W, H, R);
  const TArrayOfFloatPoint inner = RR(X + 1, Y + 1, W - 2, H - 2, R - 1);
  switch (State) {
    case sNormal:
      A.Fill(RR(X, Y + 1, W, H, R), kShadow);
      A.Fill(outer, kLine);
      A.Fill(inner, VGrad(Y, Y + H, kWhite, Hex(0xEBF1F5)));
      break;
    case sHot:
      A.Fill(RR(X, Y + 1, W, H, R), Hex(0x1F9CDD, 0.16f));
      A.Fill(outer, kAccent);
      A.Fill(inner, VGrad(Y, Y + H, kWhite, Hex(0xDDF3FF)));
      break;
    case sPressed:
      A.Fill(outer, kAccentDeep);
      A.Fill(inner, Inset(Y + 1, VGrad(Y, Y + H, Hex(0xC9E3F2), Hex(0xDCEBF4))));
      break;
    case sDisabled: {
      TArt layer(A.Width(), A.Height());
      layer.Fill(outer, kLineFaint);
      layer.Fill(inner, Hex(0xF1F4F6));
      A.Compose(layer, 0.9f);
      break;
    }
    default:  // the spare frame: a filled, primary-looking face
      A.Fill(RR(X, Y + 1, W, H, R), Hex(0x1F9CDD, 0.22f));
      A.Fill(outer, Hex(0x1E9FE2));
      A.Fill(inner, VGrad(Y, Y + H, Hex(0x66D2FF), Hex(0x2CB1F1)));
      break;
  }
}

// Frame k of an image of Frames frames, stacked or side by side.
struct TFrame {
  float X, Y, W, H;
};

TFrame FrameOf(const TQnSkinImageInfo& Info, Integer K) {
  if (Info.Stacked) {
    const float h = static_cast<float>(Info.Height / Info.Frames);
    return {0, h * K, static_cast<float>(Info.Width), h};
  }
  const float w = static_cast<float>(Info.Width / Info.Frames);
  return {w * K, 0, w, static_cast<float>(Info.Height)};
}

// ---- the images -------------------------------------------------------------

using TDrawFrame = std::function<void(TArt& A, const TFrame& F, Integer K)>;

struct TEntry {
  TQnSkinImageInfo Info;
  TDrawFrame Draw;
};

// The browse buttons of the toolbar: a round-cornered face with a chevron.
// States run normal, hot, pressed, disabled, or the other way round.
TDrawFrame BrowseButton(TDir Dir, bool Reversed) {
  return [=](TArt& A, const TFrame& F, Integer K) {
    const int state = Reversed ? 3 - K : K;
    Face(A, F.X + 2, F.Y + 2, F.W - 4, F.H - 5, 5, state);
    const float dy = state == sPressed ? 0.6f : 0.0f;
    A.Stroke(Chevron(F.X + F.W / 2, F.Y + (F.H - 1) / 2 + dy, 4.2f, Dir), false, 1.8f, InkOf(state));
  };
}

TDrawFrame CaptionButton(int Glyph) {
  // Glyph 0 close, 1 maximize, 2 restore, 3 minimize; white, for the accent
  // title bar. Hot and pressed lay a plate under the glyph; close goes red.
  return [=](TArt& A, const TFrame& F, Integer K) {
    if (K == 1) A.Fill(RR(F.X + 1, F.Y + 1, F.W - 2, F.H - 2, 3), Glyph == 0 ? Hex(0xEC5159) : Hex(0xFFFFFF, 0.28f));
    if (K == 2) A.Fill(RR(F.X + 1, F.Y + 1, F.W - 2, F.H - 2, 3), Glyph == 0 ? Hex(0xC2343C) : Hex(0x0B2A40, 0.22f));
    const float cx = F.X + F.W / 2, cy = F.Y + F.H / 2;
    const TC ink = kWhite;
    const float s = std::min(F.W, F.H) <= 16 ? 3.2f : 4.0f;
    switch (Glyph) {
      case 0: Cross(A, cx, cy, s, 1.5f, ink); break;
      case 1:
        A.Stroke(Rectangle(TFloatRect(cx - 4.5f, cy - 4.5f, cx + 4.5f, cy + 4.5f)), true, 1.2f, Solid(ink),
                 TJoinStyle::jsMiter, TEndStyle::esButt);
        A.Fill(Rectangle(TFloatRect(cx - 5.1f, cy - 5.1f, cx + 5.1f, cy - 3.1f)), ink);
        break;
      case 2:
        A.Stroke({{cx - 2.0f, cy - 3.5f}, {cx - 2.0f, cy - 5.5f}, {cx + 5.5f, cy - 5.5f}, {cx + 5.5f, cy + 2.0f},
                  {cx + 3.5f, cy + 2.0f}},
                 false, 1.2f, Solid(ink), TJoinStyle::jsMiter, TEndStyle::esButt);
        A.Stroke(Rectangle(TFloatRect(cx - 5.5f, cy - 2.5f, cx + 2.5f, cy + 5.5f)), true, 1.2f, Solid(ink),
                 TJoinStyle::jsMiter, TEndStyle::esButt);
        break;
      default:
        A.Fill(Rectangle(TFloatRect(cx - 5, cy + 1.5f, cx + 5, cy + 3.0f)), ink);
        break;
    }
  };
}

void ScrollArrow(TArt& A, TDir Dir, int State) {
  const TC plate = State == sNormal ? Hex(0xE9EEF2) : State == sHot ? Hex(0xD2ECFB) : Hex(0x35B4F2);
  const TC ink = State == sNormal ? Hex(0x8796A2) : State == sHot ? kAccentInk : kWhite;
  A.Fill(RR(0, 0, 10, 10, 3), plate);
  A.Fill(Triangle(5, 5, 2.6f, Dir), ink);
}

void ScrollThumb(TArt& A, bool Vertical, int State) {
  const TC c = State == sNormal ? Hex(0xB6C3CD) : State == sHot ? Hex(0x7DD2FA) : Hex(0x2196D5);
  if (Vertical)
    A.Fill(RR(2, 1, 6, 18, 3), c);
  else
    A.Fill(RR(1, 2, 18, 6, 3), c);
}

// The check boxes: unchecked, unchecked hot, checked, checked hot.
void CheckBoxFace(TArt& A, float X, float Y, float S, bool Checked, bool Hot) {
  const float r = S * 0.2f;
  if (Checked) {
    A.Fill(RR(X, Y, S, S, r), Hot ? Hex(0x31B4F2) : Hex(0x1E9FE2));
    A.Fill(RR(X + 1, Y + 1, S - 2, S - 2, r - 0.8f),
           Hot ? VGrad(Y, Y + S, Hex(0x7DDBFF), Hex(0x40BCF6)) : VGrad(Y, Y + S, Hex(0x52CCFF), Hex(0x24A9EC)));
    Check(A, X + S / 2, Y + S / 2, S * 0.3f, S >= 16 ? 2.0f : 1.7f, kWhite);
  } else {
    A.Fill(RR(X, Y, S, S, r), Hot ? kAccent : Hex(0x9AABB8));
    A.Fill(RR(X + 1, Y + 1, S - 2, S - 2, r - 0.8f), Hot ? Hex(0xE8F7FF) : kWhite);
  }
}

void RadioFace(TArt& A, float X, float Y, float S, bool Checked, bool Hot) {
  const float c = S / 2, r = S / 2 - 0.5f;
  if (Checked) {
    A.Fill(Disc(X + c, Y + c, r), Hot ? Hex(0x31B4F2) : Hex(0x1E9FE2));
    A.Fill(Disc(X + c, Y + c, r - 1), Hot ? VGrad(Y, Y + S, Hex(0x7DDBFF), Hex(0x40BCF6))
                                          : VGrad(Y, Y + S, Hex(0x52CCFF), Hex(0x24A9EC)));
    A.Fill(Disc(X + c, Y + c, S * 0.17f), kWhite);
  } else {
    A.Fill(Disc(X + c, Y + c, r), Hot ? kAccent : Hex(0x9AABB8));
    A.Fill(Disc(X + c, Y + c, r - 1), Hot ? Hex(0xE8F7FF) : kWhite);
  }
}

void SwitchFrame(TArt& A, const TFrame& F, bool On, int State) {
  const float x = F.X + 0.5f, y = F.Y + 0.5f, w = F.W - 1, h = F.H - 1;
  const TArrayOfFloatPoint track = RR(x, y, w, h, h / 2);
  if (On) {
    const TC top = State == sHot ? Hex(0x7CDBFF) : State == sPressed ? Hex(0x25A2E3) : Hex(0x56CEFF);
    const TC bottom = State == sHot ? Hex(0x4AC2F8) : State == sPressed ? Hex(0x178CCB) : Hex(0x2DB2F2);
    A.Fill(track, VGrad(y, y + h, top, bottom));
  } else {
    const TC c = State == sHot ? Hex(0xDCE4EA) : State == sPressed ? Hex(0xB3C0CA) : Hex(0xCBD5DD);
    A.Fill(track, c);
    if (State == sHot) {
      A.Stroke(RR(x + 0.5f, y + 0.5f, w - 1, h - 1, (h - 1) / 2), true, 1.0f, kAccent);
    }
  }
  // The knob; pressed, it stretches towards the middle as if leaning in.
  const float r = h / 2 - 1.6f, cy = y + h / 2;
  const float stretch = State == sPressed ? 4.0f : 0.0f;
  const float left = On ? x + w - 1.6f - 2 * r - stretch : x + 1.6f;
  A.Fill(RR(left, cy - r + 0.8f, 2 * r + stretch, 2 * r, r), Hex(0x0B2A40, 0.22f));
  A.Fill(RR(left, cy - r, 2 * r + stretch, 2 * r, r), kWhite);
}

void MsgIcon(TArt& A, TC Top, TC Bottom, int Glyph) {
  A.Fill(Disc(20, 21, 18.6f), Hex(0x0B2A40, 0.14f));
  A.Fill(Disc(20, 20, 18), VGrad(2, 38, Top, Bottom));
  A.Fill(Disc(20, 20, 18), VGrad(2, 20, Hex(0xFFFFFF, 0.18f), Hex(0xFFFFFF, 0.0f)));
  switch (Glyph) {
    case 0:  // i
      A.Fill(Disc(20, 12.5f, 2.3f), kWhite);
      A.Fill(RR(18.1f, 16.5f, 3.8f, 12.5f, 1.9f), kWhite);
      break;
    case 1: Cross(A, 20, 20, 6.5f, 3.4f, kWhite); break;
    case 2: Check(A, 20.5f, 20.5f, 8.5f, 3.6f, kWhite); break;
    default: {  // ?
      TArrayOfFloatPoint hook = BuildArc(TFloatPoint(20, 15.5f), 1.05f * kPi, 2.42f * kPi, 5.2f, 24);
      hook.push_back({20, 22.5f});
      hook.push_back({20, 23.5f});
      A.Stroke(hook, false, 3.3f, kWhite);
      A.Fill(Disc(20, 29, 2.2f), kWhite);
      break;
    }
  }
}

std::vector<TEntry> Entries() {
  std::vector<TEntry> e;
  auto add = [&](const char16_t* id, Integer w, Integer h, Integer frames, bool stacked, bool opaque,
                 TDrawFrame draw) { e.push_back({{id, w, h, frames, stacked, opaque}, std::move(draw)}); };

  // Push button: normal, hot, pressed, disabled, spare; nine-sliced by thirds.
  add(u"QuarnButton", 150, 27, 5, false, true,
      [](TArt& A, const TFrame& F, Integer K) { Face(A, F.X, F.Y, F.W, F.H - 1, 4, K); });

  // Flat tool button: invisible at rest.
  add(u"QuarnFlatBtn", 66, 22, 3, false, false, [](TArt& A, const TFrame& F, Integer K) {
    if (K == sHot) {
      A.Fill(RR(F.X + 1, F.Y + 1, F.W - 2, F.H - 2, 4), kAccent);
      A.Fill(RR(F.X + 2, F.Y + 2, F.W - 4, F.H - 4, 3), VGrad(F.Y, F.Y + F.H, Hex(0xF4FBFF), Hex(0xE0F4FE)));
    } else if (K == sPressed) {
      A.Fill(RR(F.X + 1, F.Y + 1, F.W - 2, F.H - 2, 4), kAccentDeep);
      A.Fill(RR(F.X + 2, F.Y + 2, F.W - 4, F.H - 4, 3), Inset(F.Y + 2, Solid(Hex(0xC8E4F4))));
    }
  });

  add(u"QuarnDropdownMenu", 60, 32, 4, false, false, [](TArt& A, const TFrame& F, Integer K) {
    A.Stroke(Chevron(F.X + F.W / 2, F.Y + F.H / 2 + (K == sPressed ? 0.6f : 0.0f), 3.2f, TDir::Down), false, 1.6f,
             InkOf(K));
  });

  add(u"QuarnBrower_back", 120, 29, 4, false, true, BrowseButton(TDir::Left, false));
  add(u"QuarnBrower_front", 120, 29, 4, false, true, BrowseButton(TDir::Right, true));
  add(u"QuarnBrower_up", 29, 120, 4, true, true, [](TArt& A, const TFrame& F, Integer K) {
    Face(A, F.X + 2, F.Y + 2, F.W - 5, F.H - 4, 5, K);
    A.Stroke(Chevron(F.X + (F.W - 1) / 2, F.Y + F.H / 2 + (K == sPressed ? 0.6f : 0.0f), 4.2f, TDir::Up), false,
             1.8f, InkOf(K));
  });
  add(u"QuarnBrower_down", 29, 120, 4, true, true, [](TArt& A, const TFrame& F, Integer K) {
    const int state = 3 - K;
    Face(A, F.X + 2, F.Y + 2, F.W - 5, F.H - 4, 5, state);
    A.Stroke(Chevron(F.X + (F.W - 1) / 2, F.Y + F.H / 2 + (state == sPressed ? 0.6f : 0.0f), 4.2f, TDir::Down),
             false, 1.8f, InkOf(state));
  });

  // Tab-set tabs: normal, hot, selected (white text sits on it).
  add(u"QuarnColor_tabs", 360, 40, 3, false, true, [](TArt& A, const TFrame& F, Integer K) {
    const float x = F.X + 1, y = F.Y + 3, w = F.W - 2, h = F.H - 3;
    if (K == 0) {
      A.Fill(TopRound(x, y, w, h, 6), Hex(0xC6D2DB));
      A.Fill(TopRound(x + 1, y + 1, w - 2, h - 1, 5), VGrad(y, y + h, Hex(0xF1F5F8), Hex(0xE2E9EE)));
    } else if (K == 1) {
      A.Fill(TopRound(x, y, w, h, 6), kAccent);
      A.Fill(TopRound(x + 1, y + 1, w - 2, h - 1, 5), VGrad(y, y + h, kWhite, Hex(0xE2F5FF)));
    } else {
      A.Fill(TopRound(x, y, w, h, 6), Hex(0x1A98D9));
      A.Fill(TopRound(x + 1, y + 1, w - 2, h - 1, 5), VGrad(y, y + h, Hex(0x57CDFF), Hex(0x26A8EA)));
    }
  });

  add(u"QuarnMini_close_btn", 24, 12, 2, false, false, [](TArt& A, const TFrame& F, Integer K) {
    const float cx = F.X + 6, cy = F.Y + 6;
    if (K == 1) {
      A.Fill(Disc(cx, cy, 6), Hex(0xEC5159));
      Cross(A, cx, cy, 2.4f, 1.4f, kWhite);
    } else {
      Cross(A, cx, cy, 2.6f, 1.4f, Hex(0x8595A1));
    }
  });

  add(u"QuarnSwitch_on", 102, 17, 3, false, true,
      [](TArt& A, const TFrame& F, Integer K) { SwitchFrame(A, F, true, K); });
  add(u"QuarnSwitch_off", 102, 17, 3, false, true,
      [](TArt& A, const TFrame& F, Integer K) { SwitchFrame(A, F, false, K); });

  add(u"QuarnCheckBox", 60, 15, 4, false, true,
      [](TArt& A, const TFrame& F, Integer K) { CheckBoxFace(A, F.X + 0.5f, F.Y + 0.5f, 14, K >= 2, K % 2 == 1); });
  // Radio frames: unchecked, checked, checked hot, unchecked hot.
  add(u"QuarnRadiobtn", 60, 15, 4, false, true, [](TArt& A, const TFrame& F, Integer K) {
    RadioFace(A, F.X + 0.5f, F.Y + 0.5f, 14, K == 1 || K == 2, K >= 2);
  });

  // Image-slider arrows: left hot, right hot, left, right.
  add(u"QuarnSlides", 128, 48, 4, false, false, [](TArt& A, const TFrame& F, Integer K) {
    const bool hot = K < 2;
    const TDir dir = K % 2 == 0 ? TDir::Left : TDir::Right;
    A.Fill(RR(F.X + 2, F.Y + 4, F.W - 4, F.H - 8, 7), Hex(0x0B2A40, hot ? 0.55f : 0.30f));
    if (hot) A.Stroke(RR(F.X + 2.5f, F.Y + 4.5f, F.W - 5, F.H - 9, 6.5f), true, 1.0f, Hex(0xFFFFFF, 0.35f));
    A.Stroke(Chevron(F.X + F.W / 2, F.Y + F.H / 2, 8, dir), false, 2.6f, kWhite);
  });

  add(u"QuarnBtn_close", 84, 20, 3, false, false, CaptionButton(0));
  add(u"QuarnBtn_max", 84, 20, 3, false, false, CaptionButton(1));
  add(u"QuarnBtn_restore", 84, 20, 3, false, false, CaptionButton(2));
  add(u"QuarnBtn_min", 84, 20, 3, false, false, CaptionButton(3));
  add(u"QuarnTips_close", 48, 16, 3, false, false, CaptionButton(0));

  // Scroll bars, 10 pixels thick.
  const struct {
    const char16_t* Name;
    TDir Dir;
  } arrows[4] = {{u"up", TDir::Up}, {u"down", TDir::Down}, {u"left", TDir::Left}, {u"right", TDir::Right}};
  static const char16_t* const kArrowIDs[4][3] = {
      {u"QuarnScrollbar_arrowup_normal", u"QuarnScrollbar_arrowup_highlight", u"QuarnScrollbar_arrowup_down"},
      {u"QuarnScrollbar_arrowdown_normal", u"QuarnScrollbar_arrowdown_highlight", u"QuarnScrollbar_arrowdown_down"},
      {u"QuarnScrollbar_arrowleft_normal", u"QuarnScrollbar_arrowleft_highlight", u"QuarnScrollbar_arrowleft_down"},
      {u"QuarnScrollbar_arrowright_normal", u"QuarnScrollbar_arrowright_highlight",
       u"QuarnScrollbar_arrowright_down"}};
  for (int d = 0; d < 4; ++d)
    for (int s = 0; s < 3; ++s) {
      const TDir dir = arrows[d].Dir;
      add(kArrowIDs[d][s], 10, 10, 1, false, true,
          [dir, s](TArt& A, const TFrame&, Integer) { ScrollArrow(A, dir, s); });
    }
  add(u"QuarnScrollbar_bar_normal", 10, 20, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, true, sNormal); });
  add(u"QuarnScrollbar_bar_highlight", 10, 20, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, true, sHot); });
  add(u"QuarnScrollbar_bar_down", 10, 20, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, true, sPressed); });
  add(u"QuarnScrollbar_horzbar_normal", 20, 10, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, false, sNormal); });
  add(u"QuarnScrollbar_horzbar_highlight", 20, 10, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, false, sHot); });
  add(u"QuarnScrollbar_horzbar_down", 20, 10, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { ScrollThumb(A, false, sPressed); });
  add(u"QuarnScrollbar_bkg", 10, 30, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { A.Fill(RR(0, 0, 10, 30, 5), Hex(0xEDF1F4)); });
  add(u"QuarnScrollbar_horz_bkg", 30, 10, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { A.Fill(RR(0, 0, 30, 10, 5), Hex(0xEDF1F4)); });

  // Edit and panel frames, nine-sliced: hot adds a soft accent halo.
  add(u"QuarnBorderNormal", 30, 30, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(1, 1, 28, 28, 4), Hex(0xB9C7D2));
    A.Fill(RR(2, 2, 26, 26, 3), kWhite);
  });
  add(u"QuarnBorderHot", 30, 30, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(0, 0, 30, 30, 5), Hex(0x46C4FF, 0.30f));
    A.Fill(RR(1, 1, 28, 28, 4), kAccent);
    A.Fill(RR(2, 2, 26, 26, 3), kWhite);
  });

  // Page-control tabs, open at the bottom where they meet the sheet.
  add(u"QuarnTab_button_normal", 30, 30, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(TopRound(0, 0, 30, 30, 5), Hex(0xC6D2DB));
    A.Fill(TopRound(1, 1, 28, 29, 4), VGrad(0, 30, Hex(0xF0F4F7), Hex(0xE1E8ED)));
  });
  add(u"QuarnTab_button_hot", 30, 30, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(TopRound(0, 0, 30, 30, 5), kAccent);
    A.Fill(TopRound(1, 1, 28, 29, 4), VGrad(0, 30, kWhite, Hex(0xE6F6FF)));
  });
  add(u"QuarnTab_button_down", 30, 30, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(TopRound(0, 0, 30, 30, 5), Hex(0xC6D2DB));
    A.Fill(TopRound(1, 1, 28, 29, 4), [](float, float y) { return y < 3.5f ? kAccent : kWhite; });
  });

  // Progress bar: a groove and the filled part, ends of 6 pixels.
  add(u"QuarnBar_base", 18, 8, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(0, 0, 18, 8, 4), Inset(0, Solid(Hex(0xDDE5EB))));
  });
  add(u"QuarnBar_cur", 18, 8, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(0, 0, 18, 8, 4), VGrad(0, 8, Hex(0x6DD5FF), Hex(0x22A6EA)));
    A.Fill(RR(2, 1, 14, 2.2f, 1.1f), Hex(0xFFFFFF, 0.35f));
  });

  // A slider knob for the progress bar's track button, at rest and hot.
  add(u"QuarnBar_thumb", 15, 15, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(7.5f, 8.3f, 6.6f), Hex(0x0B2A40, 0.18f));
    A.Fill(Disc(7.5f, 7.5f, 6.5f), Hex(0x9FB0BD));
    A.Fill(Disc(7.5f, 7.5f, 5.5f), VGrad(1, 14, kWhite, Hex(0xE9EFF3)));
    A.Fill(Disc(7.5f, 7.5f, 2.0f), Hex(0x22A6EA));
  });
  add(u"QuarnBar_thumb_hot", 15, 15, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(7.5f, 8.3f, 6.6f), Hex(0x0B2A40, 0.22f));
    A.Fill(Disc(7.5f, 7.5f, 6.5f), kAccentDeep);
    A.Fill(Disc(7.5f, 7.5f, 5.3f), VGrad(1, 14, kWhite, Hex(0xE6F6FF)));
    A.Fill(Disc(7.5f, 7.5f, 2.6f), kAccentDeep);
  });

  // The alpha form's background: a panel on a soft translucent shadow.
  add(u"QuarnPreview_bkg", 60, 60, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    for (int i = 0; i < 8; ++i)
      A.Fill(RR(static_cast<float>(i), i + 1.0f, 60.0f - 2 * i, 60.0f - 2 * i - 1, 14.0f - i), Hex(0x0B2A40, 0.035f));
    A.Fill(RR(8, 8, 44, 44, 6), Hex(0xD3DCE3));
    A.Fill(RR(9, 9, 42, 42, 5), VGrad(9, 51, Hex(0xFBFCFD), Hex(0xF2F6F9)));
  });

  // Spin buttons.
  static const char16_t* const kSpinIDs[2][3] = {
      {u"QuarnSpin_normal_up", u"QuarnSpin_highlight_up", u"QuarnSpin_pushed_up"},
      {u"QuarnSpin_normal_down", u"QuarnSpin_highlight_down", u"QuarnSpin_pushed_down"}};
  for (int d = 0; d < 2; ++d)
    for (int s = 0; s < 3; ++s)
      add(kSpinIDs[d][s], 20, 11, 1, false, true, [d, s](TArt& A, const TFrame&, Integer) {
        const TC line = s == 0 ? Hex(0xC3CFD8) : s == 1 ? kAccent : kAccentDeep;
        A.Fill(RR(0.5f, 0.5f, 19, 10, 2.5f), line);
        A.Fill(RR(1.5f, 1.5f, 17, 8, 1.5f), s == 0   ? VGrad(0, 11, kWhite, Hex(0xEDF2F6))
                                            : s == 1 ? VGrad(0, 11, kWhite, Hex(0xDDF3FF))
                                                     : Inset(1.5f, Solid(Hex(0xC9E5F5))));
        A.Stroke(Chevron(10, 5.5f, 2.8f, d == 0 ? TDir::Up : TDir::Down), false, 1.4f, InkOf(s));
      });

  add(u"QuarnDrop_arrow_normal", 18, 18, 1, false, false,
      [](TArt& A, const TFrame&, Integer) { A.Stroke(Chevron(9, 9, 3.6f, TDir::Down), false, 1.6f, kInk); });
  add(u"QuarnDrop_arrow_hot", 18, 18, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(1, 1, 16, 16, 4), Hex(0xDDF2FE));
    A.Stroke(Chevron(9, 9, 3.6f, TDir::Down), false, 1.6f, kAccentInk);
  });

  // Expand box: _1 shows while collapsed (opens downwards), _2 while expanded.
  add(u"QuarnExpand_1", 16, 16, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(8, 8, 7.5f), Hex(0xE6ECF0));
    A.Stroke(Chevron(8, 8.4f, 3.2f, TDir::Down), false, 1.6f, kInk);
  });
  add(u"QuarnExpand_2", 16, 16, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(8, 8, 7.5f), Hex(0xD6EEFB));
    A.Stroke(Chevron(8, 7.6f, 3.2f, TDir::Up), false, 1.6f, kAccentInk);
  });

  add(u"QuarnKeyboard", 20, 16, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(RR(0.5f, 1.5f, 19, 13, 2.5f), Hex(0x7D8D99));
    A.Fill(RR(1.5f, 2.5f, 17, 11, 1.5f), Hex(0xF7F9FB));
    for (int row = 0; row < 2; ++row)
      for (int k = 0; k < 5; ++k)
        A.Fill(RR(3.0f + k * 3, 4.0f + row * 3, 2, 2, 0.5f), Hex(0x6C7C88));
    A.Fill(RR(5.5f, 10, 9, 1.8f, 0.6f), Hex(0x6C7C88));
  });

  add(u"QuarnSearch_icon", 14, 14, 1, false, false, [](TArt& A, const TFrame&, Integer) {
    A.Stroke(Disc(5.8f, 5.8f, 4.2f), true, 1.6f, Hex(0x7A8A96));
    A.Stroke({{9.0f, 9.0f}, {12.6f, 12.6f}}, false, 2.0f, Hex(0x7A8A96));
  });

  add(u"QuarnPasswordchar", 8, 8, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { A.Fill(Disc(4, 4, 3.2f), Hex(0x3E4C57)); });

  // The track bar's thumb hangs under the colour strip: its top rows stay
  // clear over the strip's lower half, then a pointer rises to touch it.
  add(u"QuarnSlider_dragBackground", 12, 20, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    const TArrayOfFloatPoint outline = {{6.0f, 4.6f}, {11.2f, 9.8f}, {11.2f, 17.4f}, {10.6f, 18.9f}, {9.2f, 19.5f},
                                        {2.8f, 19.5f}, {1.4f, 18.9f}, {0.8f, 17.4f}, {0.8f, 9.8f}};
    TArrayOfFloatPoint shadow = outline;
    for (auto& p : shadow) p.Y += 0.8f;
    A.Fill(shadow, Hex(0x0B2A40, 0.18f));
    A.Fill(outline, Hex(0x7F93A2));
    const TArrayOfFloatPoint face = {{6.0f, 6.1f}, {10.2f, 10.3f}, {10.2f, 17.2f}, {9.5f, 18.5f},
                                     {2.5f, 18.5f}, {1.8f, 17.2f}, {1.8f, 10.3f}};
    A.Fill(face, VGrad(6, 19, kWhite, Hex(0xE3EAF0)));
    for (int i = 0; i < 3; ++i) A.Fill(Rectangle(TFloatRect(3.5f, 11.5f + i * 2.2f, 8.5f, 12.4f + i * 2.2f)), Hex(0xA3B2BE));
  });

  add(u"QuarnDrag_flag", 12, 12, 1, false, false, [](TArt& A, const TFrame&, Integer) {
    const float pts[6][2] = {{10, 2}, {10, 6}, {6, 6}, {10, 10}, {6, 10}, {2, 10}};
    for (const auto& p : pts) A.Fill(Disc(p[0], p[1], 1.2f), Hex(0x9AA8B3));
  });

  add(u"QuarnMsgIcon_Info", 40, 40, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { MsgIcon(A, Hex(0x5ACDFF), Hex(0x1E9BE3), 0); });
  add(u"QuarnMsgIcon_Error", 40, 40, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { MsgIcon(A, Hex(0xF57373), Hex(0xD63A3F), 1); });
  add(u"QuarnMsgIcon_OK", 40, 40, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { MsgIcon(A, Hex(0x52D68F), Hex(0x20A462), 2); });
  add(u"QuarnMsgIcon_Question", 40, 40, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { MsgIcon(A, Hex(0xFFBE55), Hex(0xF08C1C), 3); });

  add(u"QuarnCancel_18_Normal", 18, 18, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(9, 9, 7.5f), Hex(0xB1BEC8));
    Cross(A, 9, 9, 2.8f, 1.6f, kWhite);
  });
  add(u"QuarnCancel_18_Hot", 18, 18, 1, false, true, [](TArt& A, const TFrame&, Integer) {
    A.Fill(Disc(9, 9, 7.5f), Hex(0xEC5159));
    Cross(A, 9, 9, 2.8f, 1.6f, kWhite);
  });

  auto calendar = [](TC ink, TC paper) {
    return [ink, paper](TArt& A, const TFrame&, Integer) {
      A.Fill(RR(2, 3, 14, 13, 2), ink);
      A.Fill(Rectangle(TFloatRect(3, 7, 15, 15)), paper);
      A.Fill(RR(3, 7, 12, 8, 1), paper);
      for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) A.Fill(Rectangle(TFloatRect(5.0f + c * 3, 9.0f + r * 3, 7.0f + c * 3, 11.0f + r * 3)), ink);
      A.Stroke({{6, 1.8f}, {6, 4.5f}}, false, 1.6f, ink);
      A.Stroke({{12, 1.8f}, {12, 4.5f}}, false, 1.6f, ink);
    };
  };
  add(u"QuarnCalendar_18_N", 18, 18, 1, false, false, calendar(Hex(0x6F808C), kWhite));
  add(u"QuarnCalendar_18_H", 18, 18, 1, false, false, calendar(Hex(0x1E9BE0), Hex(0xEAF7FF)));

  // Check items of the edit; the hover pair is spelled "_h_18".
  add(u"QuarnCheckedCheckbox_18", 18, 18, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { CheckBoxFace(A, 1.5f, 1.5f, 15, true, false); });
  add(u"QuarnCheckedCheckbox_h_18", 18, 18, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { CheckBoxFace(A, 1.5f, 1.5f, 15, true, true); });
  add(u"QuarnUncheckedCheckbox_18", 18, 18, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { CheckBoxFace(A, 1.5f, 1.5f, 15, false, false); });
  add(u"QuarnUncheckedCheckbox_h_18", 18, 18, 1, false, true,
      [](TArt& A, const TFrame&, Integer) { CheckBoxFace(A, 1.5f, 1.5f, 15, false, true); });
  return e;
}

const std::vector<TEntry>& AllEntries() {
  static const std::vector<TEntry> entries = Entries();
  return entries;
}

}  // namespace

const std::vector<TQnSkinImageInfo>& QnDefaultSkinImages() {
  static const std::vector<TQnSkinImageInfo> infos = [] {
    std::vector<TQnSkinImageInfo> v;
    for (const auto& e : AllEntries()) v.push_back(e.Info);
    return v;
  }();
  return infos;
}

void BuildDefaultSkin(TQuarnBitmapCollection* Bitmaps) {
  Bitmaps->BeginUpdate();
  try {
    for (const auto& e : AllEntries()) {
      TArt art(e.Info.Width, e.Info.Height);
      for (Integer k = 0; k < e.Info.Frames; ++k) e.Draw(art, FrameOf(e.Info, k), k);
      TQuarnBitmapItem* item = Bitmaps->Add();
      item->SetResID(e.Info.ResID);
      item->Bitmap()->SetSize(e.Info.Width, e.Info.Height);
      art.WriteTo(item->Bitmap(), 0, 0);
      item->Bitmap()->Changed();
    }
  } catch (...) {
    Bitmaps->EndUpdate();
    throw;
  }
  Bitmaps->EndUpdate();
}

}  // namespace qn
