// Every pixel command of the main window over a 4000 × 3000 picture, run through
// the real form (menu item, view, surface, change chain), beside a plain loop over
// the same memory: for the point commands one that makes the same grey from the same
// rows, for the filters one that makes the same nine reads and one write. The erase
// brush is timed as the mouse would drive it, one 3 × 3 square per movement.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "app/Dorsk.h"
#include "app/Unit8.h"
#include "app/Workbench.h"
#include "bench/BenchPictures.h"
#include "formats/Modules.h"
#include "graphics/Bitmap.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/qt/Application.h"

using namespace vardel;

namespace {
constexpr int kWidth = 4000, kHeight = 3000;
// "Convolucion" walks the second view's own area, 577 × 345, less its border.
constexpr int kViewWidth = 577, kViewHeight = 345;

// The pictures every run starts from, 24 or 32 bits, with varied channels.
TBitmap& Source(int bits) {
    static TBitmap* sources[2] = {};
    TBitmap*& source = sources[bits == 32 ? 1 : 0];
    if (!source) {
        static TBitmap made[2];
        source = &made[bits == 32 ? 1 : 0];
        bench::MakeVariedPicture(
            *source, kWidth, kHeight,
            bits == 32 ? TPixelLayout::Format32Bit : TPixelLayout::Format24Bit);
    }
    return *source;
}

void PerPixel(benchmark::State& state, double pixels) {
    state.counters["ns_per_pixel"] =
        benchmark::Counter(pixels * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Gives the view a copy of a source picture; the copy that the first change would
// make is made here, untimed.
void PutSource(TImage& view, int bits) {
    view.Picture().AssignGraphic(&Source(bits));
    static_cast<TBitmap*>(view.Picture().Graphic())->ScanRow(0);
}

void Command(benchmark::State& state, TMenuItem* TForm1::*item, int bits) {
    // Modal dialogs close at once with their default values.
    Application().OnModalShown = [](TForm& form) { form.Dismiss(); };
    for (auto _ : state) {
        state.PauseTiming();
        PutSource(*Form1->Image1, bits);
        state.ResumeTiming();
        (Form1->*item)->Click();
    }
    PerPixel(state, double(kWidth) * kHeight);
}

// "Convol2" from the main view into a second view of the same size, so that every
// position is written.
void Convol2(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Form1->Image1->Picture().AssignGraphic(&Source(24));
        PutSource(*Form8->Image2, 24);
        state.ResumeTiming();
        Form1->Convol21->Click();
    }
    PerPixel(state, double(kWidth - 2) * (kHeight - 2));
}

// "Convolucion" with the file dialog cancelled: in place over the second view's area.
void Convolucion(benchmark::State& state) {
    TDialogProviders providers = DialogProviders();
    providers.fileDialog = [](const TFileDialogRequest&, std::string&) { return false; };
    TScopedDialogProviders cancel(providers);
    for (auto _ : state) {
        state.PauseTiming();
        PutSource(*Form8->Image2, 24);
        state.ResumeTiming();
        Form1->Convolucion1->Click();
    }
    PerPixel(state, double(kViewWidth - 2) * (kViewHeight - 2));
}

// The erase brush over the whole picture: one mouse movement per 3 × 3 square.
void EraseBrush(benchmark::State& state) {
    Form1->Habilitarborrado1->Click();
    long squares = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PutSource(*Form1->Image1, 24);
        state.ResumeTiming();
        for (int y = 1; y < kHeight - 1; y += 3)
            for (int x = 1; x < kWidth - 1; x += 3) {
                Form1->Image1MouseMove(Form1->Image1.get(), 0, x, y);
                ++squares;
            }
    }
    Form1->Deshabilitarborrado1->Click();
    state.counters["ns_per_pixel"] = benchmark::Counter(
        9.0 * double(squares), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<uint8_t*> Rows(TBitmap& bitmap) {
    std::vector<uint8_t*> rows(kHeight);
    for (int y = 0; y < kHeight; ++y) rows[size_t(y)] = bitmap.ScanRow(y);
    return rows;
}

// The rows of a copy of a source picture made untimed, as the commands get theirs: the
// plain loops work on memory in the same state.
std::vector<uint8_t*> FreshRows(benchmark::State& state, TBitmap& bitmap, int bits) {
    state.PauseTiming();
    bitmap.Assign(&Source(bits));
    std::vector<uint8_t*> rows = Rows(bitmap);
    state.ResumeTiming();
    return rows;
}

// "Componente Roja" written straight on the rows: the peer of the point commands.
void PlainLoop(benchmark::State& state, int bits) {
    TBitmap bitmap;
    const int bytes = bits / 8;
    for (auto _ : state) {
        const std::vector<uint8_t*> rows = FreshRows(state, bitmap, bits);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* p = rows[size_t(y)];
            for (int x = 0; x < kWidth; ++x, p += bytes) p[0] = p[1] = p[2];
        }
        benchmark::ClobberMemory();
    }
    PerPixel(state, double(kWidth) * kHeight);
}

// The filter written straight on 24-bit rows: nine reads of the red byte around each
// position, one grey written, rows outer. With the same rows on both sides it works
// in place, as "Convolucion" does.
void FilterRows(const std::vector<uint8_t*>& from, const std::vector<uint8_t*>& to, int width,
                int height) {
    for (int y = 1; y <= height - 2; ++y) {
        const uint8_t* above = from[size_t(y - 1)] + 2;
        const uint8_t* at = from[size_t(y)] + 2;
        const uint8_t* below = from[size_t(y + 1)] + 2;
        uint8_t* out = to[size_t(y)];
        for (int x = 1; x <= width - 2; ++x) {
            const int l = 3 * (x - 1), c = 3 * x, r = 3 * (x + 1);
            int s = above[l] - 2 * above[c] + above[r] - 2 * at[l] + 4 * at[c] - 2 * at[r] +
                    below[l] - 2 * below[c] + below[r];
            s = s < 0 ? 0 : s > 255 ? 255 : s;
            out[c] = out[c + 1] = out[c + 2] = static_cast<uint8_t>(s);
        }
    }
}

void PlainFilter(benchmark::State& state) {
    TBitmap from, to;
    from.Assign(&Source(24));
    const std::vector<uint8_t*> source = Rows(from);
    for (auto _ : state) {
        const std::vector<uint8_t*> target = FreshRows(state, to, 24);
        FilterRows(source, target, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    PerPixel(state, double(kWidth - 2) * (kHeight - 2));
}

void PlainFilterInPlace(benchmark::State& state) {
    TBitmap bitmap;
    for (auto _ : state) {
        const std::vector<uint8_t*> rows = FreshRows(state, bitmap, 24);
        FilterRows(rows, rows, kViewWidth, kViewHeight);
        benchmark::ClobberMemory();
    }
    PerPixel(state, double(kViewWidth - 2) * (kViewHeight - 2));
}
}  // namespace

BENCHMARK_CAPTURE(PlainLoop, 24, 24)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainLoop, 32, 32)->Unit(benchmark::kMillisecond);
#define VARDEL_COMMAND_BENCH(name, item)                                                    \
    BENCHMARK_CAPTURE(Command, name##24, &TForm1::item, 24)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(Command, name##32, &TForm1::item, 32)->Unit(benchmark::kMillisecond)
VARDEL_COMMAND_BENCH(ComponenteRoja, ComponenteRoja1);
VARDEL_COMMAND_BENCH(ComponenteVerde, ComponenteVerde1);
VARDEL_COMMAND_BENCH(ComponenteAzul, ComponenteAzul1);
VARDEL_COMMAND_BENCH(TodaRoja, odaRoja1);
VARDEL_COMMAND_BENCH(TodaVerde, odaVerde1);
VARDEL_COMMAND_BENCH(TodaAzul, EscaladeGrises1);
VARDEL_COMMAND_BENCH(Umbral, Umbral1);
VARDEL_COMMAND_BENCH(Contraste, Contraste1);
BENCHMARK_CAPTURE(Command, HistogramaGris, &TForm1::HistogramaGris1, 24)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(Convol2)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFilterInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(Convolucion)->Unit(benchmark::kMillisecond);
BENCHMARK(EraseBrush)->Unit(benchmark::kMillisecond);

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
