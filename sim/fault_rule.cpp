// Fault rules read from and written as text, matched to requests, applied to replies.
#include "sim/fault_rule.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "codec/program_frame.h"
#include "link/link_frame.h"

using namespace LinkFrame;

namespace {

struct ModeName {
    FaultMode mode;
    std::string_view name;
    bool takesMs;
};

constexpr std::array<ModeName, 10> MODES{{
    {FaultMode::Silent, "silent", false},
    {FaultMode::BadCrc, "bad-crc", false},
    {FaultMode::Exception, "exception", false},
    {FaultMode::ShortReply, "short", false},
    {FaultMode::OversizeCount, "oversize", false},
    {FaultMode::ExtraData, "extra-data", false},
    {FaultMode::Gap, "gap", true},
    {FaultMode::TrailingBytes, "trailing", false},
    {FaultMode::Delay, "delay", true},
    {FaultMode::Corrupt, "corrupt", false},
}};

struct TargetName {
    FaultTarget target;
    std::string_view name;
};

constexpr std::array<TargetName, 7> TARGETS{{
    {FaultTarget::Always, "always"},
    {FaultTarget::Descriptor, "descriptor"},
    {FaultTarget::Params, "params"},
    {FaultTarget::SizeQuery, "size"},
    {FaultTarget::BlockRead, "block-read"},
    {FaultTarget::Delete, "delete"},
    {FaultTarget::BlockWrite, "block-write"},
}};

constexpr std::string_view NTH_PREFIX = "nth=";

// One past the largest count a reply can announce.
constexpr std::size_t OVERSIZE_COUNT = MAX_REPLY_DATA + 1;
constexpr std::size_t EXTRA_DATA = 8;
constexpr std::uint8_t EXTRA_BYTE = 0xA5;
constexpr std::array<std::uint8_t, 4> TRAILING{0x55, 0xAA, 0x55, 0xAA};
constexpr std::uint8_t CRC_FLIP = 0xFF;
// The data byte a corrupting store flips: in a program frame, the low byte
// of the coordinate, so the frame's text shows the change.
constexpr std::size_t CORRUPT_OFFSET = ProgramFrame::COORDINATE_OFFSET;
constexpr std::uint8_t CORRUPT_FLIP = 0x01;

template <typename T>
std::optional<T> ParseNumber(std::string_view text)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// The reply's unit, function and data, to build it anew. An exception reply
// has no data.
struct ReplyParts {
    std::uint8_t unit;
    std::uint8_t function;
    std::vector<std::uint8_t> data;
};

ReplyParts Split(std::span<const std::uint8_t> request, const std::vector<std::uint8_t>& reply)
{
    ReplyParts parts{request[UNIT_OFFSET], request[FUNCTION_OFFSET], {}};
    if (reply.size() >= REPLY_HEADER_SIZE + CRC_SIZE && !(reply[FUNCTION_OFFSET] & EXCEPTION_FLAG)) {
        const std::size_t n = std::min<std::size_t>(reply[BYTE_COUNT_OFFSET],
                                                    reply.size() - REPLY_HEADER_SIZE - CRC_SIZE);
        parts.data.assign(reply.begin() + REPLY_DATA_OFFSET,
                          reply.begin() + static_cast<std::ptrdiff_t>(REPLY_DATA_OFFSET + n));
    }
    return parts;
}

} // namespace

std::optional<FaultRule> ParseFaultRule(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view mode = text.substr(0, colon);
    const std::string_view target = text.substr(colon + 1);

    FaultRule rule;
    std::optional<std::uint32_t> ms;
    if (const std::size_t eq = mode.find('='); eq != std::string_view::npos) {
        ms = ParseNumber<std::uint32_t>(mode.substr(eq + 1));
        if (!ms)
            return std::nullopt;
        mode = mode.substr(0, eq);
    }
    const auto m = std::find_if(MODES.begin(), MODES.end(),
                                [&](const ModeName& n) { return n.name == mode; });
    if (m == MODES.end() || (ms && !m->takesMs))
        return std::nullopt;
    rule.mode = m->mode;
    if (m->takesMs)
        rule.ms = ms.value_or(rule.mode == FaultMode::Gap ? FaultRule::DEFAULT_GAP_MS
                                                          : FaultRule::DEFAULT_DELAY_MS);

    if (target.starts_with(NTH_PREFIX)) {
        const auto nth = ParseNumber<std::uint32_t>(target.substr(NTH_PREFIX.size()));
        if (!nth || *nth == 0)
            return std::nullopt;
        rule.target = FaultTarget::Nth;
        rule.nth = *nth;
        return rule;
    }
    const auto t = std::find_if(TARGETS.begin(), TARGETS.end(),
                                [&](const TargetName& n) { return n.name == target; });
    if (t == TARGETS.end())
        return std::nullopt;
    rule.target = t->target;
    return rule;
}

