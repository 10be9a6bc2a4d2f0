// The controller's side of the link: a request checked, answered and replied to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sim/controller_model.h"

// The controller's side of the link: framing checks on a received request
// and the reply it earns. The request and reply layouts are drawn in
// link/link_frame.h.

// What a request asks for; fault rules pick requests by it.
enum class RequestKind : std::uint8_t {
    Descriptor,
    Params, // general or axis parameters, read or write
    SizeQuery,
    BlockRead,
    Delete,
    BlockWrite,
    Other, // anything the controller refuses with an exception reply
};

// Why a request gets no reply at all. A slave on a serial line stays silent
// on a frame it cannot trust, and the master times out.
enum class NoReplyReason : std::uint8_t {
    BadCrc,
    UnknownFunction,
    BadByteCount,
    BadReferenceType,
    BadLength,
    OtherUnit,
    Incomplete,
    FaultSilent,
};

std::string_view NoReplyName(NoReplyReason reason);

// A store file changed by a write, so the simulator knows what to save.
enum class StoreUnit : std::uint8_t { Descriptor, GeneralParams, AxisParams, Program };

struct ChangedUnit {
    StoreUnit unit = StoreUnit::Program;
    ProgramId program; // for StoreUnit::Program

    friend bool operator==(const ChangedUnit&, const ChangedUnit&) = default;
};

struct Answer {
    RequestKind kind = RequestKind::Other;
    std::vector<std::uint8_t> reply;
    std::optional<ChangedUnit> changed;
};

namespace RequestHandler {

constexpr std::size_t HEADER_SIZE = 3;
// Exception codes of an exception reply.
constexpr std::uint8_t ILLEGAL_DATA_ADDRESS = 2;
constexpr std::uint8_t DEVICE_FAILURE = 4;
// A size reply: the frame count, low byte first, and two bytes of 0.
constexpr std::size_t SIZE_REPLY_DATA = 4;
constexpr std::uint16_t SIZE_QUERY_LENGTH = 600;

// The whole request's size learnt from its first three bytes (unit,
// function, byte count), or the reason it cannot be framed: an unknown
// function, or a byte count that does not fit the function or the 255-byte
// frame.
struct Framing {
    std::size_t size = 0;
    std::optional<NoReplyReason> refused;
};
Framing FrameSize(std::span<const std::uint8_t, HEADER_SIZE> header);

// Checks a framed request: CRC, unit, reference type and, for a write, the
// record length against the byte count.
std::optional<NoReplyReason> CheckRequest(std::span<const std::uint8_t> request);

// A checked request's kind, from its function, file, record and length.
RequestKind Classify(std::span<const std::uint8_t> request);

// Answers a checked request on the model: the reply to send and what changed.
// `echoWrites` false answers writes with N = 0 instead of the echo.
Answer Handle(CControllerModel& model, std::span<const std::uint8_t> request, bool echoWrites);

// A reply frame: unit, function, N, data, CRC.
std::vector<std::uint8_t> BuildReply(std::uint8_t unit, std::uint8_t function,
                                     std::span<const std::uint8_t> data);
// An exception reply: unit, function | 0x80, code, CRC.
std::vector<std::uint8_t> BuildException(std::uint8_t unit, std::uint8_t function,
                                         std::uint8_t code);

} // namespace RequestHandler
