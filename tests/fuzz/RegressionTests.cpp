// Replays every input that once crashed a reader (fuzz/regressions/<kind>/) and the
// fuzzers' seeds: each must now be read or refused cleanly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "fuzz/FuzzTargets.h"

namespace fs = std::filesystem;

namespace {
using Target = void (*)(const uint8_t*, size_t);

const std::map<std::string, Target>& Targets() {
    static const std::map<std::string, Target> targets = {
        {"bmp", vardel::fuzz::FuzzBmp}, {"ico", vardel::fuzz::FuzzIcon}, {"metafile", vardel::fuzz::FuzzMetafile},
        {"metafile-play", vardel::fuzz::FuzzMetafilePlay},
        {"jpeg", vardel::fuzz::FuzzJpeg},
        {"tiff", vardel::fuzz::FuzzTiff},
        {"gif", vardel::fuzz::FuzzGif}, {"gif-roundtrip", vardel::fuzz::FuzzGifRoundTrip},
        {"png", vardel::fuzz::FuzzPng}};
    return targets;
}

int Replay(const fs::path& root) {
    int replayed = 0;
    if (!fs::exists(root)) return 0;
    for (const auto& [kind, target] : Targets()) {
        if (!fs::exists(root / kind)) continue;
        for (const auto& entry : fs::directory_iterator(root / kind)) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(entry.path().string());
            target(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    return replayed;
}
}  // namespace

TEST(FuzzRegressions, EveryKeptInputIsHandledCleanly) {
    const fs::path fuzz = fs::path(VARDEL_SOURCE_DIR) / "fuzz";
    Replay(fuzz / "regressions");
    EXPECT_GT(Replay(fuzz / "seeds"), 0);
}
