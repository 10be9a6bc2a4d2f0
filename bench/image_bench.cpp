// Import and export of a full program: 500 lines mixing every kind of word.
// The import's free-slot scan reads the area from slot 0 for each line.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "image/program_image.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> WORDS = {
    "G90",    "G0",   "X12.345F100", "Y-0.500F05", "Z250.000F1500", "G1",   "A90.000F20",
    "M6T3",   "G54",  "G4.5",        "F2000",      "M3",            "E12",  "L5",
    "H2",     "G17",  "G41",         "G12Y",       "M20",           "M41",  "G40",
};

fs::path ScratchFolder()
{
    // tmpfs when there is one, so the figures are the program's and not the
    // disk's.
    const fs::path shm = "/dev/shm";
    const fs::path base = fs::is_directory(shm) ? shm : fs::temp_directory_path();
    std::string pattern = (base / "vem-image-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern;
}

std::string WriteProgram(const fs::path& folder)
{
    const std::string path = (folder / "bench.prgVem730").string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < PROGRAM_SLOTS; ++i)
        out << WORDS[i % WORDS.size()] << "\r\n";
    return path;
}

void BM_ImportText500Lines(benchmark::State& state)
{
    const fs::path folder = ScratchFolder();
    const std::string text = WriteProgram(folder);
    const std::string image = (folder / "bench.prgVem730.tmp").string();
    for (auto _ : state) {
        CProgramImage program(3, text, image, 0, 0);
        program.SelectProgram(0);
        if (program.ImportText() != PROGRAM_SLOTS) {
            state.SkipWithError("import did not take every line");
            break;
        }
    }
    fs::remove_all(folder);
}

void BM_CheckText500Lines(benchmark::State& state)
{
    const fs::path folder = ScratchFolder();
    const std::string text = WriteProgram(folder);
    for (auto _ : state) {
        CProgramImage program(3, text, "", 0, 0);
        if (program.CheckText() != 0) {
            state.SkipWithError("check rejected a line");
            break;
        }
    }
    fs::remove_all(folder);
}

void BM_ExportText500Frames(benchmark::State& state)
{
    const fs::path folder = ScratchFolder();
    const std::string text = WriteProgram(folder);
    const std::string image = (folder / "bench.prgVem730.tmp").string();
    {
        CProgramImage program(3, text, image, 0, 0);
        program.SelectProgram(0);
        if (program.ImportText() != PROGRAM_SLOTS) {
            state.SkipWithError("import did not take every line");
            return;
        }
    }
    const std::string back = (folder / "back.prgVem730").string();
    for (auto _ : state) {
        CProgramImage program(3, image, back, 0, 0);
        if (!program.ExportText()) {
            state.SkipWithError("export failed");
            break;
        }
    }
    fs::remove_all(folder);
}

} // namespace

BENCHMARK(BM_CheckText500Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ImportText500Lines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportText500Frames)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
