#include "graphics/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "graphics/PaletteColors.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TBitmap, TGraphic)

bool TBitmap::DeviceBitmapsOnly = false;

namespace {
// Replacing a bitmap's image and sharing it between copies run under this lock.
std::mutex& BitmapImageLock() {
    static std::mutex lock;
    return lock;
}

[[noreturn]] void OutOfResources() {
    const std::string text = gdi::SystemErrorMessage(gdi::GetLastError());
    throw EOutOfResources(text.empty() ? msg::kOutOfResources : text);
}

template <typename Handle>
Handle Checked(Handle h) {
    if (!h) OutOfResources();
    return h;
}

// A memory context with a bitmap selected, deleted when it goes out of scope.
class TempContext {
  public:
    explicit TempContext(const gdi::HBITMAP& bitmap)
        : dc_(Checked(gdi::CreateCompatibleDC(nullptr))) {
        if (bitmap && !gdi::SelectObject(dc_, bitmap)) {
            // Someone's surface still holds it: take it back first.
            FreeContextsWhere(
                [&](TCanvas& c) { return gdi::GetCurrentBitmap(c.HeldContext()) == bitmap; });
            Checked(gdi::SelectObject(dc_, bitmap));
        }
    }
    ~TempContext() { gdi::DeleteDC(dc_); }
    TempContext(const TempContext&) = delete;
    TempContext& operator=(const TempContext&) = delete;
    const gdi::HDC& dc() const { return dc_; }

  private:
    gdi::HDC dc_;
};

int DisplayBits() {
    gdi::HDC screen = gdi::GetDC();
    const int bits =
        gdi::GetDeviceCaps(screen, gdi::BITSPIXEL) * gdi::GetDeviceCaps(screen, gdi::PLANES);
    gdi::ReleaseDC(screen);
    return bits;
}
}  // namespace

