// Metafiles kept as bytes. Asking an enhanced metafile for its Windows form embeds
// the enhanced bytes in comment records (and the other way round), so a metafile
// that travels through the other form comes back unchanged.
#include <algorithm>

#include "platform/gdi/GdiObjects.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel::gdi {

namespace {
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kEmfHeaderType = 1, kEmfEofType = 14, kEmfCommentType = 70;
constexpr uint16_t kMetaEscape = 0x0626, kMfComment = 15;
constexpr uint32_t kEmbeddedEmf = 0x464D4556;  // "VEMF"
constexpr uint32_t kEmbeddedWmf = 0x464D5756;  // "VWMF"
constexpr size_t kChunk = 8192;

// Enhanced bytes embedded by WmfEmbedding, or empty.
std::vector<uint8_t> FindEmbeddedEmf(const std::vector<uint8_t>& wmf) {
    std::vector<uint8_t> emf;
    size_t at = 18;
    while (at + 6 <= wmf.size()) {
        const uint64_t words = LoadLe32(&wmf[at]);
        const uint16_t function = LoadLe16(&wmf[at + 4]);
        if (words < 3 || at + words * 2 > wmf.size()) break;
        if (function == kMetaEscape && words * 2 >= 18 && LoadLe16(&wmf[at + 6]) == kMfComment &&
            LoadLe32(&wmf[at + 10]) == kEmbeddedEmf) {
            const uint16_t count = LoadLe16(&wmf[at + 8]);
            const uint32_t total = LoadLe32(&wmf[at + 14]);
            if (count < 8 || 10 + size_t{count} > words * 2 || total > (1u << 30)) return {};
            emf.insert(emf.end(), &wmf[at + 18], &wmf[at + 10 + count]);
            if (emf.size() > total) return {};
        }
        if (function == 0) break;
        at += words * 2;
    }
    return emf;
}
}  // namespace

HENHMETAFILE SetEnhMetaFileBits(const uint8_t* data, size_t size) {
    if (!data || size < 88 || LoadLe32(data) != kEmfHeaderType ||
        LoadLe32(data + 40) != kEmfSignature) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    const uint32_t bytes = LoadLe32(data + 48);
    if (bytes < 88 || bytes > size) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto m = std::make_shared<MetafileObj>();
    m->emf.assign(data, data + bytes);
    // A Windows metafile embedded by GetEnhMetaFileBits comes back in its own form.
    if (bytes >= 88 + 16 + 4 && LoadLe32(data + 88) == kEmfCommentType &&
        LoadLe32(data + 88 + 12) == kEmbeddedWmf) {
        const uint32_t record = LoadLe32(data + 92), count = LoadLe32(data + 96);
        if (count >= 4 && 12 + size_t{count} <= record && 88 + size_t{record} <= bytes)
            m->wmf.assign(data + 88 + 16, data + 88 + 12 + count);
    }
    return m;
}

HENHMETAFILE SetWinMetaFileBits(const uint8_t* data, size_t size) {
    if (!data || size < 18 || (LoadLe16(data) != 1 && LoadLe16(data) != 2) ||
        LoadLe16(data + 2) != 9 || (LoadLe16(data + 4) != 0x100 && LoadLe16(data + 4) != 0x300)) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto m = std::make_shared<MetafileObj>();
    m->wmf.assign(data, data + size);
    m->emf = FindEmbeddedEmf(m->wmf);
    if (!m->emf.empty() && !SetEnhMetaFileBits(m->emf.data(), m->emf.size())) m->emf.clear();
    return m;
}

bool IsWinMetaFile(const HENHMETAFILE& metafile) {
    return metafile && metafile->emf.empty();
}

std::vector<uint8_t> GetEnhMetaFileBits(const HENHMETAFILE& metafile) {
    if (!metafile) return {};
    if (!metafile->emf.empty()) return metafile->emf;
    // Header, one comment record holding the Windows bytes, end record.
    std::vector<uint8_t> out;
    const uint32_t count = static_cast<uint32_t>(metafile->wmf.size()) + 4;
    const uint32_t comment = (12 + count + 3) & ~3u;
    const uint32_t total = 88 + comment + 20;
    AppendLe32(out, kEmfHeaderType);
    AppendLe32(out, 88);
    out.resize(out.size() + 32, 0);  // bounds and frame unknown
    AppendLe32(out, kEmfSignature);
    AppendLe32(out, 0x10000);
    AppendLe32(out, total);
    AppendLe32(out, 3);  // records
    AppendLe16(out, 1);  // handles
    AppendLe16(out, 0);
    AppendLe32(out, 0);  // description
    AppendLe32(out, 0);
    AppendLe32(out, 0);  // palette entries
    out.resize(88, 0);
    AppendLe32(out, kEmfCommentType);
    AppendLe32(out, comment);
    AppendLe32(out, count);
    AppendLe32(out, kEmbeddedWmf);
    out.insert(out.end(), metafile->wmf.begin(), metafile->wmf.end());
    out.resize(88 + comment, 0);
    AppendLe32(out, kEmfEofType);
    AppendLe32(out, 20);
    AppendLe32(out, 0);
    AppendLe32(out, 16);
    AppendLe32(out, 20);
    return out;
}

std::vector<uint8_t> GetWinMetaFileBits(const HENHMETAFILE& metafile) {
    if (!metafile) return {};
    if (!metafile->wmf.empty()) return metafile->wmf;
    const auto& emf = metafile->emf;
    std::vector<uint8_t> out(18, 0);
    uint32_t maxRecord = 3;
    for (size_t at = 0; at < emf.size(); at += kChunk) {
        const size_t n = std::min(kChunk, emf.size() - at);
        const uint16_t count = static_cast<uint16_t>(n + 8);
        const uint32_t words = static_cast<uint32_t>((6 + 4 + count + 1) / 2);
        maxRecord = std::max(maxRecord, words);
        const size_t start = out.size();
        AppendLe32(out, words);
        AppendLe16(out, kMetaEscape);
        AppendLe16(out, kMfComment);
        AppendLe16(out, count);
        AppendLe32(out, kEmbeddedEmf);
        AppendLe32(out, static_cast<uint32_t>(emf.size()));
        out.insert(out.end(), emf.begin() + at, emf.begin() + at + n);
        out.resize(start + words * 2, 0);
    }
    AppendLe32(out, 3);  // end of file record
    AppendLe16(out, 0);
    std::vector<uint8_t> header;
    AppendLe16(header, 1);
    AppendLe16(header, 9);
    AppendLe16(header, 0x300);
    AppendLe32(header, static_cast<uint32_t>(out.size() / 2));
    AppendLe16(header, 0);
    AppendLe32(header, maxRecord);
    AppendLe16(header, 0);
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

}  // namespace vardel::gdi
