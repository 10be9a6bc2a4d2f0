// TransferFailure: how a command failed, as a value, and the one table that
// turns it into the system's message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "link/data_kind.h"
#include "link/link_observer.h"

class ITransferUi;

// The step of a command that failed. The data kind tells a program's step
// from a subprogram's where their messages differ.
enum class FailureStep : std::uint8_t {
    PortClosed,            // no port is open
    Descriptor,            // the descriptor did not come
    DescriptorUnsupported, // its sizes do not fit this transfer
    OpenFile,              // the chosen file cannot be opened or read
    ParameterFileSize,     // the parameter file is not as long as the descriptor says
    GeneralRead,
    AxisRead,
    GeneralWrite,
    AxisWrite,
    NumberRange,           // the number is outside 1..20 or 1..50
    SizeQuery,             // the program's size did not come
    ProgramSize,           // no frame, or more than the area holds
    ProgramRead,
    Decode,                // a frame read has no text
    LineRejected,          // a line of the text is refused; `line` says which
    ProgramDelete,
    ProgramWrite,
    VerifyDiffers,         // the check after a write found other data
    WriteInterrupted,      // a write stopped at a block's end: the program is being ended
    FileSystem,            // any other file failure; `message` is the file layer's
};

struct TransferFailure {
    TransferFailure(FailureStep failedStep, DataKind dataKind, std::string cause = {})
        : step(failedStep), kind(dataKind), detail(std::move(cause))
    {
    }
    // A line of the text that is refused.
    static TransferFailure RejectedLine(DataKind kind, int line, std::string cause);
    // A failure of the file system, with the file layer's own message.
    static TransferFailure OfFile(std::string fileMessage, std::string cause);

    FailureStep step = FailureStep::FileSystem;
    DataKind kind = DataKind::Parameters;
    // The line under the message: the cause and what to do; may be empty.
    std::string detail;
    // LineRejected: the line's number in the text.
    int line = 0;
    // FileSystem: the file layer's own message.
    std::string message;
    // A step on the line: how its last transaction failed, when it did.
    std::optional<LinkFault> link;
};

// Whether `step` is one of the line's transactions, whose failure has a
// LinkFault.
bool IsLinkStep(FailureStep step);

// The system's message for `failure`.
std::string FailureMessage(const TransferFailure& failure);
// What the line did, in the operator's words, and what to do about it.
std::string LinkFaultText(const LinkFault& fault);
// The lines under the message: what the line did, then `detail`.
std::string FailureDetail(const TransferFailure& failure);

// Shows `failure` as a warning: its message, and the detail under it.
void ShowFailure(ITransferUi& ui, const TransferFailure& failure);
