// The simulated controller's request checks, its answers, and the replies built.
#include "sim/request_handler.h"

#include "link/crc16.h"
#include "link/link_frame.h"

using namespace LinkFrame;

std::string_view NoReplyName(NoReplyReason reason)
{
    switch (reason) {
    case NoReplyReason::BadCrc: return "bad-crc";
    case NoReplyReason::UnknownFunction: return "unknown-function";
    case NoReplyReason::BadByteCount: return "bad-byte-count";
    case NoReplyReason::BadReferenceType: return "bad-reference-type";
    case NoReplyReason::BadLength: return "bad-length";
    case NoReplyReason::OtherUnit: return "other-unit";
    case NoReplyReason::Incomplete: return "incomplete";
    case NoReplyReason::FaultSilent: return "fault-silent";
    }
    return "unknown";
}

namespace RequestHandler {

namespace {

// A request's frame is its byte count plus unit, function, byte count and CRC.
constexpr std::size_t FRAME_OVERHEAD = HEADER_SIZE + CRC_SIZE;
constexpr std::uint16_t DESCRIPTOR_RECORD = 1;
constexpr std::uint16_t FIRST_RECORD = 0;
constexpr unsigned FILE_KIND_MASK = 0xFF; // the low byte names the kind of file

struct Fields {
    std::uint8_t unit;
    std::uint8_t function;
    std::uint16_t file;
    std::uint16_t record;
    std::uint16_t length;
    std::span<const std::uint8_t> data; // writes only
};

Fields Parse(std::span<const std::uint8_t> request)
{
    Fields f{request[UNIT_OFFSET],
             request[FUNCTION_OFFSET],
             LoadBe16(&request[FILE_OFFSET]),
             LoadBe16(&request[RECORD_OFFSET]),
             LoadBe16(&request[LENGTH_OFFSET]),
             {}};
    if (f.function == WRITE_FILE_RECORD)
        f.data = request.subspan(REQUEST_HEADER_SIZE, request.size() - READ_REQUEST_SIZE);
    return f;
}

std::vector<std::uint8_t> Refuse(const Fields& f)
{
    return BuildException(f.unit, f.function, ILLEGAL_DATA_ADDRESS);
}

std::vector<std::uint8_t> WriteReply(std::span<const std::uint8_t> request, const Fields& f,
                                     bool echoWrites)
{
    // The echo is the request itself: N is its byte count, the data are the
    // bytes after it and the CRC is its own, so it is a well-formed reply.
    if (echoWrites)
        return {request.begin(), request.end()};
    return BuildReply(f.unit, f.function, {});
}

Answer HandleParams(CControllerModel& model, std::span<const std::uint8_t> request,
                    const Fields& f, bool echoWrites)
{
    Answer a{RequestKind::Params, {}, {}};
    const ControllerInfo& info = model.Descriptor();
    const bool general = f.file == static_cast<std::uint16_t>(LinkFile::GeneralParams);

    if (f.function == READ_FILE_RECORD) {
        // Any offset up to the block's end, the end itself included: the PC
        // reads one piece more than the block holds whole 200-byte pieces.
        if (general && f.record <= info.generalParamSize() && f.length <= MAX_REPLY_DATA) {
            std::vector<std::uint8_t> data(f.length);
            model.ReadGeneral(f.record, data);
            a.reply = BuildReply(f.unit, f.function, data);
        } else if (!general && f.record < info.axisCount() && f.length == info.axisParamSize() &&
                   f.length <= MAX_REPLY_DATA) {
            const auto block = model.AxisBlock(static_cast<std::uint8_t>(f.record));
            a.reply = BuildReply(f.unit, f.function, block);
        } else {
            a.reply = Refuse(f);
        }
        return a;
    }

    if (general && model.WriteGeneral(f.record, f.data)) {
        a.changed = ChangedUnit{StoreUnit::GeneralParams, {}};
    } else if (!general && f.record < info.axisCount() &&
               model.WriteAxis(static_cast<std::uint8_t>(f.record), f.data)) {
        a.changed = ChangedUnit{StoreUnit::AxisParams, {}};
    } else {
        a.reply = Refuse(f);
        return a;
    }
    a.reply = WriteReply(request, f, echoWrites);
    return a;
}

Answer HandleProgram(CControllerModel& model, std::span<const std::uint8_t> request,
                     const Fields& f, bool echoWrites)
{
    Answer a{Classify(request), {}, {}};
    const auto id = CControllerModel::ProgramFromFile(f.file);
    const std::uint8_t frameSize = model.Descriptor().frameSize();
    if (!id) {
        a.reply = Refuse(f);
        return a;
    }

    switch (a.kind) {
    case RequestKind::SizeQuery: {
        std::vector<std::uint8_t> data(SIZE_REPLY_DATA, 0);
        StoreLe16(data.data(), model.ProgramSize(*id));
        a.reply = BuildReply(f.unit, f.function, data);
        return a;
    }
    case RequestKind::BlockRead: {
        // The length counts frames; the reply must fit its 253 data bytes.
        const std::size_t bytes = std::size_t{f.length} * frameSize;
        if (f.length == 0 || bytes > MAX_REPLY_DATA ||
            f.record >= CControllerModel::SlotCount(id->kind)) {
            a.reply = Refuse(f);
            return a;
        }
        std::vector<std::uint8_t> data(bytes);
        model.ReadFrames(*id, f.record, f.length, frameSize, data);
        a.reply = BuildReply(f.unit, f.function, data);
        return a;
    }
    case RequestKind::Delete:
        model.DeleteProgram(*id);
        a.changed = ChangedUnit{StoreUnit::Program, *id};
        a.reply = WriteReply(request, f, echoWrites);
        return a;
    case RequestKind::BlockWrite:
        if (!model.WriteFrames(*id, f.record, frameSize, f.data)) {
            a.reply = Refuse(f);
            return a;
        }
        a.changed = ChangedUnit{StoreUnit::Program, *id};
        a.reply = WriteReply(request, f, echoWrites);
        return a;
    default:
        a.reply = Refuse(f);
        return a;
    }
}

} // namespace

std::vector<std::uint8_t> BuildReply(std::uint8_t unit, std::uint8_t function,
                                     std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> reply(REPLY_HEADER_SIZE + data.size() + CRC_SIZE);
    reply[UNIT_OFFSET] = unit;
    reply[FUNCTION_OFFSET] = function;
    reply[BYTE_COUNT_OFFSET] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), reply.begin() + REPLY_DATA_OFFSET);
    AppendCrc(reply, REPLY_HEADER_SIZE + data.size());
    return reply;
}

