// GIF decoding and encoding beside giflib, on the same indices in the same run:
// a 200-frame 640 x 480 animation and a 4000 x 3000 still. Drawing the still on a
// 32-bit bitmap beside giflib's decoding and a plain loop that looks each index up
// in the colour map.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/gif/GifImage.h"
#include "formats/gif/GifModule.h"
#include "graphics/Bitmap.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Both encoders write into memory reserved beforehand, so that growing the output
// is no part of the measurement.
constexpr size_t kOutputReserve = size_t{96} << 20;

struct TScene {
    int width, height, frames;
};
constexpr TScene kAnimation{640, 480, 200};
constexpr TScene kStill{4000, 3000, 1};

// Indices like those of a photograph reduced to 256 colours: smooth shapes with a
// little dithering noise. Frames of an animation move the shapes.
std::vector<Bytes> MakeFrames(const TScene& scene) {
    std::vector<Bytes> frames;
    uint32_t seed = 12345;
    for (int f = 0; f < scene.frames; ++f) {
        Bytes pixels(size_t(scene.width) * size_t(scene.height));
        for (int y = 0; y < scene.height; ++y) {
            for (int x = 0; x < scene.width; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const double v = 60 * std::sin((x + 3 * f) / 37.0) +
                                 50 * std::cos((y - 2 * f) / 23.0) + 40 * std::sin((x + y) / 71.0) +
                                 128;
                const int noise = (seed >> 29) - 3;  // -3 .. 4
                pixels[size_t(y) * size_t(scene.width) + size_t(x)] =
                    static_cast<uint8_t>(std::clamp(int(v) / 2 * 2 + noise, 0, 255));
            }
        }
        frames.push_back(std::move(pixels));
    }
    return frames;
}

