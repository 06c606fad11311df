// Every pixel command of the main window over a 4000 × 3000 picture, run through
// the real form (menu item, view, surface, change chain), beside a plain loop that
// makes the same grey from the same rows.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "app/Dorsk.h"
#include "app/Workbench.h"
#include "bench/BenchPictures.h"
#include "formats/Modules.h"
#include "graphics/Bitmap.h"
#include "platform/ui/qt/Application.h"

using namespace vardel;

namespace {
constexpr int kWidth = 4000, kHeight = 3000;
constexpr double kPixels = double(kWidth) * kHeight;

// The picture every run starts from: a 24-bit bitmap with varied channels.
TBitmap& Source() {
    static TBitmap* source = [] {
        static TBitmap bitmap;
        bench::MakeVariedPicture(bitmap, kWidth, kHeight);
        return &bitmap;
    }();
    return *source;
}

void PerPixel(benchmark::State& state) {
    state.counters["ns_per_pixel"] =
        benchmark::Counter(kPixels * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Command(benchmark::State& state, TMenuItem* TForm1::*item) {
    // Modal dialogs close at once with their default values.
    Application().OnModalShown = [](TForm& form) { form.Dismiss(); };
    for (auto _ : state) {
        state.PauseTiming();
        Form1->Image1->Picture().AssignGraphic(&Source());
        // The copy that the first change would make is made here, untimed.
        static_cast<TBitmap*>(Form1->Image1->Picture().Graphic())->ScanRow(0);
        state.ResumeTiming();
        (Form1->*item)->Click();
    }
    PerPixel(state);
}

// "Componente Roja" written straight on the rows: the peer of the commands.
void PlainLoop(benchmark::State& state) {
    TBitmap bitmap;
    bitmap.Assign(&Source());
    std::vector<uint8_t*> rows(kHeight);
    for (int y = 0; y < kHeight; ++y) rows[size_t(y)] = bitmap.ScanRow(y);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* p = rows[size_t(y)];
            for (int x = 0; x < kWidth; ++x, p += 3) p[0] = p[1] = p[2];
        }
        benchmark::ClobberMemory();
    }
    PerPixel(state);
}
}  // namespace

BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, ComponenteRoja, &TForm1::ComponenteRoja1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, ComponenteVerde, &TForm1::ComponenteVerde1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, ComponenteAzul, &TForm1::ComponenteAzul1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, TodaRoja, &TForm1::odaRoja1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, TodaVerde, &TForm1::odaVerde1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, TodaAzul, &TForm1::EscaladeGrises1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, Umbral, &TForm1::Umbral1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, Contraste, &TForm1::Contraste1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, HistogramaGris, &TForm1::HistogramaGris1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, Convol2, &TForm1::Convol21)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    SilenceToolkitWarnings();
    TPictureModules modules;
    MakeWorkbenchWindows(StartWorkbenchApplication(argc, argv));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopApplication();
    return 0;
}
