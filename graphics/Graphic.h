// The contract of every graphic kind, progress reports and the class objects that
// create empty graphics of a kind.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/runtime/Object.h"
#include "platform/runtime/Streams.h"
#include "platform/ui/NoticeEpoch.h"

namespace vardel {

class TCanvas;
class TGraphic;

enum class TProgressStage { psStarting, psRunning, psEnding };

using TProgressEvent = std::function<void(TObject* sender, TProgressStage stage, uint8_t percentDone,
                                          bool redrawNow, const gdi::RECT& r, const std::string& msg)>;

// A graphic kind: its name, the kind it derives from, and how to make an empty one.
struct TGraphicClass {
    std::string_view name;
    const TGraphicClass* parent;
    std::unique_ptr<TGraphic> (*create)();

    bool InheritsFrom(const TGraphicClass& other) const {
        for (const TGraphicClass* c = this; c; c = c->parent)
            if (c == &other) return true;
        return false;
    }
};

class TGraphic : public TPersistent {
public:
    TGraphic() = default;
    ~TGraphic() override = default;
    std::string_view ClassName() const override { return ClassType().name; }

    static const TGraphicClass& ClassInfo();
    virtual const TGraphicClass& ClassType() const = 0;

    // Marks the graphic modified and tells the subscriber.
    virtual void NotifyChanged(TObject* sender);
    virtual void Render(TCanvas& canvas, const gdi::RECT& rect) = 0;
    // Content equality: both empty, or same kind with the same stored bytes.
    virtual bool SameContent(const TGraphic* other);
    virtual bool IsEmpty() const = 0;
    virtual int Height() const = 0;
    virtual int Width() const = 0;
    virtual gdi::HPALETTE Palette() { return nullptr; }
    virtual bool Transparent() const { return transparent_; }
    virtual void SetHeight(int value) = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetPalette(const gdi::HPALETTE&) {}
    virtual void SetTransparent(bool value);
    virtual void LoadFile(std::string_view fileName);
    virtual void SaveFile(std::string_view fileName);
    virtual void LoadStream(TStream& stream) = 0;
    virtual void SaveStream(TStream& stream) = 0;
    // Clipboard data is the kind's own file bytes.
    virtual void LoadClipboard(uint16_t format, const std::vector<uint8_t>& data, const gdi::HPALETTE& palette) = 0;
    virtual void SaveClipboard(uint16_t& format, std::vector<uint8_t>& data, gdi::HPALETTE& palette) = 0;

    bool Modified() const { return modified_; }
    bool PaletteDirty() const { return paletteDirty_; }
    void SetPaletteDirty(bool value) { paletteDirty_ = value; }
    // True while the graphic announces a change of its pixels only (drawing on its
    // surface): size, transparency and palette are as before, so subscribers may
    // skip what depends on them alone.
    bool PixelsOnlyChange() const { return pixelsOnly_; }
    // Told by the subscriber at the end of the change chain (a view) while it hears of
    // changed pixels, when everything such a notice does is done and nobody else hears
    // it on the way: until the notice epoch moves on (marking the graphic unmodified
    // moves it), further changes of pixels need not travel the chain.
    void KeepPixelNotice() { pixelNotice_ = NoticeEpoch(); }

    // The subscriber told of every change (a picture subscribes to its graphic).
    TChangeSubscriber<void(TGraphic* sender)> OnModified;
    TProgressEvent OnProgress;

    void Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                  const gdi::RECT& r, const std::string& msg);

protected:
    bool PixelNoticeKept() const { return pixelNotice_ == NoticeEpoch(); }
    // NotifyChanged for a change of pixels only.
    void NotifyPixelsChanged(TObject* sender) {
        // Every pixel written passes here: a notice kept in effect stays inline.
        if (!PixelNoticeKept()) TellPixelsChanged(sender);
    }
    // Sets the flag without a change notification (for assignments that notify once).
    void SetTransparentFlag(bool value) { transparent_ = value; }
    // SameContent compares these bytes; the default writes SaveStream into memory.
    virtual std::vector<uint8_t> ContentBytes();

private:
    void TellPixelsChanged(TObject* sender);

    bool transparent_ = false;
    bool modified_ = false;
    bool paletteDirty_ = false;
    bool pixelsOnly_ = false;
    uint64_t pixelNotice_ = 0;  // the epoch that KeepPixelNotice saw; 0 for none
};

// Declares the class object of a graphic kind inside its class.
#define VARDEL_GRAPHIC_CLASS(Name)                                                 \
public:                                                                           \
    static const TGraphicClass& ClassInfo();                                      \
    const TGraphicClass& ClassType() const override { return Name::ClassInfo(); } \
                                                                                  \
private:

// Defines it, with its parent kind, in the kind's source file.
#define VARDEL_DEFINE_GRAPHIC_CLASS(Name, Parent)                                         \
    const TGraphicClass& Name::ClassInfo() {                                              \
        static const TGraphicClass info{#Name, &Parent::ClassInfo(),                      \
                                        []() -> std::unique_ptr<TGraphic> {               \
                                            return std::make_unique<Name>();              \
                                        }};                                               \
        return info;                                                                      \
    }

}  // namespace vardel
