// Writes small Windows and enhanced metafiles record by record, and plays them onto a
// white 32-bit surface, for the playback tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vardel::test {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, int v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, int64_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutFloat(Bytes& b, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(b, u);
}

// Records of a Windows metafile: 16-bit parameters as the record stores them.
class WmfBuilder {
  public:
    WmfBuilder& Record(uint16_t function, std::initializer_list<int> words,
                       const Bytes& tail = {}) {
        Bytes body;
        for (int w : words) Put16(body, w);
        body.insert(body.end(), tail.begin(), tail.end());
        if (body.size() % 2) body.push_back(0);
        Put32(records_, 3 + body.size() / 2);
        Put16(records_, function);
        records_.insert(records_.end(), body.begin(), body.end());
        return *this;
    }
    // Stored as the picture model keeps it: without the placeable header.
    Bytes Plain(int objects = 16) const {
        Bytes out;
        Bytes all = records_;
        Put32(all, 3);  // end of file
        Put16(all, 0);
        Put16(out, 1);
        Put16(out, 9);
        Put16(out, 0x300);
        Put32(out, 9 + all.size() / 2);
        Put16(out, objects);
        Put32(out, 64);
        Put16(out, 0);
        out.insert(out.end(), all.begin(), all.end());
        return out;
    }
    // A placeable file, for other programs to read.
    Bytes Placeable(gdi::RECT box, int inch, int objects = 16) const {
        Bytes out;
        Put32(out, 0x9AC6CDD7);
        Put16(out, 0);
        for (int v : {box.left, box.top, box.right, box.bottom}) Put16(out, v);
        Put16(out, inch);
        Put32(out, 0);
        uint16_t sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= static_cast<uint16_t>(out[2 * i] | (out[2 * i + 1] << 8));
        Put16(out, sum);
        const Bytes plain = Plain(objects);
        out.insert(out.end(), plain.begin(), plain.end());
        return out;
    }

  private:
    Bytes records_;
};

// Records of an enhanced metafile: 32-bit fields; the header puts the reference device
// at 96 pixels an inch, so a frame of whole pixels maps one logical unit to one pixel.
class EmfBuilder {
  public:
    EmfBuilder& Record(uint32_t type, std::initializer_list<int64_t> fields,
                       const Bytes& tail = {}) {
        Bytes body;
        for (int64_t f : fields) Put32(body, f);
        body.insert(body.end(), tail.begin(), tail.end());
        while (body.size() % 4) body.push_back(0);
        Put32(records_, type);
        Put32(records_, 8 + body.size());
        records_.insert(records_.end(), body.begin(), body.end());
        ++count_;
        return *this;
    }
    // Appends bytes as they are, for records that break the rules.
    EmfBuilder& Raw(const Bytes& bytes) {
        records_.insert(records_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // The frame in pixels; a multiple of 48 wide and high keeps the scale exact.
    Bytes Build(int width, int height, int handles = 16) const {
        Bytes out;
        Put32(out, 1);
        Put32(out, 88);
        for (int v : {0, 0, width - 1, height - 1}) Put32(out, v);                  // bounds
        for (int v : {0, 0, width * 2540 / 96, height * 2540 / 96}) Put32(out, v);  // frame
        Put32(out, 0x464D4520);
        Put32(out, 0x10000);
        const size_t total = 88 + records_.size() + 20;
        Put32(out, total);
        Put32(out, count_ + 2);
        Put16(out, handles);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, 0);
        for (int v : {960, 960, 254, 254}) Put32(out, v);  // 96 pixels an inch
        out.insert(out.end(), records_.begin(), records_.end());
        for (int v : {14, 20, 0, 16, 20}) Put32(out, v);
        return out;
    }

  private:
    Bytes records_;
    int count_ = 0;
};

inline Bytes Utf16(const std::u16string& s) {
    Bytes b;
    for (char16_t c : s) Put16(b, c);
    return b;
}

inline Bytes Points16(std::initializer_list<int> xy) {
    Bytes b;
    for (int v : xy) Put16(b, v);
    return b;
}

// A packed device-independent bitmap of 24 bits, rows given top first.
inline Bytes Dib24(int width, int height, const std::vector<gdi::COLORREF>& topFirst) {
    Bytes b;
    const int stride = (width * 3 + 3) & ~3;
    for (int v : {40, width, height}) Put32(b, v);
    Put16(b, 1);
    Put16(b, 24);
    for (int v : {0, stride * height, 0, 0, 0, 0}) Put32(b, v);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const gdi::COLORREF c = topFirst[static_cast<size_t>(y * width + x)];
            b.push_back(gdi::GetBValue(c));
            b.push_back(gdi::GetGValue(c));
            b.push_back(gdi::GetRValue(c));
        }
        for (int k = width * 3; k < stride; ++k) b.push_back(0);
    }
    return b;
}

// A white 32-bit surface to play onto.
struct Canvas {
    gdi::HBITMAP bitmap;
    gdi::HDC dc;
    int width, height;
    Canvas(int w, int h) : width(w), height(h) {
        gdi::BITMAPINFO info;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biBitCount = 32;
        bitmap = gdi::CreateDIBSection(nullptr, info, gdi::DIB_RGB_COLORS, nullptr);
        dc = gdi::CreateCompatibleDC(nullptr);
        gdi::SelectObject(dc, bitmap);
        gdi::PatBlt(dc, 0, 0, w, h, gdi::WHITENESS);
    }
    ~Canvas() { gdi::DeleteDC(dc); }
    gdi::COLORREF At(int x, int y) const { return gdi::GetPixel(dc, x, y); }
    bool PlayEmf(const Bytes& emf) {
        gdi::HENHMETAFILE m = gdi::SetEnhMetaFileBits(emf.data(), emf.size());
        return m && gdi::PlayEnhMetaFile(dc, m, {0, 0, width, height});
    }
    bool PlayWmf(const Bytes& plain, gdi::RECT frame) {
        gdi::HENHMETAFILE m = gdi::SetWinMetaFileBits(plain.data(), plain.size());
        return m && gdi::PlayWinMetaFile(dc, m, frame, {0, 0, width, height});
    }
    // Pixels where `expected` says otherwise, leaving out those it answers -1 for.
    template <typename Expect>
    int Mismatches(Expect expected) const {
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int64_t want = expected(x, y);
                if (want >= 0 && At(x, y) != static_cast<gdi::COLORREF>(want)) ++wrong;
            }
        return wrong;
    }
};

}  // namespace vardel::test
