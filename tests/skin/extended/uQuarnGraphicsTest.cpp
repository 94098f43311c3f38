// The path data reader against a reference that never parses (random
// commands are written out as text and their absolute meaning is computed
// from the commands themselves), its edge cases and faults, and the
// renderer's pictures against direct polygon fills.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnGraphics.h"

namespace t_u_quarn_graphics_test {

using namespace qn;

namespace {

struct TRec {
  char Op;  // B E M L C S Q T Z
  std::vector<TFloatPoint> P;
};

// Records what the reader tells it and follows the pen like the drawing
// path: closing returns to the figure's start.
class TRecordingPath : public TCustomPath {
 public:
  using TCustomPath::ConicTo;
  using TCustomPath::CurveTo;
  using TCustomPath::LineTo;
  using TCustomPath::MoveTo;
  std::vector<TRec> Log;

  void BeginPath() override { Log.push_back({'B', {}}); }
  void EndPath() override { Log.push_back({'E', {}}); }
  void MoveTo(const TFloatPoint& P) override {
    Log.push_back({'M', {P}});
    FCurrentPoint = FStart = P;
  }
  void LineTo(const TFloatPoint& P) override {
    Log.push_back({'L', {P}});
    FCurrentPoint = P;
  }
  void CurveTo(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P) override {
    Log.push_back({'C', {C1, C2, P}});
    FCurrentPoint = P;
  }
  void CurveTo(const TFloatPoint& C2, const TFloatPoint& P) override {
    Log.push_back({'S', {C2, P}});
    FCurrentPoint = P;
  }
  void ConicTo(const TFloatPoint& C1, const TFloatPoint& P) override {
    Log.push_back({'Q', {C1, P}});
    FCurrentPoint = P;
  }
  void ConicTo(const TFloatPoint& P) override {
    Log.push_back({'T', {P}});
    FCurrentPoint = P;
  }
  void ClosePath() override {
    Log.push_back({'Z', {}});
    FCurrentPoint = FStart;
  }

 private:
  TFloatPoint FStart{0, 0};
};

std::vector<TRec> Read(const std::string& Text) {
  TRecordingPath P;
  ReadSvgPath(Text, P);
  return P.Log;
}

std::string Str(const std::vector<TRec>& L) {
  std::string S;
  for (const TRec& R : L) {
    S += R.Op;
    for (const TFloatPoint& P : R.P) S += "(" + std::to_string(P.X) + "," + std::to_string(P.Y) + ")";
    S += ' ';
  }
  return S;
}

bool Same(const std::vector<TRec>& A, const std::vector<TRec>& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    if (A[I].Op != B[I].Op || A[I].P.size() != B[I].P.size()) return false;
    for (size_t K = 0; K < A[I].P.size(); ++K)
      if (std::fabs(A[I].P[K].X - B[I].P[K].X) > 1e-3 || std::fabs(A[I].P[K].Y - B[I].P[K].Y) > 1e-3) return false;
  }
  return true;
}

std::string MessageOf(const std::string& Text) {
  try {
    Read(Text);
  } catch (const Exception& E) {
    return ToUtf8(E.Message());
  }
  return "(none)";
}

bool RaisesConvert(const std::string& Text) {
  try {
    Read(Text);
  } catch (const EConvertError&) {
    return true;
  } catch (...) {
  }
  return false;
}

// ---- The random generator and its reference ----

class TGenerator {
 public:
  explicit TGenerator(unsigned Seed) : R(Seed) {}

  std::string Text;
  std::vector<TRec> Expected;

  void Build() {
    Text = Blanks(0, 2);
    const bool Rel = Coin();
    Text += Rel ? 'm' : 'M';
    Text += Blanks(0, 2);
    const double X = Value(), Y = Value();
    // The first move separates its numbers like a pair and adds nothing.
    const std::string NY = Num(Y);
    Text += Num(X);
    Text += PairGap(NY) + NY;
    Cur = Start = {X, Y};
    Expected = {{'B', {}}, {'M', {Pt(Cur)}}};
    Closed = false;
    char Last = 'L';
    bool LastRel = Rel;
    Repeat(Last, LastRel, Int(0, 2));
    const int Count = Int(1, 14);
    for (int I = 0; I < Count; ++I) {
      static const char Letters[] = "MLHVCSQTAZ";
      const char C = Letters[Int(0, 9)];
      const bool Rl = Coin();
      Text += Blanks(0, 2);
      Text += Rl ? static_cast<char>(C + 32) : C;
      Text += Blanks(0, 2);
      Args(C, Rl);
      if (C == 'Z') continue;
      Last = C == 'M' ? 'L' : C;
      LastRel = Rl;
      Repeat(Last, LastRel, Int(0, 2));
    }
    Text += Blanks(0, 2);
    Expected.push_back({'E', {}});
  }

