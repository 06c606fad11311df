// Metafiles: enhanced metafiles and placeable Windows metafiles, kept as bytes.
#pragma once

#include <vector>

#include "graphics/Graphic.h"

namespace vardel {

class TMetafile : public TGraphic {
    VARDEL_GRAPHIC_CLASS(TMetafile)
  public:
    TMetafile() = default;
    void Assign(const TPersistent* source) override;
    void Render(TCanvas& canvas, const gdi::RECT& rect) override;
    bool IsEmpty() const override { return handle_ == nullptr; }
    int Width() const override;
    int Height() const override;
    void SetWidth(int value) override;
    void SetHeight(int value) override;
    void LoadStream(TStream& stream) override;
    void SaveStream(TStream& stream) override;
    void SaveFile(std::string_view fileName) override;
    void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data,
                       const gdi::HPALETTE& palette) override;
    void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                       gdi::HPALETTE& palette) override;

    bool Enhanced() const { return enhanced_; }
    // Size in 0.01 mm, from the header.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }

  private:
    void WriteForm(TStream& stream, bool enhanced);

    gdi::HENHMETAFILE handle_;
    bool enhanced_ = true;
    int mmWidth_ = 0, mmHeight_ = 0;
    int inch_ = 0;
    gdi::RECT placeableBox_;
    // The placeable box as loaded: the window a Windows metafile is played through.
    gdi::RECT frame_;
};

}  // namespace vardel
