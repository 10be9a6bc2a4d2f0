// PeerLine: the far end of a line as a scripted peer drives it, never blocking for good.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Bytes as "01 14 07 ...", for failure messages.
std::string Hex(std::span<const std::uint8_t> bytes);

// The far end of a line, as a scripted peer drives it: waits with poll()
// and deadlines, never blocks for good. Does not own the descriptor.
class PeerLine {
public:
    // Long enough for a loaded machine, short enough that a link that never
    // speaks fails the test instead of hanging it.
    static constexpr std::chrono::milliseconds DEFAULT_WAIT{5000};

    explicit PeerLine(int fd) : m_fd(fd) {}

    // Exactly n bytes, or nothing when they do not all come within `within`
    // or the line goes down first.
    std::optional<Bytes> ReadExactly(std::size_t n, std::chrono::milliseconds within = DEFAULT_WAIT);
    // Whatever is queued right now, without waiting.
    Bytes Drain();
    // Sends every byte, waiting for room as needed.
    bool Write(std::span<const std::uint8_t> bytes);
    // Sends the chunks one after another with `gap` of silence before each
    // but the first: the pacing of a slow or stalling device.
    bool WritePaced(std::span<const Bytes> chunks, std::chrono::milliseconds gap);

private:
    int m_fd;
};