 private:
  std::mt19937 R;
  std::string PendingGap;
  struct TD {
    double X, Y;
  } Cur{0, 0}, Start{0, 0};
  bool Closed = false;

  int Int(int A, int B) { return std::uniform_int_distribution<int>(A, B)(R); }
  bool Coin() { return Int(0, 1) == 1; }
  static TFloatPoint Pt(const TD& P) { return FloatPoint(static_cast<Single>(P.X), static_cast<Single>(P.Y)); }
  double Value() { return Int(-400, 400) / 4.0; }

  std::string Blanks(int A, int B) {
    static const char Set[] = " \t\n\r";
    std::string S;
    for (int I = Int(A, B); I > 0; --I) S += Set[Int(0, 3)];
    return S;
  }
  // Between the numbers of a pair: blanks and commas, or nothing before a sign.
  std::string PairGap(const std::string& Next) {
    if ((Next[0] == '-' || Next[0] == '+') && Int(0, 3) == 0) return "";
    static const char* Gaps[] = {" ", ",", " , ", "\t,", ",,", "  "};
    return Gaps[Int(0, 5)];
  }
  // Between other numbers: blanks only, or nothing before a sign.
  std::string Gap(const std::string& Next) {
    if ((Next[0] == '-' || Next[0] == '+') && Int(0, 3) == 0) return "";
    return Blanks(1, 2);
  }

  // k/4 in one of the spellings the reader takes.
  std::string Num(double V) {
    const long Hundredths = std::lround(V * 100);
    const bool Neg = Hundredths < 0;
    const long A = std::labs(Hundredths);
    std::string Sign = Neg ? "-" : (Int(0, 3) == 0 ? "+" : "");
    std::string Int = std::to_string(A / 100);
    std::string Frac = std::to_string(A % 100 + 100).substr(1);
    while (!Frac.empty() && Frac.back() == '0') Frac.pop_back();
    switch (this->Int(0, 3)) {
      case 0:  // plain, leading zero dropped at times
        if (Int == "0" && !Frac.empty() && Coin()) Int = "";
        return Sign + Int + (Frac.empty() ? "" : "." + Frac);
      case 1:  // hundredths with a negative exponent
        return Sign + std::to_string(A) + (Coin() ? "e-2" : "E-02");
      case 2:  // tenths where they do
        if (A % 10 == 0) return Sign + std::to_string(A / 10) + (Coin() ? "e-1" : "E-1");
        return Sign + std::to_string(A) + "e-2";
      default: {  // a fraction scaled up
        const std::string M = "0." + std::to_string(A + 100000).substr(1);
        return Sign + M + (Coin() ? "e3" : "E+3");
      }
    }
  }

  // Appends the numbers with the gaps the reader accepts before each.
  void Numbers(const std::vector<double>& V, const std::vector<bool>& PairStart) {
    for (size_t I = 0; I < V.size(); ++I) {
      const std::string N = Num(V[I]);
      if (I > 0) Text += PairStart[I] ? Gap(N) : PairGap(N);
      Text += N;
    }
  }

  TD Abs(double X, double Y, bool Rel, bool Shift) const {
    TD P{X + (Shift ? 1.5 : 0.0), Y};
    if (Rel) P = {P.X + Cur.X, P.Y + Cur.Y};
    return P;
  }

  void Open() {
    if (!Closed) return;
    Closed = false;
    Expected.push_back({'M', {Pt(Cur)}});
  }

