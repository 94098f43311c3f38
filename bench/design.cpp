// One keystroke in the image manager's filter: the store reloads the
// project's image list (the drawn default skin plus 300 added 32 x 32
// images) and the list is rebuilt with the filter. The peer decodes the same
// 300 images from PNG in memory with libpng, the least a list of them that
// is read from files must do. Prints keystrokes per second against decodes
// of the whole set per second, and "ratio filter".
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "BestRate.h"
#include "design/frmQuarnResManager.h"
#include "graphics/raster/uPix32_PNG.h"
#include "package/Quarn.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"

using namespace vcl;
using namespace qn;

namespace {

namespace fs = std::filesystem;

struct TData {
  std::string Dir;
  String Tmp;
  std::vector<std::string> Pngs;
  TQuarnResManagerForm* Form = nullptr;
};
TData* Data = nullptr;

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Prepare() {
  Data = new TData;
  Data->Dir = (fs::temp_directory_path() / ("qn-bench-design-" + std::to_string(::getpid()))).string();
  fs::create_directories(Data->Dir);
  std::unique_ptr<TQuarnResDM> dm(TQuarnResDM::CreateDefault(nullptr));
  TQuarnBitmapCollection* items = dm->QuarnImageListMain()->Bitmaps();
  for (int i = 0; i < 300; ++i) {
    TQuarnImage img;
    img.SetSize(32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        img.SetPixel(x, y, TColor32(0xFF000000u | Cardinal(i * 2654435761u + Cardinal(x * 97 + y * 31))));
    TQuarnBitmapItem* it = items->Add();
    it->SetResID(Format(u"img_%d", {i}));
    it->SetBitmap(&img);
    const std::string png = Data->Dir + "/p" + std::to_string(i) + ".png";
    SaveBitmap32ToPNG(&img, true, 0, FromUtf8(png));
    Data->Pngs.push_back(Slurp(png));
  }
  TMemoryStream bin;
  bin.WriteComponent(dm->QuarnImageListMain());
  bin.SetPosition(0);
  TMemoryStream text;
  ObjectBinaryToText(&bin, &text);
  const std::string tmp = Data->Dir + "/QuarnDesignTimeRes.tmp";
  std::ofstream(tmp, std::ios::binary).write(static_cast<const char*>(text.Memory()), std::streamsize(text.Size()));
  Data->Tmp = FromUtf8(tmp);
  InitQuarnResManagerForm();
  Data->Form = TCustomForm::Create<TQuarnResManagerForm>(nullptr);
}

void FilterOurs(benchmark::State& st) {
  for (auto _ : st) {
    Data->Form->LoadList(Data->Tmp, u"IMG_1");
    benchmark::DoNotOptimize(Data->Form->qnvdtImageList->RootNodeCount());
  }
  st.counters["ops/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

void DecodeLibpng(benchmark::State& st) {
  std::vector<png_byte> out(32 * 32 * 4);
  for (auto _ : st) {
    for (const std::string& p : Data->Pngs) {
      png_image img{};
      img.version = PNG_IMAGE_VERSION;
      png_image_begin_read_from_memory(&img, p.data(), p.size());
      img.format = PNG_FORMAT_BGRA;
      png_image_finish_read(&img, nullptr, out.data(), 0, nullptr);
      benchmark::DoNotOptimize(out.data());
    }
  }
  st.counters["ops/s"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  Prepare();
  for (int round = 0; round < 5; ++round) {
    benchmark::RegisterBenchmark("filter/ours", FilterOurs);
    benchmark::RegisterBenchmark("filter/libpng", DecodeLibpng);
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("ops/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  if (r["filter/ours"] > 0 && r["filter/libpng"] > 0)
    std::printf("ratio filter: %.2f (libpng)\n", r["filter/ours"] / r["filter/libpng"]);
  delete Data->Form;
  fs::remove_all(Data->Dir);
  delete Data;
  qn::Finalize();
  return 0;
}
