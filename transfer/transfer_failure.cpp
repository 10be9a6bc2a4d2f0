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
    case FailureStep::FileSystem:
        break;
    }
    return failure.message;
}

void ShowFailure(ITransferUi& ui, const TransferFailure& failure)
{
    ui.ShowWarning(FailureMessage(failure), failure.detail);
}