  void Args(char C, bool Rel) {
    switch (C) {
      case 'M': {
        const double X = Value(), Y = Value();
        Numbers({X, Y}, {true, false});
        const TD P = Abs(X, Y, Rel, true);
        Expected.push_back({'E', {}});
        Expected.push_back({'B', {}});
        Expected.push_back({'M', {Pt(P)}});
        Cur = Start = P;
        Closed = false;
        break;
      }
      case 'L':
      case 'T': {
        const double X = Value(), Y = Value();
        Numbers({X, Y}, {true, false});
        const TD P = Abs(X, Y, Rel, true);
        Open();
        Expected.push_back({C, {Pt(P)}});
        Cur = P;
        break;
      }
      case 'H':
      case 'V': {
        const double V = Value();
        Text += Num(V);
        const TD P = C == 'H' ? TD{Rel ? V + Cur.X : V, Cur.Y} : TD{Cur.X, Rel ? V + Cur.Y : V};
        Open();
        Expected.push_back({'L', {Pt(P)}});
        Cur = P;
        break;
      }
      case 'C': {
        std::vector<double> V;
        for (int I = 0; I < 6; ++I) V.push_back(Value());
        Numbers(V, {true, false, true, false, true, false});
        const TD A = Abs(V[0], V[1], Rel, true), B = Abs(V[2], V[3], Rel, true), P = Abs(V[4], V[5], Rel, true);
        Open();
        Expected.push_back({'C', {Pt(A), Pt(B), Pt(P)}});
        Cur = P;
        break;
      }
      case 'S':
      case 'Q': {
        std::vector<double> V;
        for (int I = 0; I < 4; ++I) V.push_back(Value());
        Numbers(V, {true, false, true, false});
        const TD A = Abs(V[0], V[1], Rel, true), P = Abs(V[2], V[3], Rel, true);
        Open();
        Expected.push_back({C, {Pt(A), Pt(P)}});
        Cur = P;
        break;
      }
      case 'A': {
        // Radii, rotation, two one-character flags, end point: read, not drawn.
        std::vector<double> V{std::fabs(Value()), std::fabs(Value())};
        Numbers(V, {true, false});
        Text += Blanks(1, 2) + Num(Value()) + Blanks(1, 2);
        Text += Coin() ? '1' : '0';
        Text += Blanks(0, 1);
        Text += Coin() ? '1' : '0';
        Text += Blanks(0, 1);
        Numbers({Value(), Value()}, {true, false});
        break;
      }
      case 'Z':
        Expected.push_back({'Z', {}});
        Cur = Start;
        Closed = true;
        break;
    }
  }

  // Argument groups without a letter repeat the command before them.
  void Repeat(char C, bool Rel, int Times) {
    for (int I = 0; I < Times; ++I) {
      Text += Blanks(1, 2);
      Args(C, Rel);
    }
  }
};

}  // namespace

TEST(uQuarnGraphics, RandomPathTextsGiveTheReferenceCommands) {
  for (unsigned Seed = 1; Seed <= 3000; ++Seed) {
    TGenerator G(Seed);
    G.Build();
    std::vector<TRec> Got;
    try {
      Got = Read(G.Text);
    } catch (const Exception& E) {
      FAIL() << "seed " << Seed << ": " << ToUtf8(E.Message()) << "\n" << G.Text;
    }
    ASSERT_TRUE(Same(Got, G.Expected)) << "seed " << Seed << "\ntext: " << G.Text << "\ngot:  " << Str(Got)
                                       << "\nwant: " << Str(G.Expected);
  }
}

