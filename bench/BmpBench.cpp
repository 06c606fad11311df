// BMP load and save of a 24-bit 4000 × 3000 file, beside a plain read and write of
// the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

#include "graphics/Bitmap.h"
#include "platform/runtime/Streams.h"

using namespace vardel;
namespace fs = std::filesystem;

namespace {
const std::string& SampleFile() {
    static const std::string path = [] {
        const std::string p = (fs::temp_directory_path() / "vardel-bench-24.bmp").string();
        TBitmap bitmap;
        bitmap.SetPixelLayout(TPixelLayout::Format24Bit);
        bitmap.SetSize(4000, 3000);
        for (int y = 0; y < 3000; ++y) {
            uint8_t* row = bitmap.ScanRow(y);
            for (int x = 0; x < 3 * 4000; ++x) row[x] = static_cast<uint8_t>(x * 7 + y);
        }
        bitmap.SaveFile(p);
        return p;
    }();
    return path;
}

void Load(benchmark::State& state) {
    for (auto _ : state) {
        TBitmap bitmap;
        bitmap.LoadFile(SampleFile());
        benchmark::DoNotOptimize(bitmap.Width());
    }
}

void PlainRead(benchmark::State& state) {
    for (auto _ : state) {
        TFileStream in(SampleFile(), FileMode::OpenRead);
        std::vector<uint8_t> bytes(static_cast<size_t>(in.Size()));
        in.ReadBuffer(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(bytes.data());
    }
}

void Save(benchmark::State& state) {
    TBitmap bitmap;
    bitmap.LoadFile(SampleFile());
    const std::string out = SampleFile() + ".out";
    for (auto _ : state) bitmap.SaveFile(out);
    std::remove(out.c_str());
}

void PlainWrite(benchmark::State& state) {
    TFileStream in(SampleFile(), FileMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(in.Size()));
    in.ReadBuffer(bytes.data(), bytes.size());
    const std::string out = SampleFile() + ".plain";
    for (auto _ : state) {
        TFileStream f(out, FileMode::Create);
        f.WriteBuffer(bytes.data(), bytes.size());
    }
    std::remove(out.c_str());
}
}  // namespace

BENCHMARK(Load)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(Save)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWrite)->Unit(benchmark::kMillisecond);
