// The link's own cost of one transaction: request out, reply in, checked
// and copied, over a pseudo-terminal whose far end answers at once. This is
// what the link adds to the wire time (5 frames of 32 bytes take about
// 50 ms at 38400 baud).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "link/controller_info.h"
#include "link/controller_link.h"
#include "tests/support/link_reply.h"
#include "tests/support/pty_pair.h"
#include "tests/support/scripted_peer.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t FRAMES_PER_BLOCK = 5;
constexpr std::size_t FRAME_SIZE = 32;
constexpr std::size_t BLOCK_BYTES = FRAMES_PER_BLOCK * FRAME_SIZE;
constexpr std::uint16_t TIMEOUT_MS = 1000;
// How often the peer looks for the end of the run while idle.
constexpr auto PEER_IDLE_CHECK = 100ms;

Bytes Block()
{
    Bytes bytes(BLOCK_BYTES);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    return bytes;
}

// Answers every request of `requestSize` bytes with `reply` until told to stop.
class AnsweringPeer {
public:
    AnsweringPeer(int fd, std::size_t requestSize, Bytes reply)
        : m_peer(fd, [this, requestSize, reply = std::move(reply)](PeerLine& line) {
              while (!m_stop.load()) {
                  if (line.ReadExactly(requestSize, PEER_IDLE_CHECK))
                      line.Write(reply);
              }
          })
    {
    }
    ~AnsweringPeer()
    {
        m_stop.store(true);
        m_peer.Join();
    }

private:
    std::atomic<bool> m_stop{false};
    ScriptedPeer m_peer;
};

void ReadRecordOfFiveFrames(benchmark::State& state)
{
    PtyPair pty;
    CControllerLink link(38400, pty.SlavePath().c_str(), TIMEOUT_MS);
    AnsweringPeer peer(pty.MasterFd(), LinkFrame::READ_REQUEST_SIZE, MakeReply(Block()));
    const std::uint16_t file = ProgramFileNumber(LinkFile::Program, 1);
    Bytes dest(BLOCK_BYTES);
    for (auto _ : state) {
        if (!link.ReadRecord(LinkFrame::UNIT_ADDRESS, file, 0, FRAMES_PER_BLOCK, dest)) {
            state.SkipWithError("transaction failed");
            break;
        }
        benchmark::DoNotOptimize(dest.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * BLOCK_BYTES));
}
BENCHMARK(ReadRecordOfFiveFrames)->Unit(benchmark::kMicrosecond)->UseRealTime();

void WriteRecordOfFiveFrames(benchmark::State& state)
{
    PtyPair pty;
    CControllerLink link(38400, pty.SlavePath().c_str(), TIMEOUT_MS);
    AnsweringPeer peer(pty.MasterFd(), LinkFrame::READ_REQUEST_SIZE + BLOCK_BYTES,
                       MakeReply(Bytes{}, LinkFrame::WRITE_FILE_RECORD));
    const std::uint16_t file = ProgramFileNumber(LinkFile::Program, 1);
    const Bytes block = Block();
    for (auto _ : state) {
        if (!link.WriteRecord(LinkFrame::UNIT_ADDRESS, file, 0, block)) {
            state.SkipWithError("transaction failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * BLOCK_BYTES));
}
BENCHMARK(WriteRecordOfFiveFrames)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