TEST(uQuarnGraphics, PairsShiftXButMovesAndLinesAlongAxesDoNot) {
  EXPECT_EQ(Str(Read("M 10 10 20 20")), Str({{'B', {}}, {'M', {FloatPoint(10, 10)}}, {'L', {FloatPoint(21.5, 20)}},
                                             {'E', {}}}));
  EXPECT_EQ(Str(Read("m 10 10 20 20")), Str({{'B', {}}, {'M', {FloatPoint(10, 10)}}, {'L', {FloatPoint(31.5, 30)}},
                                             {'E', {}}}));
  EXPECT_EQ(Str(Read("M0 0 L 10 0")), Str({{'B', {}}, {'M', {FloatPoint(0, 0)}}, {'L', {FloatPoint(11.5, 0)}},
                                           {'E', {}}}));
  EXPECT_EQ(Str(Read("M0 0 H 10")), Str({{'B', {}}, {'M', {FloatPoint(0, 0)}}, {'L', {FloatPoint(10, 0)}},
                                         {'E', {}}}));
  EXPECT_EQ(Str(Read("M 1.5e2 0")), Str({{'B', {}}, {'M', {FloatPoint(150, 0)}}, {'E', {}}}));
  // The arc takes all seven values and leaves the pen where it was.
  EXPECT_EQ(Str(Read("M0 0 A 5 5 0 1 1 20 20 L 1 1")),
            Str({{'B', {}}, {'M', {FloatPoint(0, 0)}}, {'L', {FloatPoint(2.5, 1)}}, {'E', {}}}));
  // A figure after a close starts at the closed one's start.
  EXPECT_EQ(Str(Read("M5 5 L 10 5 Z l 0 5")),
            Str({{'B', {}}, {'M', {FloatPoint(5, 5)}}, {'L', {FloatPoint(11.5, 5)}}, {'Z', {}},
                 {'M', {FloatPoint(5, 5)}}, {'L', {FloatPoint(6.5, 10)}}, {'E', {}}}));
  EXPECT_TRUE(Read("").empty());
  EXPECT_TRUE(Read(" \t\r\n ").empty());
}

TEST(uQuarnGraphics, MalformedTextsRaiseTheirMessages) {
  EXPECT_EQ(MessageOf("M0,0 L10,10,20,20"), "Unknown command (,)");
  EXPECT_EQ(MessageOf("L 10 10"), "Unknown first command (L)");
  EXPECT_EQ(MessageOf("  x"), "Unknown first command (x)");
  EXPECT_EQ(MessageOf("M0 0 Z 5"), "Unknown command (5)");
  EXPECT_EQ(MessageOf("M0 0 L 5 5 # 1"), "Unknown command (#)");
  EXPECT_EQ(MessageOf("M0 0 L"), "No Data");
  EXPECT_EQ(MessageOf("M0 0 L 5"), "No Data");
  EXPECT_EQ(MessageOf("M0 0 A 5 5 0 1"), "No Data");
  EXPECT_EQ(MessageOf("M"), "No Data");
  for (const char* T : {"M0 0 L 5 -", "M0 0 L 1e", "M0 0 L 1ex", "M 0 .", "M0 0 L x 1", "M 1e999 0",
                        "M 0 -1e39", "m 3e38 0 l 3e38 0"})
    EXPECT_TRUE(RaisesConvert(T)) << T;
}

TEST(uQuarnGraphics, NumbersUseThePointWhateverTheLocale) {
  const Char Old = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = u',';
  std::vector<TRec> Got;
  try {
    Got = Read("M0 0 L 1.5 2");
  } catch (...) {
    FormatSettings.DecimalSeparator = Old;
    throw;
  }
  FormatSettings.DecimalSeparator = Old;
  ASSERT_EQ(Got.size(), 4u);
  EXPECT_FLOAT_EQ(Got[2].P[0].X, 3.0f);
  EXPECT_FLOAT_EQ(Got[2].P[0].Y, 2.0f);
}

TEST(uQuarnGraphics, EveryLoopPassConsumesText) {
  // Numbers that read nothing, or commands that take nothing, would loop.
  std::mt19937 R(11);
  const std::string Alphabet = "MmLlHhVvCcSsQqTtAaZz0123456789+-.eE, \t";
  for (int I = 0; I < 20000; ++I) {
    std::string T = "M0 0";
    for (int K = std::uniform_int_distribution<int>(0, 30)(R); K > 0; --K)
      T += Alphabet[std::uniform_int_distribution<size_t>(0, Alphabet.size() - 1)(R)];
    TRecordingPath P;
    try {
      const Integer Passes = ReadSvgPath(T, P);
      EXPECT_LE(Passes, static_cast<Integer>(T.size()));
    } catch (const Exception&) {
    }
  }
}

TEST(uQuarnGraphics, ValidationReportsWithoutDrawing) {
  String Msg = u"stale";
  EXPECT_TRUE(ValidateSvgPath(u"M0 0 C 1 2 3 4 5 6 S 1 1 2 2 Q 0 0 9 9 T 4 4 z", Msg));
  EXPECT_TRUE(Msg.empty());
  EXPECT_FALSE(ValidateSvgPath(u"M0 0 L 1 1 Z 3", Msg));
  EXPECT_EQ(Msg, u"Unknown command (3)");
  EXPECT_FALSE(ValidateSvgPath(u"M 1e40 0", Msg));
  EXPECT_FALSE(Msg.empty());
}

