// Metafile playback at 1600 × 1200: the largest enhanced metafile of the shared corpus
// (a statistics chart of lines, markers and text), for which no renderer of enhanced
// metafiles is at hand on this system to compare with; and Pillow's Windows metafile
// beside libwmf's wmf2gd drawing it at the same size (a process writing a PNG).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/gdi/Gdi.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;
using namespace vardel::gdi;
constexpr int kWidth = 1600, kHeight = 1200;

const fs::path kCorpus = fs::path(VARDEL_CORPUS_DIR) / "metafile";

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path Largest() {
    fs::path best;
    uintmax_t size = 0;
    if (!fs::exists(kCorpus / "emf")) return best;
    for (const auto& e : fs::directory_iterator(kCorpus / "emf"))
        if (e.path().extension() == ".emf" && e.file_size() > size)
            size = e.file_size(), best = e.path();
    return best;
}

struct Target {
    HDC dc = CreateCompatibleDC(nullptr);
    Target() {
        BITMAPINFO info;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biBitCount = 32;
        SelectObject(dc, CreateDIBSection(nullptr, info, DIB_RGB_COLORS, nullptr));
    }
    ~Target() { DeleteDC(dc); }
};

void PlayChart(benchmark::State& state) {
    const fs::path file = Largest();
    if (file.empty()) return state.SkipWithError("the shared corpus is not here");
    const std::vector<uint8_t> bytes = ReadAll(file);
    const HENHMETAFILE metafile = SetEnhMetaFileBits(bytes.data(), bytes.size());
    Target target;
    for (auto _ : state) {
        PatBlt(target.dc, 0, 0, kWidth, kHeight, WHITENESS);
        PlayEnhMetaFile(target.dc, metafile, {0, 0, kWidth, kHeight});
    }
}
BENCHMARK(PlayChart)->Unit(benchmark::kMillisecond);

// The placeable header left out, as the picture model keeps the file.
void PlayPillowWmf(benchmark::State& state) {
    const std::vector<uint8_t> bytes = ReadAll(kCorpus / "pillow" / "drawing.wmf");
    if (bytes.size() < 40) return state.SkipWithError("the shared corpus is not here");
    const HENHMETAFILE metafile = SetWinMetaFileBits(bytes.data() + 22, bytes.size() - 22);
    Target target;
    for (auto _ : state) {
        PatBlt(target.dc, 0, 0, kWidth, kHeight, WHITENESS);
        PlayWinMetaFile(target.dc, metafile, {0, 0, 1369, 1369}, {0, 0, kWidth, kHeight});
    }
}
BENCHMARK(PlayPillowWmf)->Unit(benchmark::kMillisecond);

void Wmf2gd(benchmark::State& state) {
    const std::string in = (kCorpus / "pillow" / "drawing.wmf").string();
    const std::string out =
        (fs::temp_directory_path() / ("vardel-wmf2gd-" + std::to_string(::getpid()) + ".png"))
            .string();
    std::vector<std::string> args = {
        "wmf2gd", "--maxwidth=1600", "--maxheight=1200", "--maxsize", "-t", "png", "-o", out, in};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Its progress report goes nowhere.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "wmf2gd", &quiet, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return posix_spawn_file_actions_destroy(&quiet),
                   state.SkipWithError("wmf2gd could not run");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    posix_spawn_file_actions_destroy(&quiet);
    fs::remove(out);
}
BENCHMARK(Wmf2gd)->UseManualTime()->Unit(benchmark::kMillisecond);
}  // namespace
