// PNG load and save of a 4000 × 3000 RGB picture through the PNG picture, beside
// libpng called directly with the same settings (the same transformations on
// reading, the same compression level and filters on writing) and beside Pillow
// doing the same job, all from and to memory. Pillow runs in a process of its own
// that times its processor time per job; the rest is this process's processor time.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchPictures.h"
#include "formats/png/PngImage.h"

namespace {

using namespace vardel;
namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr int kWidth = 4000, kHeight = 3000;
// The settings of the picture's writer (platform/gdi/PngWrite.cpp).
constexpr int kLevel = 3;
constexpr int kFilters = PNG_ALL_FILTERS;
constexpr size_t kOutputReserve = size_t{64} << 20;

// The picture's rows as the bitmap keeps them: blue, green, red, rows padded to 4 bytes.
const Bytes& BgrRows() {
    static const Bytes rows = [] {
        const Bytes rgb = bench::MakePhotoLikeRgb(kWidth, kHeight);
        const size_t stride = (size_t{kWidth} * 3 + 3) / 4 * 4;
        Bytes bgr(stride * kHeight);
        for (size_t y = 0; y < kHeight; ++y)
            for (size_t x = 0; x < kWidth; ++x)
                for (int k = 0; k < 3; ++k)
                    bgr[y * stride + 3 * x + k] = rgb[(y * kWidth + x) * 3 + 2 - k];
        return bgr;
    }();
    return rows;
}

void WriteBytes(png_structp png, png_bytep data, size_t size) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}
void FlushNothing(png_structp) {}

// libpng directly: the rows written as RGB with the picture's settings.
Bytes DirectEncode(const Bytes& bgr) {
    Bytes out;
    out.reserve(kOutputReserve);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) std::abort();
    png_set_write_fn(png, &out, WriteBytes, FlushNothing);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kFilters);
    png_write_info(png, info);
    png_set_bgr(png);
    const size_t stride = (size_t{kWidth} * 3 + 3) / 4 * 4;
    for (size_t y = 0; y < kHeight; ++y) png_write_row(png, bgr.data() + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

const Bytes& File() {
    static const Bytes file = DirectEncode(BgrRows());
    return file;
}

struct MemorySource {
    const Bytes* bytes;
    size_t at = 0;
};
void ReadBytes(png_structp png, png_bytep out, size_t size) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (source->at + size > source->bytes->size()) png_error(png, "short");
    std::memcpy(out, source->bytes->data() + source->at, size);
    source->at += size;
}

void PictureLoad(benchmark::State& state) {
    const Bytes& file = File();
    for (auto _ : state) {
        TPngImage image;
        TReadOnlyMemoryStream stream(file.data(), file.size());
        image.LoadStream(stream);
        benchmark::DoNotOptimize(image.Image().description.dsBm.bmBits);
    }
}

// libpng directly, with the transformations the picture asks for, into a buffer of
// the bitmap's row layout.
void DirectLoad(benchmark::State& state) {
    const Bytes& file = File();
    for (auto _ : state) {
        MemorySource source{&file};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) std::abort();
        png_set_read_fn(png, &source, ReadBytes);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        const int passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const size_t stride = (size_t{kWidth} * 3 + 3) / 4 * 4;
        std::unique_ptr<uint8_t, decltype(&std::free)> pixels(
            static_cast<uint8_t*>(std::calloc(stride * kHeight, 1)), &std::free);
        for (int pass = 0; pass < passes; ++pass)
            for (size_t y = 0; y < kHeight; ++y)
                png_read_row(png, pixels.get() + y * stride, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void PictureSave(benchmark::State& state) {
    TPngImage image;
    TReadOnlyMemoryStream in(File().data(), File().size());
    image.LoadStream(in);
    for (auto _ : state) {
        TMemoryStream out;
        out.SetSize(static_cast<int64_t>(kOutputReserve));
        out.SetPosition(0);
        image.SaveStream(out);
        benchmark::DoNotOptimize(out.Memory());
    }
}

void DirectSave(benchmark::State& state) {
    const Bytes& rows = BgrRows();
    for (auto _ : state) benchmark::DoNotOptimize(DirectEncode(rows).data());
}

// Pillow in /usr/bin/python3: the job three times after one warm-up, from and to
// memory; prints the median of their processor seconds.
const char* const kPillow =
    "import io, sys, time\n"
    "from PIL import Image\n"
    "data = open(sys.argv[2], 'rb').read()\n"
    "def load():\n"
    "    im = Image.open(io.BytesIO(data)); im.load(); return im\n"
    "im = load()\n"
    "def save():\n"
    "    im.save(io.BytesIO(), 'PNG')\n"
    "job = load if sys.argv[1] == 'load' else save\n"
    "job()\n"
    "times = []\n"
    "for _ in range(3):\n"
    "    t = time.process_time(); job(); times.append(time.process_time() - t)\n"
    "print(sorted(times)[1])\n";

// The file and the script in a folder of their own for the Pillow processes, removed
// when the program ends.
struct TPillowFiles {
    fs::path dir = fs::temp_directory_path() / ("vardel-png-bench-" + std::to_string(::getpid()));
    TPillowFiles() {
        fs::create_directories(dir);
        std::ofstream(dir / "in.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(File().data()),
                   static_cast<std::streamsize>(File().size()));
        std::ofstream(dir / "job.py") << kPillow;
    }
    ~TPillowFiles() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
};

void Pillow(benchmark::State& state, const char* job) {
    static const TPillowFiles files;
    const std::string command = "/usr/bin/python3 " + (files.dir / "job.py").string() + " " + job +
                                " " + (files.dir / "in.png").string();
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        double seconds = 0;
        const bool read = pipe && std::fscanf(pipe, "%lf", &seconds) == 1;
        if (pipe) pclose(pipe);
        if (!read) {
            state.SkipWithError("Pillow for /usr/bin/python3 did not run");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

}  // namespace

BENCHMARK(PictureLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(PictureSave)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectSave)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pillow, Load, "load")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pillow, Save, "save")->UseManualTime()->Unit(benchmark::kMillisecond);