std::vector<gdi::RGBQUAD> PaletteColors(const gdi::HPALETTE& palette, size_t limit) {
    std::vector<gdi::PALETTEENTRY> entries(std::min<size_t>(gdi::GetObject(palette), limit));
    gdi::GetPaletteEntries(palette, 0, static_cast<unsigned>(entries.size()), entries.data());
    std::vector<gdi::RGBQUAD> quads(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        quads[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return quads;
}

gdi::HPALETTE PaletteFromColors(const std::vector<gdi::RGBQUAD>& colors) {
    if (colors.empty()) return nullptr;
    gdi::LOGPALETTE lp;
    for (const auto& q : colors) lp.palPalEntry.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
    return gdi::CreatePalette(lp);
}

// ---------------------------------------------------------------------------
// The surface bound to a bitmap

TBitmapCanvas::TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}

TBitmapCanvas::~TBitmapCanvas() {
    FreeContext();
}

void TBitmapCanvas::AcquireContext() {
    Lock();
    struct Unlocker {
        TCanvas* canvas;
        ~Unlocker() { canvas->Unlock(); }
    } unlocker{this};
    bitmap_->HandleNeeded();
    const gdi::HBITMAP handle = bitmap_->image_->handle;
    // A platform bitmap can be selected into one context only.
    if (handle)
        FreeContextsWhere([&](TCanvas& c) {
            return &c != this && gdi::GetCurrentBitmap(c.HeldContext()) == handle;
        });
    bitmap_->PaletteNeeded();
    gdi::HDC dc = Checked(gdi::CreateCompatibleDC(nullptr));
    if (handle) oldBitmap_ = Checked(gdi::SelectObject(dc, handle));
    if (const gdi::HPALETTE& palette = bitmap_->image_->palette) {
        oldPalette_ = gdi::SelectPalette(dc, palette, true);
        gdi::RealizePalette(dc);
    }
    SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
    if (!HandleAllocated()) return;
    Lock();
    gdi::HDC dc = HeldContext();
    if (oldBitmap_) gdi::SelectObject(dc, oldBitmap_);
    if (oldPalette_) gdi::SelectPalette(dc, oldPalette_, true);
    oldBitmap_.reset();
    oldPalette_.reset();
    SetHandle(nullptr);
    gdi::DeleteDC(dc);
    Unlock();
}

// ---------------------------------------------------------------------------
// Bitmap

TBitmap::TBitmap() : image_(std::make_shared<TBitmapImage>()) {}

TBitmap::~TBitmap() {
    canvas_.reset();
    std::lock_guard lock(BitmapImageLock());
    image_.reset();
}

void TBitmap::FreeContext() {
    if (canvas_) canvas_->FreeContext();
}

void TBitmap::InstallImage(std::shared_ptr<TBitmapImage> image) {
    FreeContext();
    std::lock_guard lock(BitmapImageLock());
    image_ = std::move(image);
    prepared_ = nullptr;
    NextNoticeEpoch();
}

void TBitmap::PrepareChange() {
    if (image_.use_count() > 1) {
        // Copy on write: this bitmap gets an image of its own.
        const TBitmapImage& old = *image_;
        gdi::BITMAPINFOHEADER header =
            old.section ? old.description.dsBmih : gdi::BITMAPINFOHEADER{};
        header.biSize = old.section ? 40 : 0;
        header.biWidth = old.description.dsBm.bmWidth;
        if (!old.section) header.biHeight = old.description.dsBm.bmHeight;
        CopyImage(header, old.palette, nullptr, Monochrome() && !old.section);
    } else if (image_->handle && image_->section && image_->handle != image_->section) {
        // A section kept beside a device bitmap no longer shows what will be drawn.
        image_->section.reset();
    }
    image_->description.dsBmih.biClrUsed = 0;
    image_->description.dsBmih.biClrImportant = 0;
    image_->keptFileBytes.reset();
    prepared_ = image_.get();
}

void TBitmap::HandleNeeded() {
    TBitmapImage& image = *image_;
    if (image.handle) return;
    if (!image.section && image.keptFileBytes) ReloadKeptBytes();
    if (!image_->handle && image_->section) image_->handle = image_->section;
}

void TBitmap::ReloadKeptBytes() {
    const auto bytes = image_->keptFileBytes;
    TReadOnlyMemoryStream stream(bytes->data(), bytes->size());
    // Reloading is not a change that anyone needs to hear about.
    auto subscriber = std::move(OnModified);
    OnModified = nullptr;
    try {
        ReadStream(stream, static_cast<int64_t>(bytes->size()));
    } catch (...) {
        OnModified = std::move(subscriber);
        throw;
    }
    OnModified = std::move(subscriber);
}

void TBitmap::PaletteNeeded() {
    if (noPaletteAvailable_ || image_->palette) return;
    HandleNeeded();
    TBitmapImage& image = *image_;
    if (!image.handle) return;
    if (image.section && image.description.dsBmih.biBitCount <= 8) {
        TempContext temp(image.section);
        gdi::RGBQUAD colors[256];
        const unsigned n = gdi::GetDIBColorTable(temp.dc(), 0, 256, colors);
        image.palette = PaletteFromColors({colors, colors + n});
    }
    if (!image.palette && DisplayBits() < image.description.dsBm.bmBitsPixel) {
        gdi::HDC screen = gdi::GetDC();
        image.palette = gdi::CreateHalftonePalette(screen);
        gdi::ReleaseDC(screen);
        image.halftonePalette = image.palette != nullptr;
    }
    noPaletteAvailable_ = image.palette == nullptr;
}

void TBitmap::CopyImage(const gdi::BITMAPINFOHEADER& header, const gdi::HPALETTE& palette,
                        const std::vector<gdi::RGBQUAD>* colors, bool monochrome,
                        const std::array<uint32_t, 3>* masks) {
    auto fresh = std::make_shared<TBitmapImage>();
    fresh->coreHeaderOrigin = image_->coreHeaderOrigin;
    fresh->palette = palette;
    fresh->halftonePalette = palette && palette == image_->palette && image_->halftonePalette;
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (width == 0 || height == 0) {
        // An empty image keeps its description so that a later size gets the same format.
        fresh->description.dsBmih = header;
        fresh->description.dsBm.bmBitsPixel = image_->description.dsBm.bmBitsPixel;
        fresh->description.dsBm.bmWidth = width;
        fresh->description.dsBm.bmHeight = height;
        InstallImage(std::move(fresh));
        return;
    }
    {
        // Refused with the budget's own message before the graphics layer is asked.
        const int bits = monochrome                                 ? 1
                         : header.biSize >= 40 && header.biBitCount ? header.biBitCount
                                                                    : DisplayBits();
        const uint64_t columns = static_cast<uint64_t>(std::abs(int64_t{width}));
        CheckPictureAllocation((columns * bits + 31) / 32 * 4 * static_cast<uint64_t>(height));
    }
    gdi::HBITMAP made;
    if (header.biSize >= 40) {
        gdi::BITMAPINFO info;
        info.bmiHeader = header;
        info.bmiHeader.biSize = 40;
        if (info.bmiHeader.biBitCount == 0)
            info.bmiHeader.biBitCount = static_cast<uint16_t>(DisplayBits());
        const int bits = info.bmiHeader.biBitCount;
        if (bits <= 8) {
            const size_t full = size_t{1} << bits;
            if (colors) {
                info.bmiColors = *colors;
            } else if (palette) {
                info.bmiColors = PaletteColors(palette, full);
            } else if (image_->section && image_->description.dsBmih.biBitCount == bits) {
                TempContext temp(image_->section);
                gdi::RGBQUAD table[256];
                info.bmiColors.assign(table,
                                      table + gdi::GetDIBColorTable(temp.dc(), 0, 256, table));
            }
            if (info.bmiColors.empty() && bits == 1)
                info.bmiColors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
            info.bmiColors.resize(std::min(full, std::max<size_t>(info.bmiColors.size(), 2)));
            info.bmiHeader.biClrUsed = static_cast<uint32_t>(info.bmiColors.size());
        }
        if (info.bmiHeader.biCompression == gdi::BI_BITFIELDS) {
            info.bmiMasks = masks ? *masks : image_->description.dsBitfields;
            if (info.bmiMasks == std::array<uint32_t, 3>{} ||
                image_->description.dsBmih.biBitCount != bits)
                info.bmiMasks = bits == 16 ? std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                                           : std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
        }
        gdi::HDC screen = gdi::GetDC();
        made = gdi::CreateDIBSection(screen, info, gdi::DIB_RGB_COLORS, nullptr);
        gdi::ReleaseDC(screen);
        if (!made) OutOfResources();
        fresh->section = made;
    } else if (monochrome) {
        made = Checked(gdi::CreateBitmap(width, height, 1, 1, nullptr));
    } else {
        gdi::HDC screen = gdi::GetDC();
        made = gdi::CreateCompatibleBitmap(screen, width, height);
        gdi::ReleaseDC(screen);
        if (!made) OutOfResources();
    }
    fresh->handle = made;
    gdi::GetObject(made, fresh->description);
    {
        // New area takes the surface's brush (white unless changed), then the old
        // content goes in at the top-left corner, unscaled.
        TempContext target(made);
        if (canvas_) {
            gdi::FillRect(target.dc(), {0, 0, width, height}, canvas_->Brush().Handle());
        } else {
            gdi::PatBlt(target.dc(), 0, 0, width, height, gdi::WHITENESS);
        }
        if (image_->handle || image_->section) {
            FreeContext();
            TempContext source(image_->handle ? image_->handle : image_->section);
            gdi::BitBlt(target.dc(), 0, 0, width, height, source.dc(), 0, 0, gdi::SRCCOPY);
        }
    }
    fresh->description.dsBmih.biXPelsPerMeter = image_->description.dsBmih.biXPelsPerMeter;
    fresh->description.dsBmih.biYPelsPerMeter = image_->description.dsBmih.biYPelsPerMeter;
    InstallImage(std::move(fresh));
}

void TBitmap::SetImageSize(int width, int height) {
    if (width == Width() && height == Height()) return;
    const TBitmapImage& image = *image_;
    gdi::BITMAPINFOHEADER header = image.description.dsBmih;
    header.biWidth = width;
    // Keep the row order of a section; device bitmaps are described bottom-up.
    header.biHeight = header.biSize >= 40 && header.biHeight < 0 ? -height : height;
    if (header.biSize < 40) header.biBitCount = image.description.dsBm.bmBitsPixel;
    const bool monochrome = header.biSize < 40 && image.description.dsBm.bmBitsPixel == 1;
    CopyImage(header, image.palette, nullptr, monochrome);
    Changed();
}

void TBitmap::SetWidth(int value) {
    SetImageSize(value, Height());
}
void TBitmap::SetHeight(int value) {
    SetImageSize(Width(), value);
}
void TBitmap::SetSize(int width, int height) {
    SetImageSize(width, height);
}

int TBitmap::Width() const {
    return image_->description.dsBm.bmWidth;
}
int TBitmap::Height() const {
    return image_->description.dsBm.bmHeight;
}

bool TBitmap::IsEmpty() const {
    return !image_->handle && !image_->section && !image_->keptFileBytes;
}

bool TBitmap::Monochrome() const {
    return image_->description.dsBm.bmBitsPixel == 1;
}

TCanvas& TBitmap::Surface() {
    HandleNeeded();
    if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(this);
    return *canvas_;
}

THandleKind TBitmap::HandleKind() const {
    const TBitmapImage& image = *image_;
    if ((image.handle && image.handle != image.section) ||
        (!image.handle && !image.section && image.description.dsBmih.biSize == 0))
        return THandleKind::DeviceDependent;
    return THandleKind::DeviceIndependent;
}

void TBitmap::SetHandleKind(THandleKind kind) {
    if (kind == HandleKind()) return;
    const TBitmapImage& image = *image_;
    gdi::BITMAPINFOHEADER header = image.description.dsBmih;
    header.biWidth = Width();
    if (kind == THandleKind::DeviceDependent) {
        header.biSize = 0;
        header.biHeight = Height();
        CopyImage(header, image.palette, nullptr, Monochrome() && !image.section);
    } else {
        // A device bitmap becomes a section of its own depth, rows bottom-up.
        if (header.biSize < 40) {
            header = gdi::BITMAPINFOHEADER{};
            header.biWidth = Width();
            header.biHeight = Height();
            header.biBitCount = image.description.dsBm.bmBitsPixel;
        }
        header.biSize = 40;
        CopyImage(header, image.palette, nullptr, false);
    }
    Changed();
}

TPixelLayout TBitmap::PixelLayout() const {
    if (HandleKind() == THandleKind::DeviceDependent) return TPixelLayout::FormatDevice;
    const auto& h = image_->description.dsBmih;
    switch (h.biBitCount) {
        case 1:
            return TPixelLayout::Format1Bit;
        case 4:
            return TPixelLayout::Format4Bit;
        case 8:
            return TPixelLayout::Format8Bit;
        case 16:
            if (h.biCompression == gdi::BI_RGB) return TPixelLayout::Format15Bit;
            if (h.biCompression == gdi::BI_BITFIELDS &&
                image_->description.dsBitfields[1] == 0x07E0)
                return TPixelLayout::Format16Bit;
            return TPixelLayout::FormatCustom;
        case 24:
            return TPixelLayout::Format24Bit;
        case 32:
            return h.biCompression == gdi::BI_RGB ? TPixelLayout::Format32Bit
                                                  : TPixelLayout::FormatCustom;
        default:
            return TPixelLayout::FormatCustom;
    }
}

void TBitmap::SetPixelLayout(TPixelLayout layout) {
    if (layout == PixelLayout()) return;
    if (layout == TPixelLayout::FormatDevice) {
        SetHandleKind(THandleKind::DeviceDependent);
        return;
    }
    if (layout == TPixelLayout::FormatCustom) throw EInvalidGraphic(msg::kInvalidPixelFormat);
    static constexpr uint16_t kBits[] = {0, 1, 4, 8, 16, 16, 24, 32};
    gdi::BITMAPINFOHEADER header;
    header.biSize = 40;
    header.biWidth = Width();
    header.biHeight = Height();
    header.biBitCount = kBits[static_cast<int>(layout)];
    header.biCompression = layout == TPixelLayout::Format16Bit ? gdi::BI_BITFIELDS : gdi::BI_RGB;
    gdi::HPALETTE palette = image_->palette;
    if (layout == TPixelLayout::Format4Bit) {
        palette = gdi::GetSystemPalette16();
    } else if (layout == TPixelLayout::Format8Bit) {
        gdi::HDC screen = gdi::GetDC();
        palette = gdi::CreateHalftonePalette(screen);
        gdi::ReleaseDC(screen);
    }
    // 16 bits is always the 5-6-5 layout, whatever masks a 16-bit image had before.
    static constexpr std::array<uint32_t, 3> k565 = {0xF800, 0x07E0, 0x001F};
    CopyImage(header, palette, nullptr, false,
              layout == TPixelLayout::Format16Bit ? &k565 : nullptr);
    if (layout == TPixelLayout::Format8Bit) image_->halftonePalette = true;
    noPaletteAvailable_ = false;
    Changed();
}

uint8_t* TBitmap::ScanRow(int row) {
    if (row < 0 || row >= Height()) throw EInvalidGraphicOperation(msg::kScanLine);
    Changing();
    EnsureSection();
    gdi::GdiFlush();
    const gdi::DIBSECTION& d = image_->description;
    const int stored = d.dsBmih.biHeight > 0 ? d.dsBm.bmHeight - 1 - row : row;
    return d.dsBm.bmBits + static_cast<ptrdiff_t>(d.dsBm.bmWidthBytes) * stored;
}

void TBitmap::EnsureSection() {
    if (image_->section && image_->handle == image_->section) return;
    SetHandleKind(THandleKind::DeviceIndependent);
}

void TBitmap::AttachHandle(gdi::HBITMAP handle) {
    if (handle && handle == image_->handle) return;
    auto fresh = std::make_shared<TBitmapImage>();
    if (handle) {
        gdi::GetObject(handle, fresh->description);
        fresh->handle = handle;
        if (fresh->description.isSection) fresh->section = handle;
    }
    fresh->palette = image_->palette;
    fresh->halftonePalette = image_->halftonePalette;
    InstallImage(std::move(fresh));
    Changed();
}

gdi::HBITMAP TBitmap::Handle() {
    FreeContext();
    HandleNeeded();
    Changing();
    return image_->handle;
}

void TBitmap::MaskNeeded() {
    if (maskValid_ && image_->maskHandle) return;
    HandleNeeded();
    if (!image_->handle) return;
    const int w = Width(), h = Height();
    const uint32_t transparent = ResolveColor(TransparentColor()) & 0xFFFFFF;
    gdi::HBITMAP mask = Checked(gdi::CreateBitmap(w, h, 1, 1, nullptr));
    {
        TempContext target(mask);
        FreeContext();
        TempContext source(image_->handle);
        // Colour-to-monochrome transfers make pixels of the background colour white.
        gdi::SetBkColor(source.dc(), transparent);
        gdi::BitBlt(target.dc(), 0, 0, w, h, source.dc(), 0, 0, gdi::SRCCOPY);
    }
    image_->maskHandle = mask;
    maskValid_ = true;
    // The next change of pixels outdates it again.
    NextNoticeEpoch();
}

gdi::HBITMAP TBitmap::MaskHandle() {
    MaskNeeded();
    return image_->maskHandle;
}

TColor TBitmap::TransparentColor() const {
    if (transparentColor_ != clDefault) return transparentColor_;
    if (Monochrome()) return clWhite;
    if (IsEmpty()) return clDefault;
    return const_cast<TBitmap*>(this)->Surface().ReadPixel(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    if (color == transparentColor_) return;
    transparentColor_ = color;
    Changed();
}

gdi::HPALETTE TBitmap::Palette() {
    PaletteNeeded();
    return image_->palette;
}

void TBitmap::SetPalette(const gdi::HPALETTE& palette) {
    if (palette == image_->palette) return;
    Changing();
    image_->palette = palette;
    image_->halftonePalette = false;
    noPaletteAvailable_ = false;
    if (palette && image_->section && image_->description.dsBmih.biBitCount <= 8) {
        // A section of 8 bits or fewer shows its colour table: it follows the palette.
        FreeContext();
        TempContext temp(image_->section);
        const auto colors = PaletteColors(palette, 256);
        gdi::SetDIBColorTable(temp.dc(), 0, static_cast<unsigned>(colors.size()), colors.data());
    }
    SetPaletteDirty(true);
    Changed();
}

void TBitmap::Assign(const TPersistent* source) {
    if (!source) {
        InstallImage(std::make_shared<TBitmapImage>());
        Changed();
        return;
    }
    const auto* other = dynamic_cast<const TBitmap*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    if (other != this) {
        FreeContext();
        std::lock_guard lock(BitmapImageLock());
        image_ = other->image_;
        prepared_ = nullptr;
    }
    transparentColor_ = other->transparentColor_;
    maskValid_ = false;
    noPaletteAvailable_ = other->noPaletteAvailable_;
    SetTransparentFlag(other->Transparent());
    if (image_->palette) SetPaletteDirty(true);
    Changed();
}

void TBitmap::Render(TCanvas& canvas, const gdi::RECT& rect) {
    if (IsEmpty()) return;
    HandleNeeded();
    const gdi::HDC dc = canvas.DrawingContext();
    PaletteNeeded();
    gdi::HPALETTE oldPalette;
    if (image_->palette) {
        oldPalette = gdi::SelectPalette(dc, image_->palette, true);
        gdi::RealizePalette(dc);
    }
    const int deviceBits = gdi::GetDeviceCaps(dc, gdi::BITSPIXEL);
    const int bits = image_->description.dsBm.bmBitsPixel;
    if (deviceBits <= 8 && deviceBits < bits) {
        gdi::POINT origin;
        gdi::SetBrushOrgEx(dc, 0, 0, &origin);
        gdi::SetStretchBltMode(dc, gdi::HALFTONE);
        gdi::SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    } else if (!Monochrome()) {
        gdi::SetStretchBltMode(dc, gdi::COLORONCOLOR);
    }
    const int w = Width(), h = Height();
    if (!Transparent()) {
        gdi::StretchBlt(dc, rect.left, rect.top, rect.Width(), rect.Height(),
                        Surface().DrawingContext(), 0, 0, w, h, canvas.CopyMode());
    } else {
        MaskNeeded();
        const gdi::HDC source = Surface().DrawingContext();
        const int rw = rect.Width(), rh = rect.Height();
        if (rw == w && rh == h) {
            gdi::MaskBlt(dc, rect.left, rect.top, w, h, source, 0, 0, image_->maskHandle, 0, 0,
                         gdi::MAKEROP4(0x00AA0029, gdi::SRCCOPY));
        } else if (rw > 0 && rh > 0) {
            // Scale picture and mask to the target size first; then transfer through
            // the mask so that transparent pixels leave the target as it was.
            gdi::HBITMAP work = Checked(gdi::CreateCompatibleBitmap(dc, rw, rh));
            gdi::HBITMAP mask = Checked(gdi::CreateBitmap(rw, rh, 1, 1, nullptr));
            TempContext workDc(work), maskDc(mask), maskSource(image_->maskHandle);
            gdi::SetStretchBltMode(workDc.dc(), gdi::COLORONCOLOR);
            gdi::StretchBlt(workDc.dc(), 0, 0, rw, rh, source, 0, 0, w, h, gdi::SRCCOPY);
            gdi::StretchBlt(maskDc.dc(), 0, 0, rw, rh, maskSource.dc(), 0, 0, w, h, gdi::SRCCOPY);
            gdi::MaskBlt(dc, rect.left, rect.top, rw, rh, workDc.dc(), 0, 0, mask, 0, 0,
                         gdi::MAKEROP4(0x00AA0029, gdi::SRCCOPY));
        }
    }
    if (oldPalette) gdi::SelectPalette(dc, oldPalette, true);
}

void TBitmap::LoadClipboard(uint16_t, const std::vector<uint8_t>& data, const gdi::HPALETTE&) {
    TReadOnlyMemoryStream stream(data.data(), data.size());
    LoadStream(stream);
}

void TBitmap::SaveClipboard(uint16_t& format, std::vector<uint8_t>& data, gdi::HPALETTE& palette) {
    TMemoryStream stream;
    SaveStream(stream);
    format = 2;  // the bitmap clipboard format
    data = stream.TakeBytes();
    palette = Palette();
}

void TBitmap::LoadStream(TStream& stream) {
    ReadStream(stream, stream.Size() - stream.Position());
}

void TBitmap::SaveStream(TStream& stream) {
    WriteStream(stream);
}

}  // namespace vardel
