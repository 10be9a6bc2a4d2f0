// FormatFrame and ParseLine over the lines of a typical milling program; one
// benchmark iteration handles one line, so the time per iteration is the
// time per line.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "codec/frame_format.h"
#include "codec/line_parser.h"

namespace {

constexpr std::array<std::string_view, 32> PROGRAM{
    "G90",       "G17",         "G54",        "M6T3",       "M3",          "G0",         "X0",
    "Y0",        "Z5",          "G1",         "Z-1.5F100",  "G41",         "X120.25F800", "Y-45.5",
    "X-12.345",  "Y0.5F05",     "G42",        "G13X",       "Z10F2000",    "G4.5",        "E2",
    "L3",        "H1",          "M8",         "F1200",      "A90.000F50",  "B-15.5",      "G40",
    "M9",        "G91",         "X-1234.567F12345",         "M41",
};

std::vector<ProgramFrame> ParsedProgram()
{
    std::vector<ProgramFrame> frames;
    ProgramFrame current;
    for (std::string_view text : PROGRAM) {
        char line[LINE_TEXT_MAX + 1] = {};
        text.copy(line, LINE_TEXT_MAX);
        ProgramFrame frame = current;
        if (ParseLine(line, frame, current)) {
            frame.setKind(0);
            frame.setActive(0xFF);
            frames.push_back(frame);
            current = frame;
        }
    }
    return frames;
}

void BM_ParseLine(benchmark::State& state)
{
    ProgramFrame current;
    ProgramFrame frame;
    std::size_t i = 0;
    for (auto _ : state) {
        // The parser may shorten its line, so each pass gets a fresh copy.
        char line[LINE_TEXT_MAX + 1] = {};
        PROGRAM[i].copy(line, LINE_TEXT_MAX);
        benchmark::DoNotOptimize(ParseLine(line, frame, current));
        benchmark::DoNotOptimize(frame);
        i = (i + 1) % PROGRAM.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseLine);

void BM_FormatFrame(benchmark::State& state)
{
    const std::vector<ProgramFrame> frames = ParsedProgram();
    if (frames.size() != PROGRAM.size()) {
        state.SkipWithError("a line of the program was rejected");
        return;
    }
    std::size_t i = 0;
    for (auto _ : state) {
        ProgramFrame frame = frames[i];
        char out[FRAME_TEXT_ROOM];
        benchmark::DoNotOptimize(FormatFrame(frame, out));
        benchmark::DoNotOptimize(out);
        i = (i + 1) % frames.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFrame);

} // namespace

BENCHMARK_MAIN();
