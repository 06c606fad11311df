// Faces through fontconfig and FreeType. One library serves the whole process; its use
// is serialised, as FreeType faces are not to be shared between threads.
#include "platform/gdi/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

namespace vardel::gdi {

namespace {
std::mutex& EngineMutex() {
    static std::mutex m;
    return m;
}

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        return FT_Init_FreeType(&l) == 0 ? l : nullptr;
    }();
    return library;
}

// Glyphs reach no surface beyond this many pixels from the origin.
constexpr double kFarAway = 1 << 20;

// The average character width as fonts of the desktop measure it (and as a font's
// requested width means it): lower-case letters and the space weighted by how often
// they occur in English text, per thousand. Newer faces store an average over all
// their glyphs instead, which would make every requested width look narrower.
constexpr int kLetterWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                    56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};

double WeightedAverageWidth(FT_Face face) {
    double sum = 0;
    for (int i = 0; i < 27; ++i) {
        const FT_UInt glyph = FT_Get_Char_Index(face, i < 26 ? 'a' + i : ' ');
        FT_Fixed advance = 0;
        if (glyph == 0 || FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
        sum += static_cast<double>(advance) * kLetterWeights[i];
    }
    return sum / 1000;
}

class FreeTypeFace final : public FontFace {
  public:
    explicit FreeTypeFace(FT_Face face) : face_(face) {
        FaceMetrics& m = metrics_;
        m.unitsPerEm = face->units_per_EM;
        m.ascent = face->ascender;
        m.descent = -face->descender;
        m.averageWidth = face->units_per_EM / 2.0;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
            // The cell that the desktop's own text measures with.
            if (os2->usWinAscent + os2->usWinDescent > 0) {
                m.ascent = os2->usWinAscent;
                m.descent = os2->usWinDescent;
            }
            if (os2->xAvgCharWidth > 0) m.averageWidth = os2->xAvgCharWidth;
            if (os2->yStrikeoutSize > 0) {
                m.strikeoutPosition = os2->yStrikeoutPosition;
                m.strikeoutThickness = os2->yStrikeoutSize;
            }
        }
        if (face->underline_thickness > 0) {
            m.underlinePosition = face->underline_position;
            m.underlineThickness = face->underline_thickness;
        }
        symbol_ = FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 &&
                  FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0;
        if (const double weighted = WeightedAverageWidth(face); weighted > 0)
            m.averageWidth = weighted;
    }
    ~FreeTypeFace() override {
        std::lock_guard lock(EngineMutex());
        FT_Done_Face(face_);
    }

    const FaceMetrics& Metrics() const override { return metrics_; }

    uint32_t GlyphIndex(char32_t c) const override {
        std::lock_guard lock(EngineMutex());
        uint32_t g = FT_Get_Char_Index(face_, c);
        // Symbol faces keep their characters at U+F000 and up.
        if (g == 0 && symbol_ && c < 0x100) g = FT_Get_Char_Index(face_, 0xF000 | c);
        return g;
    }

    double Advance(uint32_t glyph) const override {
        std::lock_guard lock(EngineMutex());
        FT_Fixed advance = 0;
        if (FT_Get_Advance(face_, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
        return static_cast<double>(advance);
    }

    void Render(uint32_t glyph, const Affine& toDevice, const RECT& clip,
                const std::function<void(int, int, int, uint8_t)>& blend) const override {
        if (clip.right <= clip.left || clip.bottom <= clip.top) return;
        std::lock_guard lock(EngineMutex());
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0 ||
            face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            return;
        const FT_Outline& source = face_->glyph->outline;
        if (source.n_points == 0) return;
        // Spans carry 16-bit columns: coordinates are taken relative to the clip's corner.
        const int ox = clip.left, oy = clip.top;
        FT_Outline outline;
        if (FT_Outline_New(Library(), source.n_points, source.n_contours, &outline) != 0) return;
        FT_Outline_Copy(&source, &outline);
        bool inside = true;
        for (int i = 0; i < outline.n_points && inside; ++i) {
            const PointD p =
                toDevice.Apply({double(source.points[i].x), double(source.points[i].y)});
            inside = std::fabs(p.x) < kFarAway && std::fabs(p.y) < kFarAway;
            outline.points[i].x = std::lround((p.x - ox) * 64);
            outline.points[i].y = std::lround((p.y - oy) * 64);
        }
        if (inside) {
            struct Sink {
                const std::function<void(int, int, int, uint8_t)>* blend;
                int ox, oy;
            } sink{&blend, ox, oy};
            FT_Raster_Params params{};
            params.source = &outline;
            params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
            params.gray_spans = [](int y, int count, const FT_Span* spans, void* user) {
                const auto& s = *static_cast<const Sink*>(user);
                for (int i = 0; i < count; ++i)
                    (*s.blend)(y + s.oy, spans[i].x + s.ox, spans[i].x + s.ox + spans[i].len,
                               spans[i].coverage);
            };
            params.user = &sink;
            params.clip_box = {0, 0, std::min(clip.right - ox, 32000),
                               std::min(clip.bottom - oy, 32000)};
            FT_Outline_Render(Library(), &outline, &params);
        }
        FT_Outline_Done(Library(), &outline);
    }

  private:
    FT_Face face_;
    FaceMetrics metrics_;
    bool symbol_ = false;
};

// The file and index of the installed face nearest to the request.
bool Find(const LOGFONT& font, std::string& file, int& index) {
    // fontconfig's tables live until the process ends, and are given back then.
    static bool ready = FcInit() && std::atexit([] { FcFini(); }) == 0;
    if (!ready) return false;
    FcPattern* pattern = FcPatternCreate();
    const std::string family =
        font.lfFaceName.empty() ? std::string("sans-serif") : font.lfFaceName;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        FcWeightFromOpenType(font.lfWeight > 0 ? font.lfWeight : 400));
    FcPatternAddInteger(pattern, FC_SLANT, font.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch;
    if (found) file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    FcPatternDestroy(match);
    return found;
}
}  // namespace

std::shared_ptr<const FontFace> MatchFace(const LOGFONT& font) {
    static std::mutex cacheMutex;
    static std::map<std::string, std::shared_ptr<const FontFace>> cache;
    std::string key = font.lfFaceName;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    key += '|' + std::to_string(font.lfWeight >= 600) + (font.lfItalic ? "i" : "");
    std::lock_guard cacheLock(cacheMutex);
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    std::string file;
    int index = 0;
    std::shared_ptr<const FontFace> face;
    if (Find(font, file, index)) {
        std::lock_guard lock(EngineMutex());
        FT_Face ft = nullptr;
        if (Library() && FT_New_Face(Library(), file.c_str(), index, &ft) == 0) {
            if (FT_IS_SCALABLE(ft) && ft->units_per_EM > 0) {
                face = std::make_shared<FreeTypeFace>(ft);
            } else {
                FT_Done_Face(ft);
            }
        }
    }
    // Requests name faces freely: the cache keeps the last few dozen.
    if (cache.size() > 64) cache.clear();
    cache[key] = face;
    return face;
}

}  // namespace vardel::gdi