int WriteToVector(GifFileType* file, const GifByteType* data, int size) {
    auto* out = static_cast<Bytes*>(file->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

struct TReader {
    const Bytes* bytes;
    size_t at;
};

int ReadFromVector(GifFileType* file, GifByteType* data, int size) {
    auto* in = static_cast<TReader*>(file->UserData);
    const size_t n = std::min(size_t(size), in->bytes->size() - in->at);
    std::memcpy(data, in->bytes->data() + in->at, n);
    in->at += n;
    return int(n);
}

// giflib's whole-file writer; the frames are copied in first (outside the measurement),
// as giflib takes them over.
Bytes GiflibEncode(const TScene& scene, const std::vector<Bytes>& frames, benchmark::State* state) {
    Bytes out;
    out.reserve(kOutputReserve);
    int error = 0;
    if (state) state->PauseTiming();
    GifFileType* file = EGifOpen(&out, &WriteToVector, &error);
    file->SWidth = scene.width;
    file->SHeight = scene.height;
    file->SColorResolution = 8;
    std::vector<GifColorType> map(256);
    for (int i = 0; i < 256; ++i) map[size_t(i)] = {GifByteType(i), GifByteType(i), GifByteType(i)};
    file->SColorMap = GifMakeMapObject(256, map.data());
    for (const Bytes& pixels : frames) {
        SavedImage* saved = GifMakeSavedImage(file, nullptr);
        saved->ImageDesc.Width = scene.width;
        saved->ImageDesc.Height = scene.height;
        saved->RasterBits = static_cast<GifByteType*>(std::malloc(pixels.size()));
        std::memcpy(saved->RasterBits, pixels.data(), pixels.size());
    }
    SavedImage* images = file->SavedImages;
    ColorMapObject* screenMap = file->SColorMap;
    if (state) state->ResumeTiming();
    EGifSpew(file);
    if (state) state->PauseTiming();
    // EGifSpew closes the file but leaves the frames and the screen map to the caller.
    for (size_t i = 0; i < frames.size(); ++i) std::free(images[i].RasterBits);
    std::free(images);
    GifFreeMapObject(screenMap);
    if (state) state->ResumeTiming();
    return out;
}

std::unique_ptr<vardel::TGIFImage> OurImage(const TScene& scene, const std::vector<Bytes>& frames) {
    auto image = std::make_unique<vardel::TGIFImage>();
    image->Header().ScreenWidth = uint16_t(scene.width);
    image->Header().ScreenHeight = uint16_t(scene.height);
    for (int i = 0; i < 256; ++i)
        image->Header().GlobalColorMap().Add({uint8_t(i), uint8_t(i), uint8_t(i)});
    for (const Bytes& pixels : frames) {
        auto& frame = image->Frames().Add(std::make_unique<vardel::TGIFSubImage>(image.get()));
        frame.Width = uint16_t(scene.width);
        frame.Height = uint16_t(scene.height);
        frame.Pixels = pixels;
    }
    return image;
}

// Both decoders must read the file to the indices it was made from.
void Check(const std::vector<Bytes>& frames, const Bytes& file) {
    vardel::TGIFImage image;
    vardel::TReadOnlyMemoryStream stream(file.data(), file.size());
    image.LoadStream(stream);
    bool same = image.Frames().Count() == int(frames.size());
    for (size_t i = 0; same && i < frames.size(); ++i)
        same = image.Frames()[int(i)].Pixels == frames[i];
    if (!same) {
        std::fprintf(stderr, "the decoded indices differ from the encoded ones\n");
        std::abort();
    }
}

struct TFixture {
    explicit TFixture(const TScene& s)
        : scene(s), frames(MakeFrames(s)), file(GiflibEncode(s, frames, nullptr)) {
        Check(frames, file);
        vardel::TMemoryStream ours;
        OurImage(s, frames)->SaveStream(ours);
        Check(frames, ours.Bytes());
    }
    TScene scene;
    std::vector<Bytes> frames;
    Bytes file;
};

TFixture& Fixture(const TScene& scene) {
    static TFixture animation(kAnimation);
    static TFixture still(kStill);
    return scene.frames > 1 ? animation : still;
}

void DecodeOurs(benchmark::State& state, const TScene& scene) {
    const TFixture& f = Fixture(scene);
    for (auto _ : state) {
        vardel::TGIFImage image;
        vardel::TReadOnlyMemoryStream stream(f.file.data(), f.file.size());
        image.LoadStream(stream);
        benchmark::DoNotOptimize(image.Frames()[0].Pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(f.frames.size() * f.frames[0].size()));
}

void DecodeGiflib(benchmark::State& state, const TScene& scene) {
    const TFixture& f = Fixture(scene);
    for (auto _ : state) {
        TReader reader{&f.file, 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, &ReadFromVector, &error);
        if (DGifSlurp(file) != GIF_OK) state.SkipWithError("giflib refused the file");
        benchmark::DoNotOptimize(file->SavedImages[0].RasterBits);
        DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(f.frames.size() * f.frames[0].size()));
}

void EncodeOurs(benchmark::State& state, const TScene& scene) {
    const TFixture& f = Fixture(scene);
    auto image = OurImage(scene, f.frames);
    vardel::TMemoryStream stream;
    stream.SetSize(kOutputReserve);
    for (auto _ : state) {
        stream.SetPosition(0);
        image->SaveStream(stream);
        benchmark::DoNotOptimize(stream.Memory());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(f.frames.size() * f.frames[0].size()));
}

void EncodeGiflib(benchmark::State& state, const TScene& scene) {
    const TFixture& f = Fixture(scene);
    for (auto _ : state) benchmark::DoNotOptimize(GiflibEncode(scene, f.frames, &state));
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(f.frames.size() * f.frames[0].size()));
}

// The still's colour map (a grey ramp, as the fixture writes it) as 32-bit pixels.
std::vector<uint32_t> GreyRamp() {
    std::vector<uint32_t> colors(256);
    for (uint32_t i = 0; i < 256; ++i) colors[i] = i | i << 8 | i << 16;
    return colors;
}

// What a caller of giflib writes to show a frame: each index through the map.
void LookUp(const uint8_t* indices, size_t count, const std::vector<uint32_t>& colors,
            uint32_t* out) {
    for (size_t i = 0; i < count; ++i) out[i] = colors[indices[i]];
}

std::unique_ptr<vardel::TBitmap> Target(const TScene& scene) {
    auto target = std::make_unique<vardel::TBitmap>();
    target->SetPixelLayout(vardel::TPixelLayout::Format32Bit);
    target->SetSize(scene.width, scene.height);
    return target;
}

// Decoding the file and drawing it, as "Cargar GIF" does.
void LoadAndDrawOurs(benchmark::State& state) {
    const TFixture& f = Fixture(kStill);
    auto target = Target(kStill);
    for (auto _ : state) {
        vardel::TGIFImage image;
        vardel::TReadOnlyMemoryStream stream(f.file.data(), f.file.size());
        image.LoadStream(stream);
        target->Surface().DrawGraphic(0, 0, &image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.frames[0].size()));
}

void LoadAndLookUpGiflib(benchmark::State& state) {
    const TFixture& f = Fixture(kStill);
    const std::vector<uint32_t> colors = GreyRamp();
    std::vector<uint32_t> pixels(f.frames[0].size());
    for (auto _ : state) {
        TReader reader{&f.file, 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, &ReadFromVector, &error);
        if (DGifSlurp(file) != GIF_OK) state.SkipWithError("giflib refused the file");
        LookUp(file->SavedImages[0].RasterBits, pixels.size(), colors, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
        DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.frames[0].size()));
}

// Drawing alone: the frame's bitmap is built again each time. On a palette display
// the frame is dithered onto the 216 colours.
void DrawOurs(benchmark::State& state, bool paletteDisplay) {
    const TFixture& f = Fixture(kStill);
    vardel::TGIFImage image;
    vardel::TReadOnlyMemoryStream stream(f.file.data(), f.file.size());
    image.LoadStream(stream);
    vardel::gdi::SetDisplayBitsPerPixel(paletteDisplay ? 8 : 32);
    vardel::PaletteDisplay = paletteDisplay;
    auto target = Target(kStill);
    for (auto _ : state) {
        image.Frames()[0].DropBitmap();
        target->Surface().DrawGraphic(0, 0, &image);
    }
    vardel::gdi::SetDisplayBitsPerPixel(32);
    vardel::PaletteDisplay = false;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.frames[0].size()));
}

void LookUpLoop(benchmark::State& state) {
    const TFixture& f = Fixture(kStill);
    const std::vector<uint32_t> colors = GreyRamp();
    std::vector<uint32_t> pixels(f.frames[0].size());
    for (auto _ : state) {
        LookUp(f.frames[0].data(), pixels.size(), colors, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.frames[0].size()));
}

BENCHMARK_CAPTURE(DecodeOurs, animation_640x480x200, kAnimation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, animation_640x480x200, kAnimation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeOurs, still_4000x3000, kStill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, still_4000x3000, kStill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, animation_640x480x200, kAnimation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, animation_640x480x200, kAnimation)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, still_4000x3000, kStill)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, still_4000x3000, kStill)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndDrawOurs)->Name("LoadAndDrawOurs/still_4000x3000")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadAndLookUpGiflib)
    ->Name("LoadAndLookUpGiflib/still_4000x3000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawOurs, still_4000x3000, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DrawOurs, still_4000x3000_dithered, true)->Unit(benchmark::kMillisecond);
BENCHMARK(LookUpLoop)->Name("LookUpLoop/still_4000x3000")->Unit(benchmark::kMillisecond);

}  // namespace
