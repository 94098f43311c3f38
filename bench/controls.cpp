// The standard skinned controls against the host's plain controls, in one
// process, on the virtual clock:
//  controls-repaint     every control of the standard-controls form made
//                       invalid, then messages pumped until no paint is
//                       pending; the peer is a form of plain TButton,
//                       TPanel, TEdit and TListBox, each at the bounds of the
//                       skinned control it stands for;
//  controls-listscroll  a 10,000-item list wheeled from top to bottom one
//                       notch at a time, each notch repainted; TQuarnListBox
//                       against TListBox;
//  controls-edit-N      one character typed at the end of N characters and
//                       the window repainted; TQuarnEdit against TMemo.
// Each ratio is the peer's time over ours.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/ControlsForm.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "skin/foundation/uQnPix32Lib.h"

using namespace gallery;
using namespace qn;

namespace {

void Pump() { TControlsDriver::Pump(); }

// Marks every control below Parent invalid, windowless ones included, so a
// skinned control rebuilds its picture and a plain one repaints.
void InvalidateAll(TWinControl* Parent) {
  Parent->Invalidate();
  for (Integer i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    c->Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(c)) InvalidateAll(w);
  }
}

// The plain control a skinned one stands for: edits are TEdit, lists and
// memos TListBox, buttons and boxes TButton, everything else TPanel (which
// holds the plain stand-ins of a container's children).
void Mirror(TWinControl* Skinned, TWinControl* Plain, TComponent* Owner) {
  for (Integer i = 0; i < Skinned->ControlCount(); ++i) {
    TControl* s = Skinned->Controls(i);
    TControl* p;
    bool container = false;
    if (s->InheritsFrom(TQuarnPngEdit::StaticClass())) {
      p = new TEdit(Owner);
    } else if (s->InheritsFrom(TQuarnCustomListBox::StaticClass()) ||
               s->InheritsFrom(TQuarnMemoEx::StaticClass())) {
      auto* l = new TListBox(Owner);
      for (Integer k = 0; k < 30; ++k) l->Items()->Add(u"Item " + IntToStr(k));
      p = l;
    } else if (s->InheritsFrom(TQuarnCustomButton::StaticClass()) || s->InheritsFrom(TQuarnCheckBox::StaticClass()) ||
               s->InheritsFrom(TQuarnRadioBox::StaticClass())) {
      p = new TButton(Owner);
    } else {
      p = new TPanel(Owner);
      container = true;
    }
    p->SetParent(Plain);
    p->SetBounds(s->Left(), s->Top(), s->Width(), s->Height());
    p->SetCaption(s->Caption());
    if (container)
      if (auto* sw = dynamic_cast<TWinControl*>(s)) Mirror(sw, static_cast<TWinControl*>(p), Owner);
  }
}

void RepaintOurs(benchmark::State& st) {
  std::unique_ptr<TControlsForm> form = LoadControlsForm();
  form->Show();
  TControlsDriver(form.get()).Wait(200);
  for (auto _ : st) {
    InvalidateAll(form.get());
    Pump();
  }
}

void RepaintPlain(benchmark::State& st) {
  std::unique_ptr<TControlsForm> skinned = LoadControlsForm();
  auto form = std::make_unique<TForm>(nullptr);
  form->SetPosition(poDesigned);
  form->SetBounds(skinned->Left(), skinned->Top(), skinned->Width(), skinned->Height());
  Mirror(skinned.get(), form.get(), form.get());
  skinned.reset();
  form->Show();
  Pump();
  for (auto _ : st) {
    InvalidateAll(form.get());
    Pump();
  }
}

// A form holding one control of the given kind, shown and focused.
template <class T>
struct TSingle {
  std::unique_ptr<TForm> Form;
  T* Control = nullptr;
  TSingle(Integer W, Integer H) : Form(std::make_unique<TForm>(nullptr)) {
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 40, W + 40, H + 60);
    Control = new T(Form.get());
    Control->SetParent(Form.get());
    Control->SetBounds(10, 10, W, H);
    Form->Show();
    Pump();
  }
};

constexpr Integer kListItems = 10000;

