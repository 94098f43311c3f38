#include "skin/extended/uQuarnGraphics.h"

#include <charconv>
#include <cmath>

#include "graphics/raster/Pix32_qn_Routines.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

// ---- TQnBrush, TQnPen ----

void TQnBrush::DoChanged() {
  if (FOnChanged) FOnChanged(this);
}

void TQnBrush::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  DoChanged();
}

void TQnBrush::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

void TQnBrush::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TQnBrush*>(Source)) {
    if (S == this) return;
    const bool Same = FColor == S->FColor && FVisible == S->FVisible;
    FColor = S->FColor;
    FVisible = S->FVisible;
    if (!Same) DoChanged();
    return;
  }
  inherited::Assign(Source);
}

void TQnPen::SetStyle(TQnPenStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  DoChanged();
}

void TQnPen::SetWidth(Integer Value) {
  if (FWidth == Value) return;
  FWidth = Value;
  DoChanged();
}

void TQnPen::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TQnPen*>(Source)) {
    if (S == this) return;
    const bool Same = FColor == S->FColor && FVisible == S->FVisible && FWidth == S->FWidth && FStyle == S->FStyle;
    FColor = S->FColor;
    FVisible = S->FVisible;
    FWidth = S->FWidth;
    FStyle = S->FStyle;
    if (!Same) DoChanged();
    return;
  }
  // A plain fill setting gives what it has: colour and visibility.
  TQnBrush::Assign(Source);
}

void TQnStrokeBrush::SetStrokeWidth(TFloat Value) {
  if (FStrokeWidth == Value) return;
  FStrokeWidth = Value;
  Changed();
}

// ---- The path data reader ----

namespace {

// A path that only follows the pen: validation needs the current point for
// relative commands but no flattened curves.
class TTrackingPath : public TCustomPath {
 public:
  using TCustomPath::ConicTo;
  using TCustomPath::CurveTo;
  void CurveTo(const TFloatPoint& C1, const TFloatPoint& C2, const TFloatPoint& P) override {
    (void)C1;
    FCurrentPoint = P;
    FLastControlPoint = C2;
    FControlPointOrigin = TControlPointOrigin::cpCubic;
  }
  void ConicTo(const TFloatPoint& C1, const TFloatPoint& P) override {
    FCurrentPoint = P;
    FLastControlPoint = C1;
    FControlPointOrigin = TControlPointOrigin::cpConic;
  }
  void MoveTo(const TFloatPoint& P) override {
    TCustomPath::MoveTo(P);
    FStart = P;
  }
  // Closing returns the pen to the figure's start, as the drawing path does.
  void ClosePath() override { FCurrentPoint = FStart; }

 private:
  TFloatPoint FStart{0, 0};
};

String CharText(char C) { return String(1, static_cast<Char>(static_cast<unsigned char>(C))); }

class TSvgPathReader {
 public:
  TSvgPathReader(const AnsiString& Text, TCustomPath& Path) : S(Text.data()), N(Text.size()), FPath(Path) {}

  Integer Run() {
    SkipBlanks();
    if (Pos >= N) return 0;
    const char First = S[Pos];
    if (First != 'M' && First != 'm') throw Exception(u"Unknown first command (%s)", {CharText(First)});
    bool Relative = First == 'm';
    ++Pos;
    SkipBlanks();
    const Single X = ReadNumber();
    SkipSeparators();
    SkipBlanks();
    const Single Y = ReadNumber();
    SkipBlanks();
    FPath.BeginPath();
    FPath.MoveTo(FloatPoint(X, Y));
    char Command = 'L';
    Integer Passes = 0;
    while (Pos < N) {
      ++Passes;
      const char C = S[Pos];
      if (IsCommand(C)) {
        Command = static_cast<char>(C & ~0x20);
        Relative = C >= 'a';
        ++Pos;
        SkipBlanks();
      } else if (!StartsNumber(C) || Command == 'Z') {
        // A number after Z has nothing to belong to; repeating the Z on it
        // would read nothing and never move on.
        throw Exception(u"Unknown command (%s)", {CharText(C)});
      }
      Execute(Command, Relative);
      // Pairs after a move draw lines.
      if (Command == 'M') Command = 'L';
    }
    FPath.EndPath();
    return Passes;
  }