std::vector<std::uint8_t> BuildException(std::uint8_t unit, std::uint8_t function,
                                         std::uint8_t code)
{
    std::vector<std::uint8_t> reply(REPLY_HEADER_SIZE + CRC_SIZE);
    reply[UNIT_OFFSET] = unit;
    reply[FUNCTION_OFFSET] = static_cast<std::uint8_t>(function | EXCEPTION_FLAG);
    reply[BYTE_COUNT_OFFSET] = code;
    AppendCrc(reply, REPLY_HEADER_SIZE);
    return reply;
}

Framing FrameSize(std::span<const std::uint8_t, HEADER_SIZE> header)
{
    const std::uint8_t function = header[FUNCTION_OFFSET];
    const std::uint8_t count = header[BYTE_COUNT_OFFSET];
    if (function != READ_FILE_RECORD && function != WRITE_FILE_RECORD)
        return {0, NoReplyReason::UnknownFunction};
    const std::size_t size = count + FRAME_OVERHEAD;
    if (function == READ_FILE_RECORD && count != SUB_REQUEST_SIZE)
        return {0, NoReplyReason::BadByteCount};
    if (function == WRITE_FILE_RECORD && (count < SUB_REQUEST_SIZE || size > MAX_REQUEST_SIZE))
        return {0, NoReplyReason::BadByteCount};
    return {size, std::nullopt};
}

std::optional<NoReplyReason> CheckRequest(std::span<const std::uint8_t> request)
{
    if (request.size() < READ_REQUEST_SIZE || Crc16(request) != 0)
        return NoReplyReason::BadCrc;
    if (request[UNIT_OFFSET] != UNIT_ADDRESS)
        return NoReplyReason::OtherUnit;
    if (request[REFERENCE_TYPE_OFFSET] != REFERENCE_TYPE)
        return NoReplyReason::BadReferenceType;
    if (request[FUNCTION_OFFSET] == WRITE_FILE_RECORD &&
        LoadBe16(&request[LENGTH_OFFSET]) != request.size() - READ_REQUEST_SIZE)
        return NoReplyReason::BadLength;
    return std::nullopt;
}

RequestKind Classify(std::span<const std::uint8_t> request)
{
    const Fields f = Parse(request);
    const bool read = f.function == READ_FILE_RECORD;
    switch (static_cast<LinkFile>(f.file & FILE_KIND_MASK)) {
    case LinkFile::Descriptor:
        return read && f.file == 0 ? RequestKind::Descriptor : RequestKind::Other;
    case LinkFile::GeneralParams:
    case LinkFile::AxisParams:
        // Parameter files have no number in the high byte.
        return f.file < static_cast<std::uint16_t>(LinkFile::Program) ? RequestKind::Params
                                                                       : RequestKind::Other;
    case LinkFile::Program:
    case LinkFile::Subprogram:
        if (read)
            return f.record == FIRST_RECORD && f.length == SIZE_QUERY_LENGTH
                       ? RequestKind::SizeQuery
                       : RequestKind::BlockRead;
        return f.record == FIRST_RECORD && f.length == 0 ? RequestKind::Delete
                                                         : RequestKind::BlockWrite;
    }
    return RequestKind::Other;
}

Answer Handle(CControllerModel& model, std::span<const std::uint8_t> request, bool echoWrites)
{
    const Fields f = Parse(request);
    switch (Classify(request)) {
    case RequestKind::Descriptor: {
        Answer a{RequestKind::Descriptor, {}, {}};
        a.reply = f.record == DESCRIPTOR_RECORD
                      ? BuildReply(f.unit, f.function, model.Descriptor().bytes)
                      : Refuse(f);
        return a;
    }
    case RequestKind::Params:
        return HandleParams(model, request, f, echoWrites);
    case RequestKind::SizeQuery:
    case RequestKind::BlockRead:
    case RequestKind::Delete:
    case RequestKind::BlockWrite:
        return HandleProgram(model, request, f, echoWrites);
    case RequestKind::Other:
        break;
    }
    return {RequestKind::Other, Refuse(f), {}};
}

} // namespace RequestHandler
