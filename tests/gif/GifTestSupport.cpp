#include "tests/gif/GifTestSupport.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/runtime/Exceptions.h"

namespace vardel::giftest {

Bytes PackCodes(int minCodeSize, const std::vector<TCode>& codes, int blockSize) {
    Bytes data;
    uint64_t bits = 0;
    int count = 0;
    for (const TCode& c : codes) {
        bits |= uint64_t(c.code) << count;
        count += c.width;
        while (count >= 8) {
            data.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) data.push_back(static_cast<uint8_t>(bits));
    Bytes out{static_cast<uint8_t>(minCodeSize)};
    for (size_t at = 0; at < data.size(); at += static_cast<size_t>(blockSize)) {
        const size_t n = std::min(data.size() - at, static_cast<size_t>(blockSize));
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(at),
                   data.begin() + static_cast<ptrdiff_t>(at + n));
    }
    out.push_back(0);
    return out;
}

Bytes ScreenWith4Colors(int width, int height) {
    return TByteBuilder()
        .Text("GIF89a")
        .U16(static_cast<unsigned>(width))                // screen width
        .U16(static_cast<unsigned>(height))               // screen height
        .U8(0x81)                                         // global map of 2 << 1 = 4 entries
        .U8(0)                                            // background index
        .U8(0)                                            // aspect ratio
        .Raw({0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255})  // black, red, green, blue
        .Get();
}

TLoaded Load(const Bytes& bytes) {
    TLoaded result;
    result.image = std::make_unique<TGIFImage>();
    result.image->WarningHandler = [&result](TObject*, int severity, const std::string& message) {
        EXPECT_EQ(severity, 1);
        result.warnings.push_back(message);
    };
    TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    try {
        result.image->LoadStream(stream);
    } catch (const Exception& e) {
        result.error = e.Message();
    }
    result.position = stream.Position();
    result.image->WarningHandler = nullptr;
    return result;
}

Bytes Save(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveStream(stream);
    return stream.TakeBytes();
}

namespace {

struct TReadState {
    const Bytes* bytes;
    size_t at;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int size) {
    auto* state = static_cast<TReadState*>(file->UserData);
    const size_t n = std::min(static_cast<size_t>(size), state->bytes->size() - state->at);
    std::memcpy(buffer, state->bytes->data() + state->at, n);
    state->at += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* file, const GifByteType* buffer, int size) {
    static_cast<Bytes*>(file->UserData)
        ->insert(static_cast<Bytes*>(file->UserData)->end(), buffer, buffer + size);
    return size;
}

bool IsLoopBlock(const ExtensionBlock& block) {
    return block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
           (std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 ||
            std::memcmp(block.Bytes, "ANIMEXTS1.0", 11) == 0);
}

// The loop count of the first loop block among blocks, or -1.
int LoopCount(const ExtensionBlock* blocks, int count) {
    for (int e = 0; e + 1 < count; ++e) {
        const ExtensionBlock& next = blocks[e + 1];
        if (IsLoopBlock(blocks[e]) && next.Function == CONTINUE_EXT_FUNC_CODE &&
            next.ByteCount >= 3 && (next.Bytes[0] & 7) == 1)
            return next.Bytes[1] | (next.Bytes[2] << 8);
    }
    return -1;
}

}  // namespace

std::optional<TOracleImage> ReadWithGiflib(const Bytes& bytes) {
    TReadState state{&bytes, 0};
    int error = 0;
    GifFileType* file = DGifOpen(&state, &ReadFromMemory, &error);
    if (!file) return std::nullopt;
    const bool ok = DGifSlurp(file) == GIF_OK;
    std::optional<TOracleImage> result;
    if (ok) {
        TOracleImage image;
        image.width = file->SWidth;
        image.height = file->SHeight;
        for (int i = 0; i < file->ImageCount; ++i) {
            const SavedImage& saved = file->SavedImages[i];
            TOracleFrame frame;
            frame.left = saved.ImageDesc.Left;
            frame.top = saved.ImageDesc.Top;
            frame.width = saved.ImageDesc.Width;
            frame.height = saved.ImageDesc.Height;
            frame.interlaced = saved.ImageDesc.Interlace;
            GraphicsControlBlock control;
            for (int e = 0; e < saved.ExtensionBlockCount; ++e)
                if (saved.ExtensionBlocks[e].Function == GRAPHICS_EXT_FUNC_CODE)
                    frame.hasControl = true;
            if (frame.hasControl && DGifSavedExtensionToGCB(file, i, &control) == GIF_OK) {
                frame.delay = control.DelayTime;
                frame.disposal = control.DisposalMode;
                frame.transparentIndex = control.TransparentColor;
            }
            if (image.loop < 0)
                image.loop = LoopCount(saved.ExtensionBlocks, saved.ExtensionBlockCount);
            const size_t count =
                size_t(std::max(frame.width, 0)) * size_t(std::max(frame.height, 0));
            if (saved.RasterBits) frame.pixels.assign(saved.RasterBits, saved.RasterBits + count);
            image.frames.push_back(std::move(frame));
        }
        if (image.loop < 0)
            image.loop = LoopCount(file->ExtensionBlocks, file->ExtensionBlockCount);
        result = std::move(image);
    }
    DGifCloseFile(file, &error);
    return result;
}

Bytes WriteWithGiflib(int width, int height, int colors,
                      const std::vector<std::pair<int, int>>& frameSizes,
                      const std::vector<Bytes>& framePixels) {
    Bytes out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, &WriteToMemory, &error);
    if (!file) return {};
    file->SWidth = width;
    file->SHeight = height;
    file->SColorResolution = 8;
    file->SBackGroundColor = 0;
    std::vector<GifColorType> map(static_cast<size_t>(colors));
    for (int i = 0; i < colors; ++i)
        map[size_t(i)] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    file->SColorMap = GifMakeMapObject(colors, map.data());
    for (size_t f = 0; f < framePixels.size(); ++f) {
        SavedImage* saved = GifMakeSavedImage(file, nullptr);
        saved->ImageDesc.Width = frameSizes[f].first;
        saved->ImageDesc.Height = frameSizes[f].second;
        saved->RasterBits = static_cast<GifByteType*>(std::malloc(framePixels[f].size()));
        std::memcpy(saved->RasterBits, framePixels[f].data(), framePixels[f].size());
    }
    // EGifSpew closes the file but leaves the frames and the screen map to the caller.
    SavedImage* images = file->SavedImages;
    const int count = file->ImageCount;
    ColorMapObject* screenMap = file->SColorMap;
    const bool ok = EGifSpew(file) == GIF_OK;
    for (int i = 0; i < count; ++i) std::free(images[i].RasterBits);
    std::free(images);
    GifFreeMapObject(screenMap);
    return ok ? out : Bytes{};
}

