// Icon files: the whole file is kept; the image that best fits the system's icon
// size is drawn, whether it is stored BMP-coded or PNG-coded.
#pragma once

#include <optional>
#include <vector>

#include "graphics/Graphic.h"

namespace vardel {

class TIcon : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TIcon)
public:
    TIcon() = default;
    void Assign(const TPersistent* source) override;
    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool IsEmpty() const override { return bytes_.empty(); }
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void SetTransparent(bool) override {}
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data, const gdi::HPALETTE& palette) override;
    void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data, gdi::HPALETTE& palette) override;

    // The platform icon, made from the kept file on first need (none when the best
    // image is damaged).
    gdi::HICON Handle();

private:
    struct Entry {
        int width, height, bitCount;
        uint32_t size, offset;
    };
    std::vector<Entry> Entries() const;
    std::optional<Entry> BestEntry() const;

    std::vector<uint8_t> bytes_;
    gdi::HICON icon_;
    int width_ = 0, height_ = 0;
};

}  // namespace vardel
