// The picture container: one graphic of any registered kind, loaded and saved by
// file name through the registry of extensions.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Graphic.h"

namespace vardel {

class TBitmap;

struct TFileFormat {
    std::string extension;  // lower case, without the dot
    std::string description;
    const TGraphicClass* kind;
    int descriptionId = 0;
};

// The process-wide registry of file extensions. Lookups run from the last row to the
// first, so a later registration of an extension wins.
class TFileFormatsList {
public:
    static TFileFormatsList& Instance();  // made with its four built-in rows on first use

    void Add(std::string_view extension, std::string_view description, const TGraphicClass& kind);
    void Remove(const TGraphicClass& kind);  // every row of the kind or of kinds derived from it
    const TGraphicClass* FindByExtension(std::string_view extension) const;
    std::vector<TFileFormat> Rows() const;

private:
    TFileFormatsList();
    std::vector<TFileFormat> rows_;
};

// Clipboard format numbers and the kinds that read them.
class TClipboardFormats {
public:
    static TClipboardFormats& Instance();

    void Add(uint16_t format, const TGraphicClass& kind);
    void Remove(const TGraphicClass& kind);
    const TGraphicClass* FindFormat(uint16_t format) const;
    std::vector<std::pair<uint16_t, const TGraphicClass*>> Rows() const;

private:
    TClipboardFormats();
    std::vector<std::pair<uint16_t, const TGraphicClass*>> rows_;
};

// A number for a named clipboard format, the same for the same name.
uint16_t RegisterClipboardFormat(std::string_view name);

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    std::string_view ClassName() const override { return "TPicture"; }

    TGraphic* Graphic() const { return graphic_.get(); }
    // Loads a file by the kind that its extension names; on failure the picture keeps
    // its graphic and sends no notification.
    void LoadFile(std::string_view fileName);
    // Writes the held graphic in its own format; an empty picture writes nothing.
    void SaveFile(std::string_view fileName);
    // Makes sure a bitmap is held (replacing any other kind) and returns it.
    TBitmap* AsBitmap();
    void EnsureKind(const TGraphicClass& kind);
    // Holds a copy of graphic (none empties the picture).
    void AssignGraphic(const TGraphic* graphic);
    void Assign(const TPersistent* source) override;
    void LoadStream(TStream& stream);
    void SaveStream(TStream& stream);

    int Width() const;
    int Height() const;
    // Whether the held graphic's changes reach nobody but this picture: its change
    // subscriber is the picture's own subscription, or there is none.
    bool HearsGraphicAlone() const;

    TChangeSubscriber<void(TPicture* sender)> OnModified;
    TProgressEvent OnProgress;

    static void RegisterFormat(std::string_view extension, std::string_view description, const TGraphicClass& kind);
    static void RegisterClipboard(uint16_t format, const TGraphicClass& kind);
    static void UnregisterKind(const TGraphicClass& kind);

private:
    // The picture's subscription to its graphic, told apart from anyone else's.
    struct GraphicChanged {
        TPicture* picture;
        void operator()(TGraphic*) const { picture->Changed(); }
    };

    void Hold(std::unique_ptr<TGraphic> graphic);
    void Subscribe(TGraphic& graphic);
    void Changed() {
        if (OnModified) OnModified(this);
    }

    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace vardel