void ExpectSameAsGiflib(const TGIFImage& image, const TOracleImage& oracle) {
    EXPECT_EQ(image.Width(), oracle.width);
    EXPECT_EQ(image.Height(), oracle.height);
    // giflib keeps extensions after the last image apart; ours make a frame without
    // image data, which is left out here.
    std::vector<const TGIFSubImage*> frames;
    for (const auto& frame : image.Frames().Items())
        if (!frame->Pixels.empty() || frame->Width != 0) frames.push_back(frame.get());
    ASSERT_EQ(frames.size(), oracle.frames.size());
    int loop = -1;
    for (const auto& frame : image.Frames().Items())
        for (const auto& extension : frame->Extensions().Items())
            if (auto* block = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get());
                block && loop < 0)
                loop = block->LoopCount;
    EXPECT_EQ(loop, oracle.loop);
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const TGIFSubImage& ours = *frames[i];
        const TOracleFrame& theirs = oracle.frames[i];
        EXPECT_EQ(ours.Left, theirs.left);
        EXPECT_EQ(ours.Top, theirs.top);
        EXPECT_EQ(ours.Interlaced(), theirs.interlaced);
        const TGIFGraphicControlExtension* control = ours.GraphicControl();
        EXPECT_EQ(control != nullptr, theirs.hasControl);
        if (control && theirs.hasControl) {
            EXPECT_EQ(control->Delay, theirs.delay);
            EXPECT_EQ(control->Disposal(), theirs.disposal);
            EXPECT_EQ(ours.IsTransparent, theirs.transparentIndex >= 0);
        }
        if (theirs.width == 0 || theirs.height == 0) {
            // A frame without area takes the logical screen's size here.
            EXPECT_EQ(ours.Width, image.Width());
            EXPECT_EQ(ours.Height, image.Height());
            continue;
        }
        EXPECT_EQ(ours.Width, theirs.width);
        EXPECT_EQ(ours.Height, theirs.height);
        EXPECT_TRUE(ours.Pixels == theirs.pixels) << "indices differ";
    }
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string CorpusDir() {
    // A worktree beside the project may keep the corpus elsewhere; the environment
    // can name it.
    for (const char* dir :
         std::initializer_list<const char*>{VARDEL_CORPUS_DIR, std::getenv("VARDEL_CORPUS_DIR")})
        if (dir && std::filesystem::is_directory(dir)) return dir;
    return {};
}

}  // namespace vardel::giftest
