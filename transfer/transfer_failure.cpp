// The one table from a command's failure to the message the user sees.

#include "transfer/transfer_failure.h"

#include "transfer/messages.h"
#include "transfer/transfer_ui.h"

TransferFailure TransferFailure::RejectedLine(DataKind kind, int line, std::string cause)
{
    TransferFailure failure(FailureStep::LineRejected, kind, std::move(cause));
    failure.line = line;
    return failure;
}

TransferFailure TransferFailure::OfFile(std::string fileMessage, std::string cause)
{
    TransferFailure failure(FailureStep::FileSystem, DataKind::Parameters, std::move(cause));
    failure.message = std::move(fileMessage);
    return failure;
}

std::string FailureMessage(const TransferFailure& failure)
{
    const bool program = failure.kind == DataKind::Program;
    switch (failure.step) {
    case FailureStep::PortClosed:
        return Msg::PORT_CLOSED;
    case FailureStep::Descriptor:
        return Msg::DESCRIPTOR_FAILED;
    case FailureStep::DescriptorUnsupported:
        return Msg::DESCRIPTOR_UNSUPPORTED;
    case FailureStep::OpenFile:
        return Msg::CANNOT_OPEN_FILE;
    case FailureStep::ParameterFileSize:
        return Msg::PARAM_FILE_SIZE;
    case FailureStep::GeneralRead:
        return Msg::GENERAL_READ_FAILED;
    case FailureStep::AxisRead:
        return Msg::AXIS_READ_FAILED;
    case FailureStep::GeneralWrite:
        return Msg::GENERAL_WRITE_FAILED;
    case FailureStep::AxisWrite:
        return Msg::AXIS_WRITE_FAILED;
    case FailureStep::NumberRange:
        return program ? Msg::PROGRAM_RANGE : Msg::SUBPROGRAM_RANGE;
    case FailureStep::SizeQuery:
        return Msg::SIZE_QUERY_FAILED;
    case FailureStep::ProgramSize:
        return Msg::PROGRAM_SIZE;
    case FailureStep::ProgramRead:
        return program ? Msg::PROGRAM_READ_FAILED : Msg::SUBPROGRAM_READ_FAILED;
    case FailureStep::Decode:
        return Msg::DECODE_FAILED;
    case FailureStep::LineRejected:
        return Msg::LINE_REJECTED + std::to_string(failure.line);
    case FailureStep::ProgramDelete:
        return program ? Msg::PROGRAM_DELETE_FAILED : Msg::SUBPROGRAM_DELETE_FAILED;
    case FailureStep::ProgramWrite:
        return program ? Msg::PROGRAM_WRITE_FAILED : Msg::SUBPROGRAM_WRITE_FAILED;
    case FailureStep::VerifyDiffers:
        return Msg::VERIFY_DIFFERS;
    case FailureStep::WriteInterrupted:
        return Msg::WRITE_INTERRUPTED;
    case FailureStep::FileSystem:
        break;
    }
    return failure.message;
}

bool IsLinkStep(FailureStep step)
{
    switch (step) {
    case FailureStep::Descriptor:
    case FailureStep::GeneralRead:
    case FailureStep::AxisRead:
    case FailureStep::GeneralWrite:
    case FailureStep::AxisWrite:
    case FailureStep::SizeQuery:
    case FailureStep::ProgramRead:
    case FailureStep::ProgramDelete:
    case FailureStep::ProgramWrite:
        return true;
    default:
        return false;
    }
}

namespace {

// The standard meanings of the exception codes a controller may send.
struct ExceptionMeaning {
    std::uint8_t code;
    const char* text;
};

constexpr ExceptionMeaning EXCEPTION_MEANINGS[] = {
    {1, Msg::EXCEPTION_ILLEGAL_FUNCTION}, {2, Msg::EXCEPTION_ILLEGAL_ADDRESS},
    {3, Msg::EXCEPTION_ILLEGAL_VALUE},    {4, Msg::EXCEPTION_DEVICE_FAILURE},
    {6, Msg::EXCEPTION_BUSY},
};

std::string Refusal(std::uint8_t code)
{
    std::string text = Msg::CAUSE_REFUSED + std::to_string(code);
    for (const ExceptionMeaning& meaning : EXCEPTION_MEANINGS)
        if (meaning.code == code)
            return text + " (" + meaning.text + ").";
    return text + ".";
}

} // namespace

std::string LinkFaultText(const LinkFault& fault)
{
    const std::string ms = std::to_string(fault.timeoutMs);
    switch (fault.failure) {
    case LinkFailure::NoReply:
        return Msg::CAUSE_NO_REPLY + ms + Msg::CAUSE_NO_REPLY_TODO;
    case LinkFailure::ShortReply:
        return Msg::CAUSE_CUT_OFF + ms + Msg::CAUSE_CUT_OFF_TODO;
    case LinkFailure::TooLong:
        return std::string(Msg::CAUSE_GARBLED_COUNT) + Msg::CAUSE_GARBLED_TODO;
    case LinkFailure::BadCrc:
        return std::string(Msg::CAUSE_GARBLED_CRC) + Msg::CAUSE_GARBLED_TODO;
    case LinkFailure::Exception:
        return Refusal(fault.exceptionCode);
    case LinkFailure::ShortData:
        return Msg::CAUSE_SHORT_DATA;
    case LinkFailure::PortGone:
        return Msg::CAUSE_PORT_GONE + fault.portName + Msg::CAUSE_PORT_GONE_TODO;
    case LinkFailure::PortClosed:
        break;
    }
    return Msg::CAUSE_PORT_CLOSED;
}

std::string FailureDetail(const TransferFailure& failure)
{
    std::string lines;
    const auto add = [&lines](const std::string& line) {
        if (!line.empty())
            lines += (lines.empty() ? "" : "\n") + line;
    };
    if (failure.step == FailureStep::Descriptor)
        add(Msg::DESCRIPTOR_ASKED_FIRST);
    if (failure.link)
        add(LinkFaultText(*failure.link));
    add(failure.detail);
    return lines;
}

void ShowFailure(ITransferUi& ui, const TransferFailure& failure)
{
    ui.ShowWarning(FailureMessage(failure), FailureDetail(failure));
}