// ---- Pictures ----

namespace {

constexpr TColor32 kWhite = 0xFFFFFFFFu;

std::unique_ptr<TBitmap32> Clear(Integer W, Integer H) {
  auto B = std::make_unique<TBitmap32>();
  B->SetSize(W, H);
  B->Clear(kWhite);
  return B;
}

bool SamePixels(TBitmap32* A, TBitmap32* B) {
  for (Integer Y = 0; Y < A->Height(); ++Y)
    for (Integer X = 0; X < A->Width(); ++X)
      if (A->GetPixel(X, Y) != B->GetPixel(X, Y)) return false;
  return true;
}

}  // namespace

TEST(uQuarnGraphics, FillEqualsThePolygonOfTheShiftedPoints) {
  auto A = Clear(20, 16);
  {
    TQnSVGPathRenderer R(A.get());
    R.SetColors(TQnSVGPathColors{pcFill});
    R.SetFillColor(static_cast<TColor>(0x00336699));
    R.SetAlpha(200);
    R.SetPath("M0 0 L10 0 L10 10 L0 10 Z");
  }
  auto B = Clear(20, 16);
  PolygonFS(B.get(), {FloatPoint(0, 0), FloatPoint(11.5, 0), FloatPoint(11.5, 10), FloatPoint(1.5, 10)},
            Color32(0x99, 0x66, 0x33, 200));
  EXPECT_TRUE(SamePixels(A.get(), B.get()));
  EXPECT_NE(A->GetPixel(5, 5), kWhite);
}