 private:
  static bool IsBlank(char C) { return C == 9 || C == 10 || C == 13 || C == 32; }
  static bool IsDigit(char C) { return C >= '0' && C <= '9'; }
  static bool StartsNumber(char C) { return IsDigit(C) || C == '+' || C == '-' || C == '.'; }
  static bool IsCommand(char C) {
    switch (C & ~0x20) {
      case 'M': case 'L': case 'H': case 'V': case 'C': case 'S': case 'Q': case 'T': case 'A': case 'Z':
        return (C & 0x40) != 0;
      default:
        return false;
    }
  }

  void SkipBlanks() {
    while (Pos < N && IsBlank(S[Pos])) ++Pos;
  }
  void SkipSeparators() {
    while (Pos < N && (IsBlank(S[Pos]) || S[Pos] == ',')) ++Pos;
  }
  void SkipDigits() {
    while (Pos < N && IsDigit(S[Pos])) ++Pos;
  }
  // A fraction or exponent mark that ends the text starts nothing.
  bool MarkAt(char A, char B) const { return Pos + 1 < N && (S[Pos] == A || S[Pos] == B); }

  Single ReadNumber() {
    if (Pos >= N) throw Exception(u"No Data");
    const size_t Start = Pos;
    if (S[Pos] == '+' || S[Pos] == '-') ++Pos;
    SkipDigits();
    if (MarkAt('.', '.')) {
      ++Pos;
      SkipDigits();
    }
    if (MarkAt('E', 'e')) {
      ++Pos;
      if (Pos < N && (S[Pos] == '+' || S[Pos] == '-')) ++Pos;
      SkipDigits();
    }
    return Convert(Start, Pos);
  }

  // Always with '.', whatever the locale says: path data is not local text.
  Single Convert(size_t From, size_t To) const {
    const char* B = S + From;
    const char* E = S + To;
    const char* D = B != E && *B == '+' ? B + 1 : B;
    double V = 0;
    const auto R = std::from_chars(D, E, V);
    if (D != E && R.ec == std::errc() && R.ptr == E) return Finite(V, From, To);
    // What the fast reader refuses goes to the platform's conversion, which
    // raises its own error for a text that is no number.
    const String Text = CharsText(From, To);
    return Finite(static_cast<double>(StrToFloat(Text, TFormatSettings::Invariant())), From, To);
  }

  String CharsText(size_t From, size_t To) const {
    String T;
    for (size_t I = From; I < To; ++I) T.push_back(static_cast<Char>(static_cast<unsigned char>(S[I])));
    return T;
  }

  Single Finite(double V, size_t From, size_t To) const {
    const Single F = static_cast<Single>(V);
    if (!std::isfinite(F)) throw EConvertError(u"'%s' is not a finite coordinate", {CharsText(From, To)});
    return F;
  }

  static TFloatPoint Checked(const TFloatPoint& P) {
    if (!std::isfinite(P.X) || !std::isfinite(P.Y))
      throw EConvertError(u"A coordinate sum leaves the range of numbers");
    return P;
  }

  TFloatPoint ReadPair() {
    const Single X = static_cast<Single>(ReadNumber() + 1.5f);
    SkipSeparators();
    const Single Y = ReadNumber();
    SkipBlanks();
    return FloatPoint(X, Y);
  }

  TFloatPoint ReadPoint(bool Relative, const TFloatPoint& Base) {
    TFloatPoint P = ReadPair();
    if (Relative) P = FloatPoint(P.X + Base.X, P.Y + Base.Y);
    return Checked(P);
  }

  char ReadFlag() {
    if (Pos >= N) throw Exception(u"No Data");
    const char C = S[Pos++];
    SkipBlanks();
    return C;
  }

  // A figure closed by Z is followed by one that starts where the closed
  // one did; the drawing path has to be told, or it loses that first point.
  void StartAfterClose() {
    if (!FClosed) return;
    FClosed = false;
    FPath.MoveTo(FPath.CurrentPoint());
  }

