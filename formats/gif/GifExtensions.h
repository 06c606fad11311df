// Extension blocks of a GIF stream, the class objects that make them, and the two
// registries that map labels and application identifiers to classes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/gif/GifItem.h"

namespace vardel {

class TGIFSubImage;
class TGIFExtension;

// A kind of extension: its name, how to make an empty one for a frame, and which
// (possibly more specific) kind the bytes after the label call for.
struct TGIFExtensionClass {
    std::string_view name;
    std::unique_ptr<TGIFExtension> (*create)(TGIFSubImage& frame);
    // Answers `self`, another class, or none (no class fits the bytes).
    const TGIFExtensionClass* (*refineClass)(const TGIFExtensionClass& self, TStream& stream);
};

class TGIFExtension : public TGIFItem {
  public:
    explicit TGIFExtension(TGIFSubImage& frame);
    std::string_view ClassName() const override { return ClassType().name; }

    virtual const TGIFExtensionClass& ClassType() const = 0;
    virtual uint8_t LabelCode() const = 0;
    TGIFVersion RequiredVersion() const override { return TGIFVersion::gv89a; }
    // Reads the introducer and the label, checks them, then the kind's own fields.
    void LoadFromStream(TStream& stream) override;
    // Writes the introducer, the label and the kind's own fields.
    void SaveToStream(TStream& stream) const override;

    TGIFSubImage& Frame() const { return frame_; }

  protected:
    virtual void LoadBody(TStream& stream) = 0;
    virtual void SaveBody(TStream& stream) const = 0;

  private:
    TGIFSubImage& frame_;
};

// Disposal methods of the graphic control block (flag bits 2 to 4).
enum class TGIFDisposal : uint8_t {
    dmNone = 0,
    dmNoDisposal = 1,
    dmBackground = 2,
    dmPrevious = 3
};

class TGIFGraphicControlExtension : public TGIFExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    using TGIFExtension::TGIFExtension;
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }
    uint8_t LabelCode() const override { return kGraphicControlLabel; }

    static constexpr uint8_t kTransparentFlag = 0x01;
    static constexpr uint8_t kUserInputFlag = 0x02;

    bool Transparent() const { return Flags & kTransparentFlag; }
    bool UserInput() const { return Flags & kUserInputFlag; }
    // 0 to 7; 4 to 7 are reserved values that a file may still carry.
    int Disposal() const { return (Flags >> 2) & 7; }

    uint8_t BlockSize = 4;
    uint8_t Flags = 0;
    uint16_t Delay = 0;  // hundredths of a second
    uint8_t TransparentColorIndex = 0;
    uint8_t Terminator = 0;

  protected:
    void LoadBody(TStream& stream) override;
    void SaveBody(TStream& stream) const override;
};

class TGIFTextExtension : public TGIFExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    using TGIFExtension::TGIFExtension;
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }
    uint8_t LabelCode() const override { return kPlainTextLabel; }

    uint8_t BlockSize = 12;
    uint16_t GridLeft = 0, GridTop = 0, GridWidth = 0, GridHeight = 0;
    uint8_t CellWidth = 0, CellHeight = 0;
    uint8_t ForegroundColorIndex = 0, BackgroundColorIndex = 0;
    std::vector<std::string> TextLines;

  protected:
    void LoadBody(TStream& stream) override;
    void SaveBody(TStream& stream) const override;
};

class TGIFCommentExtension : public TGIFExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    using TGIFExtension::TGIFExtension;
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }
    uint8_t LabelCode() const override { return kCommentLabel; }

    std::vector<std::string> TextLines;

  protected:
    void LoadBody(TStream& stream) override;
    void SaveBody(TStream& stream) const override;
};

using TGIFApplicationId = std::array<uint8_t, 11>;  // 8-byte identifier, 3-byte code

// An application block. The plain class is what a block of an unexpected size
// becomes; it has no reader for the data that follows, so loading one fails.
class TGIFApplicationExtension : public TGIFExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    using TGIFExtension::TGIFExtension;
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }
    uint8_t LabelCode() const override { return kApplicationLabel; }
    // Looks at the block size and the identifier (shared by the descendants).
    static const TGIFExtensionClass* RefineClass(const TGIFExtensionClass& self, TStream& stream);

    std::string IdentifierText() const { return std::string(Identifier.begin(), Identifier.end()); }
    void SetIdentifier(std::string_view text);  // up to 11 bytes, zero-padded

    TGIFApplicationId Identifier{};

  protected:
    void LoadBody(TStream& stream) override;
    void SaveBody(TStream& stream) const override;
    // The data sub-blocks after the identifier, with their terminating zero.
    virtual void ReadAppData(TStream& stream);
    virtual void WriteAppData(TStream& stream) const;
};

// One data sub-block kept as it was read (1 to 255 bytes).
struct TGIFBlock {
    std::vector<uint8_t> Data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    using TGIFApplicationExtension::TGIFApplicationExtension;
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }

    std::vector<TGIFBlock> SubBlocks;

  protected:
    void ReadAppData(TStream& stream) override;
    void WriteAppData(TStream& stream) const override;
};

// The loop block ("NETSCAPE2.0", also read under "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
  public:
    static const TGIFExtensionClass& ClassInfo();
    explicit TGIFAppExtNSLoop(TGIFSubImage& frame);
    const TGIFExtensionClass& ClassType() const override { return ClassInfo(); }

    uint16_t LoopCount = 0;  // 0: loop forever
    uint32_t BufferSize = 0;

  protected:
    void ReadAppData(TStream& stream) override;
    void WriteAppData(TStream& stream) const override;
};

// Label -> class. Lookups run from the last row to the first.
class TExtensionList {
  public:
    // Made with its four rows on first use; Free drops it (module shutdown).
    static TExtensionList& Instance();
    static void Free();

    void Add(uint8_t label, const TGIFExtensionClass& kind);
    const TGIFExtensionClass* Find(uint8_t label) const;

  private:
    std::vector<std::pair<uint8_t, const TGIFExtensionClass*>> rows_;
};

// Application identifier (all 11 bytes, case matters) -> class.
class TAppExtensionList {
  public:
    static TAppExtensionList& Instance();
    static void Free();

    void Add(std::string_view identifier, const TGIFExtensionClass& kind);
    const TGIFExtensionClass* Find(const TGIFApplicationId& identifier) const;

  private:
    std::vector<std::pair<TGIFApplicationId, const TGIFExtensionClass*>> rows_;
};

// The class for the extension whose label follows at the stream's position (just
// after an introducer), or none. The stream is left where it was.
const TGIFExtensionClass* IdentifyExtension(TStream& stream);

}  // namespace vardel
