// A whole-controller backup of a full controller (every program 500 frames,
// every subprogram 100) from the paced simulator, against the time the
// bytes that crossed the line need at 38400 baud. The bytes are counted
// from the simulator's transaction log.

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "backup/backup_commands.h"
#include "link/controller_link.h"
#include "sim/line_io.h"
#include "sim/simulator.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr std::uint16_t PROGRAM_FRAMES = 500;
constexpr std::uint16_t SUBPROGRAM_FRAMES = 100;

class CSilentUi : public ITransferUi {
public:
    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override
    {
        warning = text + " " + detail;
    }
    void ShowInformation(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}

    std::string warning;
};

// A chain of `count` words in consecutive slots, every seventh disabled.
std::vector<ProgramFrame> Words(std::uint16_t count)
{
    constexpr std::uint8_t FIRST = 1, MIDDLE = 0, LAST = 2;
    constexpr std::uint16_t NO_LINK = 0xFFFF;
    std::vector<ProgramFrame> words(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        ProgramFrame& f = words[i];
        f.setKind(i == 0 ? FIRST : i + 1 == count ? LAST : MIDDLE);
        f.setActive(i % 7 == 6 ? 0x00 : 0xFF);
        f.setCode(static_cast<std::uint8_t>(i % 3));
        f.setPrev(i == 0 ? NO_LINK : static_cast<std::uint16_t>(i - 1));
        f.setNext(i + 1 == count ? NO_LINK : static_cast<std::uint16_t>(i + 1));
        f.setNumber(i);
        f.setCoordinate(i * 10);
    }
    return words;
}

// Request and reply bytes in the log (REQ and REP lines).
std::size_t LoggedLineBytes(const std::string& path)
{
    std::ifstream log(path);
    std::string line;
    std::size_t bytes = 0;
    while (std::getline(log, line)) {
        std::istringstream words(line);
        std::string stamp, tag, hex;
        words >> stamp >> tag;
        if (tag != "REQ" && tag != "REP")
            continue;
        while (words >> hex)
            ++bytes;
    }
    return bytes;
}

void BM_PacedFullBackup(benchmark::State& state)
{
    CTempFolder folder;
    SimOptions options;
    options.storeDir = folder.Path() + "/store";
    options.logPath = folder.Path() + "/line.log";
    options.pace = true;
    CSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (unsigned n = 1; n <= 20; ++n)
        sim.SetProgramFrames({LinkFile::Program, n}, Words(PROGRAM_FRAMES));
    for (unsigned n = 1; n <= 50; ++n)
        sim.SetProgramFrames({LinkFile::Subprogram, n}, Words(SUBPROGRAM_FRAMES));

    CControllerLink link(38400, sim.SlavePath().c_str(), 1000);
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    CSilentUi ui;
    CBackupCommands commands(link, info, TransferBuffer(buffer.data(), TRANSFER_BUFFER_SIZE), ui);

    double backupSeconds = 0;
    std::size_t before = LoggedLineBytes(options.logPath);
    std::size_t wireBytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (commands.Backup(folder.Path() + "/backup") != CommandResult::Done) {
            state.SkipWithError(("the backup failed: " + ui.warning).c_str());
            return;
        }
        backupSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::size_t after = LoggedLineBytes(options.logPath);
        wireBytes += after - before;
        before = after;
    }
    const double iterations = static_cast<double>(state.iterations());
    const double wireMs =
        std::chrono::duration<double, std::milli>(CLineIo::LineTime(wireBytes)).count() / iterations;
    const double backupMs = backupSeconds * 1000 / iterations;
    state.counters["wire_bytes"] = static_cast<double>(wireBytes) / iterations;
    state.counters["wire_ms"] = wireMs;
    state.counters["backup_ms"] = backupMs;
    state.counters["ratio"] = backupMs / wireMs;
}

} // namespace

BENCHMARK(BM_PacedFullBackup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