  void Execute(char Command, bool Relative) {
    const TFloatPoint Cur = FPath.CurrentPoint();
    switch (Command) {
      case 'M': {
        const TFloatPoint P = ReadPoint(Relative, Cur);
        FPath.EndPath();
        FPath.BeginPath();
        FPath.MoveTo(P);
        FClosed = false;
        break;
      }
      case 'L': {
        const TFloatPoint P = ReadPoint(Relative, Cur);
        StartAfterClose();
        FPath.LineTo(P);
        break;
      }
      case 'H': {
        Single X = ReadNumber();
        SkipBlanks();
        if (Relative) X += Cur.X;
        const TFloatPoint P = Checked(FloatPoint(X, Cur.Y));
        StartAfterClose();
        FPath.LineTo(P);
        break;
      }
      case 'V': {
        Single Y = ReadNumber();
        SkipBlanks();
        if (Relative) Y += Cur.Y;
        const TFloatPoint P = Checked(FloatPoint(Cur.X, Y));
        StartAfterClose();
        FPath.LineTo(P);
        break;
      }
      case 'C': {
        const TFloatPoint C1 = ReadPoint(Relative, Cur);
        const TFloatPoint C2 = ReadPoint(Relative, Cur);
        const TFloatPoint P = ReadPoint(Relative, Cur);
        StartAfterClose();
        FPath.CurveTo(C1, C2, P);
        break;
      }
      case 'S': {
        const TFloatPoint C2 = ReadPoint(Relative, Cur);
        const TFloatPoint P = ReadPoint(Relative, Cur);
        StartAfterClose();
        FPath.CurveTo(C2, P);
        break;
      }
      case 'Q': {
        const TFloatPoint C1 = ReadPoint(Relative, Cur);
        const TFloatPoint P = ReadPoint(Relative, Cur);
        StartAfterClose();
        FPath.ConicTo(C1, P);
        break;
      }
      case 'T': {
        const TFloatPoint P = ReadPoint(Relative, Cur);
        StartAfterClose();
        FPath.ConicTo(P);
        break;
      }
      case 'A': {
        // Arcs are read whole and not drawn: the pen stays where it was.
        ReadPair();
        ReadNumber();
        SkipBlanks();
        ReadFlag();
        ReadFlag();
        ReadPair();
        break;
      }
      case 'Z':
        FPath.ClosePath();
        FClosed = true;
        break;
      default:
        break;
    }
  }

  const char* S;
  size_t N;
  size_t Pos = 0;
  TCustomPath& FPath;
  bool FClosed = false;
};

}  // namespace

Integer ReadSvgPath(const AnsiString& Path, TCustomPath& Target) { return TSvgPathReader(Path, Target).Run(); }

bool ValidateSvgPath(const String& Path, String& Msg) {
  TTrackingPath Tracker;
  try {
    ReadSvgPath(ToUtf8(Path), Tracker);
  } catch (const Exception& E) {
    Msg = E.Message();
    return false;
  }
  Msg.clear();
  return true;
}

// ---- TQnSVGPathRenderer ----

TQnSVGPathRenderer::TQnSVGPathRenderer(TCustomBitmap32* Bitmap) : FCanvas32(std::make_unique<TCanvas32>(Bitmap)) {}

TQnSVGPathRenderer::~TQnSVGPathRenderer() = default;

void TQnSVGPathRenderer::SetPath(const AnsiString& Value) {
  if (FPath == Value) return;
  FPath = Value;
  Refresh();
}

void TQnSVGPathRenderer::Refresh() {
  // The pair of an earlier refresh would draw every figure again, in the
  // colours it was made with.
  delete FFill;
  FFill = nullptr;
  delete FStroke;
  FStroke = nullptr;
  TBrushCollection* Brushes = FCanvas32->Brushes();
  if (FColors.Contains(pcFill)) {
    FFill = static_cast<TSolidBrush*>(Brushes->Add(TSolidBrush::StaticClass()));
    FFill->SetFillColor(qn::SetAlpha(Color32(FFillColor), FAlpha));
  }
  if (FColors.Contains(pcStroke)) {
    FStroke = static_cast<TStrokeBrush*>(Brushes->Add(TStrokeBrush::StaticClass()));
    FStroke->SetFillColor(qn::SetAlpha(Color32(FStrokeColor), 255));
    FStroke->SetStrokeWidth(static_cast<TFloat>(FStrokeWidth));
    FStroke->SetFillMode(TPolyFillMode::pfNonZero);
  }
  RenderPath(FPath);
}

void TQnSVGPathRenderer::RenderPath(const AnsiString& Path) { ReadSvgPath(Path, *FCanvas32->Path()); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnBrush)
QN_PUBLISHED_IMPL(qn::TQnPen)