// One notch at a time from the top to the bottom, each repainted; at the
// bottom (a notch that moved nothing) the list goes back up, untimed.
void WheelThrough(benchmark::State& st, TWinControl* Focus, const std::function<Integer()>& Top,
                  const std::function<void()>& Rewind) {
  Focus->SetFocus();
  Pump();
  Integer notches = 0, rows = 0;
  bool atBottom = false;
  for (auto _ : st) {
    if (atBottom) {
      st.PauseTiming();
      Rewind();
      Pump();
      st.ResumeTiming();
    }
    const Integer from = Top();
    InputMouseWheel(-WHEEL_DELTA);
    Pump();
    ++notches;
    rows += Top() - from;
    atBottom = Top() == from;
  }
  // Rows per notch: a list that did not move measured nothing.
  st.counters["rows"] = notches ? double(rows) / notches : 0.0;
}

void ListScrollOurs(benchmark::State& st) {
  TSingle<TQuarnListBox> s(300, 400);
  s.Control->Items()->BeginUpdate();
  for (Integer i = 0; i < kListItems; ++i) s.Control->Items()->Add(u"Row " + IntToStr(i));
  s.Control->Items()->EndUpdate();
  Pump();
  TListBox* inner = s.Control->ListBox;
  TQuarnListBox* list = s.Control;
  WheelThrough(
      st, inner, [inner] { return inner->TopIndex(); },
      [list] {
        list->ListBox->SetTopIndex(0);
        list->UpDateScrollBar();
      });
}

void ListScrollPlain(benchmark::State& st) {
  TSingle<TListBox> s(300, 400);
  s.Control->Items()->BeginUpdate();
  for (Integer i = 0; i < kListItems; ++i) s.Control->Items()->Add(u"Row " + IntToStr(i));
  s.Control->Items()->EndUpdate();
  Pump();
  TListBox* l = s.Control;
  WheelThrough(
      st, l, [l] { return l->TopIndex(); }, [l] { l->SetTopIndex(0); });
}

String Text(Integer N) {
  String t;
  t.reserve(size_t(N));
  for (Integer i = 0; i < N; ++i) t += Char(i % 11 == 10 ? u' ' : u'a' + i % 26);
  return t;
}

// One character typed at the end, repainted; every 200 characters the text
// goes back to its length, untimed.
template <class T>
void TypeAtEnd(benchmark::State& st, Integer N, T* Control, const std::function<void()>& Reset) {
  Control->SetFocus();
  Reset();
  Pump();
  Integer typed = 0;
  for (auto _ : st) {
    InputType(u"x");
    Pump();
    if (++typed % 200 == 0) {
      st.PauseTiming();
      Reset();
      Pump();
      st.ResumeTiming();
    }
  }
}

void EditOurs(benchmark::State& st, Integer N) {
  TSingle<TQuarnEdit> s(400, 28);
  const String text = Text(N);
  TQuarnEdit* e = s.Control;
  TypeAtEnd(st, N, e, [e, &text] {
    e->SetText(text);
    e->SetSelStart(Integer(text.size()));
  });
}

void EditPlain(benchmark::State& st, Integer N) {
  TSingle<TMemo> s(400, 28);
  const String text = Text(N);
  TMemo* m = s.Control;
  m->SetWordWrap(false);
  TypeAtEnd(st, N, m, [m, &text] {
    m->SetText(text);
    m->SetSelStart(Integer(text.size()));
  });
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;  // per iteration, the best repetition
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      const double s = run.real_accumulated_time / double(run.iterations);
      auto it = seconds.find(run.run_name.function_name);
      if (it == seconds.end() || s < it->second) seconds[run.run_name.function_name] = s;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  SetScreenSize(1100, 780);
  SetVirtualClock(true);
  benchmark::RegisterBenchmark("ours/controls-repaint", RepaintOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("plain/controls-repaint", RepaintPlain)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("ours/controls-listscroll", ListScrollOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("plain/controls-listscroll", ListScrollPlain)->Unit(benchmark::kMicrosecond);
  for (Integer n : {1000, 10000}) {
    const std::string s = std::to_string(n);
    benchmark::RegisterBenchmark(("ours/controls-edit-" + s).c_str(), [n](benchmark::State& st) { EditOurs(st, n); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("plain/controls-edit-" + s).c_str(), [n](benchmark::State& st) { EditPlain(st, n); })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* name : {"controls-repaint", "controls-listscroll", "controls-edit-1000", "controls-edit-10000"}) {
    const double o = reporter.seconds[std::string("ours/") + name], p = reporter.seconds[std::string("plain/") + name];
    std::printf("ratio %s: %.2f (plain controls)\n", name, o > 0 ? p / o : 0.0);
  }
  qn::Finalize();
  return 0;
}
