// FaultRule: a fault the simulator injects into its replies, and the requests it hits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/request_handler.h"

// A fault the simulator injects into its replies, and which requests it hits.
//
// Text form (command line): MODE[=MS]:TARGET
//   MODE    silent | bad-crc | exception | short | oversize | extra-data |
//           gap[=MS] | trailing | delay[=MS] | corrupt
//   TARGET  always | descriptor | params | size | block-read | delete |
//           block-write | nth=N
// e.g. "silent:block-read", "bad-crc:nth=3", "delay=300:size".
enum class FaultMode : std::uint8_t {
    Silent,        // no reply at all
    BadCrc,        // the reply's CRC is wrong
    Exception,     // an exception reply (device failure) instead of the reply
    ShortReply,    // the reply's last byte is not sent
    OversizeCount, // N = 254 with that many data bytes and a good CRC
    ExtraData,     // more data than asked, N and CRC consistent
    Gap,           // a pause of MS inside the reply, after its first half
    TrailingBytes, // bytes after the reply's CRC
    Delay,         // the reply starts MS later
    Corrupt,       // a write is stored with one byte flipped; the reply is as usual
};

enum class FaultTarget : std::uint8_t {
    Always,
    Nth, // the n-th request from the moment the rule was set, counting from 1
    Descriptor,
    Params,
    SizeQuery,
    BlockRead,
    Delete,
    BlockWrite,
};

struct FaultRule {
    static constexpr std::uint32_t DEFAULT_GAP_MS = 200;
    static constexpr std::uint32_t DEFAULT_DELAY_MS = 300;

    FaultMode mode = FaultMode::Silent;
    FaultTarget target = FaultTarget::Always;
    std::uint32_t nth = 0; // for FaultTarget::Nth
    std::uint32_t ms = 0;  // for Gap and Delay

    friend bool operator==(const FaultRule&, const FaultRule&) = default;
};

std::optional<FaultRule> ParseFaultRule(std::string_view text);
std::string FormatFaultRule(const FaultRule& rule);

// Whether the rule hits a request of `kind` that is the `ordinal`-th since
// the rule was set (counting from 1).
bool FaultApplies(const FaultRule& rule, RequestKind kind, std::uint64_t ordinal);

// A reply as it goes out: the bytes, or none, with the pauses a fault asks for.
struct ReplyPlan {
    std::vector<std::uint8_t> bytes;
    bool silent = false;
    std::uint32_t delayMs = 0;
    std::size_t gapAfter = 0; // bytes sent before the gap
    std::uint32_t gapMs = 0;
};

// A Corrupt rule's work on a write request before it is handled: flips one
// data byte (the coordinate's low byte of the first frame of a program
// block) and mends the CRC, so the request stores what it no longer says.
// False, and nothing changed, for a request without data.
bool CorruptWrite(std::vector<std::uint8_t>& request);

// Bends the plan of an answer to `request` as the rule says.
void ApplyFault(const FaultRule& rule, std::span<const std::uint8_t> request, ReplyPlan& plan);
