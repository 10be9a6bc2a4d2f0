// CTransferCommands: Read, Write and Compare of one data item, and the check after a write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/lossy_line.h"
#include "link/controller_info.h"
#include "link/data_kind.h"
#include "link/link_transactions.h"
#include "platform/file_error.h"
#include "transfer/transfer_failure.h"
#include "transfer/transfer_ui.h"

class CControllerLink;
class CReplacementFile;
struct ReadBack;

enum class CommandResult {
    Done,
    Cancelled, // the user said No to a question; nothing changed
    Failed,    // one warning was shown
    Differs,   // a comparison found a difference, which it showed
};

// What a command that ended in Done moved: the words of a program or the
// bytes of the parameter blocks, read from the controller or written to it.
struct TransferAmount {
    enum class Unit { Words, Bytes };
    bool written = false;
    Unit unit = Unit::Bytes;
    std::size_t count = 0;
};

// Read (controller to file), Write (file to controller) and Compare for the
// three data kinds. The caller has chosen the file: `chosen` is the path as
// the user gave it, before the extension rules. Each command runs to its end
// on the calling thread, one transaction at a time, and talks to the user
// only through the ITransferUi.
class CTransferCommands {
public:
    CTransferCommands(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                      ITransferUi& ui);

    CommandResult Read(DataKind kind, std::string_view numberText, const std::string& chosen);
    CommandResult Write(DataKind kind, std::string_view numberText, const std::string& chosen);
    // Compares what the controller holds with what the chosen file would
    // write, and shows the answer as information: Done when they are the
    // same, Differs when not.
    CommandResult Compare(DataKind kind, std::string_view numberText, const std::string& chosen);

    // What the last Read or Write moved when it ended in Done; nothing
    // after any other end.
    std::optional<TransferAmount> LastAmount() const { return m_amount; }
    // How the last command failed, when it ended in Failed.
    const std::optional<TransferFailure>& LastFailure() const { return m_failure; }

    // After a successful write, read the data back and compare them with
    // what was sent.
    void SetVerifyAfterWrite(bool verify) { m_verify = verify; }

private:
    // Runs one command; a file-system failure anywhere in it ends it with
    // the file layer's message and, under it, the cause.
    CommandResult Guarded(const std::function<CommandResult()>& command);
    CommandResult RunRead(DataKind kind, std::string_view numberText, const std::string& chosen);
    CommandResult RunWrite(DataKind kind, std::string_view numberText, const std::string& chosen);
    CommandResult RunCompare(DataKind kind, std::string_view numberText, const std::string& chosen);
    // The front of every command: the port, then the descriptor; nothing
    // after its message.
    std::optional<TransferFailure> CheckPortAndDescriptor(DataKind kind);
    CommandResult Fail(TransferFailure failure);
    CommandResult Fail(FailureStep step, DataKind kind, std::string detail = {});
    CommandResult FailOnFile(const FileError& error);

    CommandResult ReadParameters(CReplacementFile& target);
    CommandResult WriteParameters(const std::string& path);
    CommandResult ReadProgram(DataKind kind, std::string_view numberText, CReplacementFile& target);
    CommandResult WriteProgram(DataKind kind, std::string_view numberText, const std::string& path);
    // Reads the parameter file into the buffer; false after the message.
    bool LoadParameterFile(const std::string& path);
    // Checks and imports the program text through a private image, then
    // puts the frames into the buffer as they are sent; the frame count, or
    // nothing after the message. `lossy` receives the lines not stored as
    // written.
    std::optional<unsigned> ImportToBuffer(DataKind kind, const std::string& path,
                                           std::vector<LossyLine>* lossy = nullptr);
    CommandResult CompareParameters(const std::string& path);
    CommandResult CompareProgram(DataKind kind, std::uint16_t file, const std::string& path);
    CommandResult VerifyParameters();
    CommandResult VerifyProgram(DataKind kind, std::uint16_t file, unsigned frames,
                                const std::string& path);
    // The failure of a read-back that did not get the data.
    CommandResult FailReadBack(const ReadBack& back, DataKind kind);

    CControllerLink& m_link;
    ControllerInfo& m_info;
    TransferBuffer m_buffer;
    ITransferUi& m_ui;
    std::optional<TransferAmount> m_amount;
    std::optional<TransferFailure> m_failure;
    bool m_verify = false;
    // The file the running command works on, once it is known.
    std::string m_path;
};

// The port's own message, and under it why the last open failed.
TransferFailure ClosedPortFailure(const CControllerLink& link);
CommandResult FailOnClosedPort(ITransferUi& ui, const CControllerLink& link);
