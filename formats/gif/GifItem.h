// The base of every item of a GIF image (header, frames, extensions, trailer) and of
// the lists that own items.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/runtime/Streams.h"

namespace vardel {

class TGIFImage;

// Block introducers and labels of the stream (GIF89a, sections 20 to 27).
inline constexpr uint8_t kExtensionIntroducer = 0x21;
inline constexpr uint8_t kImageSeparator = 0x2C;
inline constexpr uint8_t kTrailer = 0x3B;
inline constexpr uint8_t kPlainTextLabel = 0x01;
inline constexpr uint8_t kGraphicControlLabel = 0xF9;
inline constexpr uint8_t kCommentLabel = 0xFE;
inline constexpr uint8_t kApplicationLabel = 0xFF;

// The version an item needs; the image writes the highest that any frame needs.
enum class TGIFVersion : uint8_t { gvUnknown = 0, gv87a = 1, gv89a = 2 };

class TGIFItem : public TPersistent {
  public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    ~TGIFItem() override = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;
    std::string_view ClassName() const override { return "TGIFItem"; }

    virtual TGIFVersion RequiredVersion() const { return TGIFVersion::gv87a; }
    // Hands a warning to the owning image, with this item as its sender.
    virtual void ReportWarning(int severity, std::string_view message);
    virtual void SaveToStream(TStream& stream) const = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    void SaveToFile(std::string_view fileName) const;
    // Opens the file for reading, denying writers, and loads from it.
    void LoadFromFile(std::string_view fileName);

    TGIFImage* Image() const { return image_; }
    // The image clears this when it is destroyed before an item that outlives it.
    void ForgetImage() { image_ = nullptr; }

  private:
    TGIFImage* image_;
};

// A list that owns its items and passes warnings on to the image.
class TGIFListBase : public TPersistent {
  public:
    explicit TGIFListBase(TGIFImage* image) : image_(image) {}
    TGIFListBase(const TGIFListBase&) = delete;
    TGIFListBase& operator=(const TGIFListBase&) = delete;
    std::string_view ClassName() const override { return "TGIFList"; }

    void ReportWarning(int severity, std::string_view message);
    TGIFImage* Image() const { return image_; }

  private:
    TGIFImage* image_;
};

template <class T>
class TGIFList : public TGIFListBase {
  public:
    using TGIFListBase::TGIFListBase;

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    T& operator[](int index) const { return *items_.at(static_cast<size_t>(index)); }
    T& Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return *items_.back();
    }
    void Clear() { items_.clear(); }
    const std::vector<std::unique_ptr<T>>& Items() const { return items_; }

  private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace vardel
