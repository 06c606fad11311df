#include "tests/png/PngTestSupport.h"

#include <zlib.h>

#include <cstdlib>

#include "platform/runtime/ByteOrder.h"

namespace vardel::test {

bool HavePngOracles() {
    return std::system("/usr/bin/python3 -c 'import PIL, png' 2>/dev/null") == 0;
}

std::vector<uint8_t> Chunk(std::string_view type, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> chunk;
    AppendBe32(chunk, static_cast<uint32_t>(data.size()));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    AppendBe32(chunk, static_cast<uint32_t>(crc));
    return chunk;
}

std::vector<uint8_t> BuildPng(const TPngFields& fields) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    AppendBe32(ihdr, fields.width);
    AppendBe32(ihdr, fields.height);
    ihdr.insert(ihdr.end(), {fields.depth, fields.colour, 0, 0, fields.interlace});
    auto add = [&](std::string_view type, const std::vector<uint8_t>& data) {
        const auto chunk = Chunk(type, data);
        file.insert(file.end(), chunk.begin(), chunk.end());
    };
    add("IHDR", ihdr);
    for (const auto& [type, data] : fields.extra) add(type, data);
    uLongf size = compressBound(static_cast<uLong>(fields.scanlines.size()));
    std::vector<uint8_t> idat(size);
    compress(idat.data(), &size, fields.scanlines.data(),
             static_cast<uLong>(fields.scanlines.size()));
    idat.resize(size);
    add("IDAT", idat);
    add("IEND", {});
    return file;
}

std::vector<uint8_t> Unfiltered(const std::vector<std::vector<uint8_t>>& rows) {
    std::vector<uint8_t> lines;
    for (const auto& row : rows) {
        lines.push_back(0);
        lines.insert(lines.end(), row.begin(), row.end());
    }
    return lines;
}

TRgba ReadRgba(const fs::path& file) {
    const std::vector<uint8_t> bytes = ReadBytes(file);
    TRgba picture;
    if (bytes.size() < 8) return picture;
    picture.width = LoadLe32(&bytes[0]);
    picture.height = LoadLe32(&bytes[4]);
    picture.rgba.assign(bytes.begin() + 8, bytes.end());
    return picture;
}

bool MakeReferences(const fs::path& dir, const std::vector<fs::path>& files) {
    std::string command = "/usr/bin/python3 " +
                          Quote(fs::path(VARDEL_SOURCE_DIR) / "tests/png/png_reference.py") + " " +
                          Quote(dir);
    for (const fs::path& file : files) command += " " + Quote(file);
    return RunCommand(command) == 0;
}

TRgba RgbaOf(TBitmap& bitmap) {
    TRgba picture{
        static_cast<uint32_t>(bitmap.Width()), static_cast<uint32_t>(bitmap.Height()), {}};
    const auto* png = dynamic_cast<const TPngImage*>(&bitmap);
    const bool alpha = png && png->HasAlpha();
    const gdi::DIBSECTION& d = bitmap.Image().description;
    for (int y = 0; y < bitmap.Height(); ++y) {
        // Alpha is only ever in a 32-bit section's rows.
        const int stored = d.dsBmih.biHeight > 0 ? bitmap.Height() - 1 - y : y;
        const uint8_t* row =
            alpha ? d.dsBm.bmBits + static_cast<ptrdiff_t>(d.dsBm.bmWidthBytes) * stored : nullptr;
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TColor c = bitmap.Surface().ReadPixel(x, y);
            picture.rgba.insert(
                picture.rgba.end(),
                {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                 static_cast<uint8_t>(c >> 16), alpha ? row[4 * x + 3] : uint8_t{255}});
        }
    }
    return picture;
}

TRgba VariedRgba(uint32_t width, uint32_t height, bool withAlpha) {
    TRgba picture{width, height, {}};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            picture.rgba.insert(
                picture.rgba.end(),
                {static_cast<uint8_t>(x * 37 + y), static_cast<uint8_t>(x ^ (y * 5)),
                 static_cast<uint8_t>(y * 29 + 3 * x),
                 withAlpha ? static_cast<uint8_t>((x + y) * 23) : uint8_t{255}});
    return picture;
}

std::vector<uint8_t> PngOf(const TRgba& pixels, bool withAlpha) {
    std::vector<std::vector<uint8_t>> rows(pixels.height);
    for (uint32_t y = 0; y < pixels.height; ++y)
        for (uint32_t x = 0; x < pixels.width; ++x) {
            const uint8_t* p = &pixels.rgba[4 * (size_t{y} * pixels.width + x)];
            rows[y].insert(rows[y].end(), p, p + (withAlpha ? 4 : 3));
        }
    return BuildPng({pixels.width,
                     pixels.height,
                     8,
                     static_cast<uint8_t>(withAlpha ? 6 : 2),
                     0,
                     {},
                     Unfiltered(rows)});
}

::testing::AssertionResult SameRgba(const TRgba& ours, const TRgba& expected) {
    if (ours.width != expected.width || ours.height != expected.height)
        return ::testing::AssertionFailure()
               << "size " << ours.width << " x " << ours.height << ", expected " << expected.width
               << " x " << expected.height;
    for (size_t i = 0; i < ours.rgba.size() && i < expected.rgba.size(); ++i)
        if (ours.rgba[i] != expected.rgba[i]) {
            const size_t pixel = i / 4;
            auto rgba = [&](const TRgba& p) {
                std::string text;
                for (int k = 0; k < 4; ++k) text += " " + std::to_string(p.rgba[4 * pixel + k]);
                return text;
            };
            return ::testing::AssertionFailure()
                   << "pixel (" << pixel % ours.width << ", " << pixel / ours.width << ") is"
                   << rgba(ours) << ", expected" << rgba(expected);
        }
    if (ours.rgba.size() != expected.rgba.size())
        return ::testing::AssertionFailure() << "pixel data of different lengths";
    return ::testing::AssertionSuccess();
}

}  // namespace vardel::test