TEST(uQuarnGraphics, StrokeWidthShowsAndTheFillAlphaLeavesTheStrokeOpaque) {
  const auto Stroke = [](Integer Width) {
    auto B = Clear(60, 40);
    TQnSVGPathRenderer R(B.get());
    R.SetStrokeColor(static_cast<TColor>(0x000000FF));
    R.SetStrokeWidth(Width);
    R.SetAlpha(0);
    R.SetPath("M 5 20 L 40 20");
    return B;
  };
  auto Thin = Stroke(1), Wide = Stroke(5);
  EXPECT_EQ(Thin->GetPixel(20, 22) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Wide->GetPixel(20, 21), 0xFFFF0000u);
  EXPECT_EQ(Wide->GetPixel(20, 18), 0xFFFF0000u);
  EXPECT_EQ(Wide->GetPixel(20, 24) & 0xFFFFFF, 0xFFFFFFu);
  // The line ends at x 41.5.
  EXPECT_EQ(Wide->GetPixel(40, 20), 0xFFFF0000u);
  EXPECT_EQ(Wide->GetPixel(42, 20) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(uQuarnGraphics, ASecondPathShowsOnlyTheNewColours) {
  auto A = Clear(30, 30);
  TQnSVGPathRenderer R(A.get());
  R.SetAlpha(128);
  R.SetFillColor(static_cast<TColor>(0x000000FF));
  R.SetStrokeColor(static_cast<TColor>(0x0000FF00));
  R.SetPath("M2 2 L 20 2 L 20 20 L 2 20 Z");
  A->Clear(kWhite);
  // An unchanged text draws nothing.
  R.SetPath("M2 2 L 20 2 L 20 20 L 2 20 Z");
  EXPECT_EQ(A->GetPixel(10, 10), kWhite);
  R.SetFillColor(static_cast<TColor>(0x00FF0000));
  R.SetStrokeColor(static_cast<TColor>(0x00000000));
  R.SetPath("M2 2 L 20 2 L 20 20 L 2 20 Z ");
  EXPECT_EQ(R.Canvas32()->Brushes()->Count(), 2);

  auto B = Clear(30, 30);
  TQnSVGPathRenderer Fresh(B.get());
  Fresh.SetAlpha(128);
  Fresh.SetFillColor(static_cast<TColor>(0x00FF0000));
  Fresh.SetStrokeColor(static_cast<TColor>(0x00000000));
  Fresh.SetPath("M2 2 L 20 2 L 20 20 L 2 20 Z");
  EXPECT_TRUE(SamePixels(A.get(), B.get()));
}

TEST(uQuarnGraphics, FiguresEndedBeforeAFaultStayDrawn) {
  auto A = Clear(60, 20);
  TQnSVGPathRenderer R(A.get());
  R.SetColors(TQnSVGPathColors{pcFill});
  R.SetFillColor(static_cast<TColor>(0x00000000));
  EXPECT_THROW(R.SetPath("M0 0 L 10 0 L 10 10 Z M 20 0 L 30 0 L 30 10 Z M 40 0 L 50 0 L 50 10 L"), Exception);
  EXPECT_EQ(A->GetPixel(9, 2), 0xFF000000u);
  EXPECT_EQ(A->GetPixel(29, 2), 0xFF000000u);
  EXPECT_EQ(A->GetPixel(49, 2), kWhite);
  // Figures on either side of a close are both filled, the second from the
  // first one's start.
  A->Clear(kWhite);
  R.SetPath("M0 0 L 10 0 L 10 10 Z L 0 18 L 8 18");
  EXPECT_EQ(A->GetPixel(9, 2), 0xFF000000u);
  EXPECT_EQ(A->GetPixel(4, 15), 0xFF000000u);
}

TEST(uQuarnGraphics, FarCoordinatesCostOnlyTheVisiblePart) {
  auto A = Clear(64, 64);
  TQnSVGPathRenderer R(A.get());
  R.SetColors(TQnSVGPathColors{pcFill, pcStroke});
  R.SetFillColor(static_cast<TColor>(0x00000000));
  R.SetPath("M -1e30 -1e30 L 1e30 -1e30 L 1e30 1e30 L -1e30 1e30 Z C 1e35 1e35 -1e35 1e36 1e20 -1e20");
  EXPECT_EQ(A->GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(A->GetPixel(32, 32), 0xFF000000u);
  EXPECT_EQ(A->GetPixel(63, 63), 0xFF000000u);
}

TEST(uQuarnGraphics, SettingsReportTheirChanges) {
  TQnPen Pen;
  int Changes = 0;
  Pen.SetOnChanged([&](TObject*) { ++Changes; });
  Pen.SetWidth(1);
  Pen.SetColor(static_cast<TColor>(0x008B6366));
  Pen.SetVisible(true);
  Pen.SetStyle(psSolid);
  EXPECT_EQ(Changes, 0);
  Pen.SetStyle(psDash);
  Pen.SetWidth(3);
  EXPECT_EQ(Changes, 2);
  TQnPen Other;
  Other.SetColor(clRed);
  Other.SetVisible(false);
  Pen.Assign(&Other);
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(Pen.Style(), psSolid);
  EXPECT_EQ(Pen.Width(), 1);
  EXPECT_EQ(Pen.Color(), clRed);
  EXPECT_FALSE(Pen.Visible());
  Pen.Assign(&Other);
  EXPECT_EQ(Changes, 3);
  // A plain fill setting hands over only what it has.
  TQnBrush Fill;
  Fill.SetColor(clBlue);
  Pen.SetWidth(7);
  Pen.Assign(&Fill);
  EXPECT_EQ(Pen.Color(), clBlue);
  EXPECT_TRUE(Pen.Visible());
  EXPECT_EQ(Pen.Width(), 7);
}

TEST(uQuarnGraphics, TheSilentStrokeBrushDrawsNothing) {
  auto A = Clear(20, 20);
  TCanvas32 Canvas(A.get());
  auto* B = static_cast<TQnStrokeBrush*>(Canvas.Brushes()->Add(TQnStrokeBrush::StaticClass()));
  B->SetFillColor(0xFF000000u);
  B->SetStrokeWidth(4);
  EXPECT_EQ(B->StrokeWidth(), 4.0f);
  Canvas.Path()->BeginPath();
  Canvas.Path()->MoveTo(FloatPoint(2, 2));
  Canvas.Path()->LineTo(FloatPoint(18, 2));
  Canvas.Path()->LineTo(FloatPoint(18, 18));
  Canvas.Path()->ClosePath();
  Canvas.Path()->LineTo(FloatPoint(2, 18));
  Canvas.Path()->EndPath();
  for (Integer Y = 0; Y < 20; ++Y)
    for (Integer X = 0; X < 20; ++X) ASSERT_EQ(A->GetPixel(X, Y), kWhite);
}

}  // namespace t_u_quarn_graphics_test
