// `vardel-cli run "Componente Roja"` end to end (load a 4000 × 3000 24-bit BMP, run
// the command on the real windows offscreen, save a 24-bit BMP) beside ImageMagick
// and Pillow doing the same job, each as its own process, in the same run. Reports
// the wall time, the processor time and the peak memory of each process.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench/BenchPictures.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;
constexpr int kWidth = 4000, kHeight = 3000;

// The input and output files, removed when the program ends.
struct TempDir {
    fs::path path;
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const fs::path& Dir() {
    static const TempDir dir = [] {
        fs::path d = fs::temp_directory_path() / ("vardel-cli-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        vardel::TBitmap bitmap;
        vardel::bench::MakeVariedPicture(bitmap, kWidth, kHeight);
        bitmap.SaveFile((d / "in.bmp").string());
        return TempDir{d};
    }();
    return dir.path;
}

// Runs a program to its end; returns false when it could not run or failed.
bool RunProcess(const std::vector<std::string>& args, double& seconds, double& cpuSeconds,
                long& peakKiB) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    peakKiB = usage.ru_maxrss;
    cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Job(benchmark::State& state, std::vector<std::string> args) {
    const std::string in = (Dir() / "in.bmp").string(), out = (Dir() / "out.bmp").string();
    for (std::string& a : args) {
        if (a == "IN") a = in;
        if (a == "OUT") a = out;
    }
    long peak = 0;
    double cpu = 0;
    for (auto _ : state) {
        double seconds = 0, cpuSeconds = 0;
        if (!RunProcess(args, seconds, cpuSeconds, peak)) {
            state.SkipWithError(("could not run " + args[0]).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        cpu += cpuSeconds;
    }
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    // Processor time of the process (user and system), steadier than the wall time
    // on a shared machine.
    state.counters["cpu_ms"] = 1000.0 * cpu / static_cast<double>(state.iterations());
}

const char* const kPillow =
    "import sys\n"
    "from PIL import Image\n"
    "im = Image.open(sys.argv[1])\n"
    "r = im.getchannel('R')\n"
    "Image.merge('RGB', (r, r, r)).save(sys.argv[2])\n";
}  // namespace

BENCHMARK_CAPTURE(Job, VardelCliRun,
                  std::vector<std::string>{VARDEL_CLI, "run", "Componente Roja", "IN", "OUT"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Job, ImageMagick,
                  std::vector<std::string>{"convert", "IN", "-channel", "R", "-separate", "OUT"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Job, Pillow,
                  std::vector<std::string>{"/usr/bin/python3", "-c", kPillow, "IN", "OUT"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
