// A full 500-frame program read from the paced simulator, against the time
// the bytes that crossed the line need at 38400 baud.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/controller_link.h"
#include "sim/line_io.h"
#include "sim/sample_programs.h"
#include "sim/simulator.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::uint8_t UNIT = 1;
constexpr std::uint16_t PROGRAM_1 = 0x0003;
constexpr std::uint16_t FRAMES = 500;
constexpr std::uint16_t BLOCK = 5;
constexpr std::uint16_t FRAME_SIZE = 32;
constexpr std::uint16_t SIZE_QUERY = 600;
constexpr std::size_t REQUEST = 12;
constexpr std::size_t SIZE_REPLY = 3 + 4 + 2;
constexpr std::size_t BLOCK_REPLY = 3 + BLOCK * FRAME_SIZE + 2;

void BM_PacedProgramRead(benchmark::State& state)
{
    CTempFolder folder;
    SimOptions options;
    options.storeDir = folder.Path() + "/store";
    options.pace = true;
    CSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<ProgramFrame> words;
    for (std::uint16_t i = 0; i < FRAMES; ++i)
        words.push_back(MakeWord(static_cast<std::uint8_t>(i % 3), i, i * 10));
    sim.SetProgramFrames({LinkFile::Program, 1}, ChainFrames(words));
    CControllerLink link(38400, sim.SlavePath().c_str(), 1000);

    const std::size_t wireBytes = REQUEST + SIZE_REPLY + (FRAMES / BLOCK) * (REQUEST + BLOCK_REPLY);
    const double wireSeconds = std::chrono::duration<double>(CLineIo::LineTime(wireBytes)).count();
    std::vector<std::uint8_t> program(FRAMES * FRAME_SIZE);
    double readSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::array<std::uint8_t, 4> count{};
        bool ok = link.ReadRecord(UNIT, PROGRAM_1, 0, SIZE_QUERY, count);
        const std::uint16_t size = static_cast<std::uint16_t>(count[0] | (count[1] << 8));
        for (std::uint16_t k = 0; ok && k < size; k += BLOCK)
            ok = link.ReadRecord(UNIT, PROGRAM_1, k, BLOCK,
                                 std::span(program).subspan(std::size_t{k} * FRAME_SIZE, BLOCK * FRAME_SIZE));
        if (!ok || size != FRAMES) {
            state.SkipWithError("the program read failed");
            return;
        }
        benchmark::DoNotOptimize(program.data());
        readSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["wire_ms"] = wireSeconds * 1000;
    state.counters["wire_bytes"] = static_cast<double>(wireBytes);
    const double readMs = readSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["read_ms"] = readMs;
    state.counters["ratio"] = readMs / (wireSeconds * 1000);
}

} // namespace

BENCHMARK(BM_PacedProgramRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