std::string FormatFaultRule(const FaultRule& rule)
{
    std::string text;
    for (const ModeName& m : MODES)
        if (m.mode == rule.mode) {
            text = m.name;
            if (m.takesMs)
                text += "=" + std::to_string(rule.ms);
        }
    text += ':';
    if (rule.target == FaultTarget::Nth)
        return text + std::string(NTH_PREFIX) + std::to_string(rule.nth);
    for (const TargetName& t : TARGETS)
        if (t.target == rule.target)
            text += t.name;
    return text;
}

bool FaultApplies(const FaultRule& rule, RequestKind kind, std::uint64_t ordinal)
{
    switch (rule.target) {
    case FaultTarget::Always: return true;
    case FaultTarget::Nth: return ordinal == rule.nth;
    case FaultTarget::Descriptor: return kind == RequestKind::Descriptor;
    case FaultTarget::Params: return kind == RequestKind::Params;
    case FaultTarget::SizeQuery: return kind == RequestKind::SizeQuery;
    case FaultTarget::BlockRead: return kind == RequestKind::BlockRead;
    case FaultTarget::Delete: return kind == RequestKind::Delete;
    case FaultTarget::BlockWrite: return kind == RequestKind::BlockWrite;
    }
    return false;
}

bool CorruptWrite(std::vector<std::uint8_t>& request)
{
    if (request.size() < READ_REQUEST_SIZE || request[FUNCTION_OFFSET] != WRITE_FILE_RECORD)
        return false;
    const std::size_t data = request.size() - READ_REQUEST_SIZE;
    if (data == 0)
        return false;
    request[REQUEST_HEADER_SIZE + std::min(CORRUPT_OFFSET, data - 1)] ^= CORRUPT_FLIP;
    AppendCrc(request, request.size() - CRC_SIZE);
    return true;
}

void ApplyFault(const FaultRule& rule, std::span<const std::uint8_t> request, ReplyPlan& plan)
{
    auto& bytes = plan.bytes;
    switch (rule.mode) {
    case FaultMode::Corrupt:
        return; // done to the request, before it was handled
    case FaultMode::Silent:
        plan.silent = true;
        return;
    case FaultMode::BadCrc:
        if (!bytes.empty())
            bytes.back() ^= CRC_FLIP;
        return;
    case FaultMode::Exception:
        bytes = RequestHandler::BuildException(request[UNIT_OFFSET], request[FUNCTION_OFFSET],
                                               RequestHandler::DEVICE_FAILURE);
        return;
    case FaultMode::ShortReply:
        if (!bytes.empty())
            bytes.pop_back();
        return;
    case FaultMode::OversizeCount: {
        // A frame that would pass every check except its count: a link
        // that reads it anyway overruns its buffer.
        ReplyParts parts = Split(request, bytes);
        parts.data.resize(OVERSIZE_COUNT, EXTRA_BYTE);
        bytes.assign(REPLY_HEADER_SIZE + OVERSIZE_COUNT + CRC_SIZE, 0);
        bytes[UNIT_OFFSET] = parts.unit;
        bytes[FUNCTION_OFFSET] = parts.function;
        bytes[BYTE_COUNT_OFFSET] = static_cast<std::uint8_t>(OVERSIZE_COUNT);
        std::copy(parts.data.begin(), parts.data.end(), bytes.begin() + REPLY_DATA_OFFSET);
        AppendCrc(bytes, REPLY_HEADER_SIZE + OVERSIZE_COUNT);
        return;
    }
    case FaultMode::ExtraData: {
        ReplyParts parts = Split(request, bytes);
        const std::size_t size = std::min(parts.data.size() + EXTRA_DATA, MAX_REPLY_DATA);
        parts.data.resize(size, EXTRA_BYTE);
        bytes = RequestHandler::BuildReply(parts.unit, parts.function, parts.data);
        return;
    }
    case FaultMode::Gap:
        plan.gapAfter = std::max<std::size_t>(bytes.size() / 2, 1);
        plan.gapMs = rule.ms;
        return;
    case FaultMode::TrailingBytes:
        bytes.insert(bytes.end(), TRAILING.begin(), TRAILING.end());
        return;
    case FaultMode::Delay:
        plan.delayMs += rule.ms;
        return;
    }
}
