#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/link_transactions.h"
#include "transfer/transfer_ui.h"
#include "platform/file_error.h"
#include "image/lossy_line.h"
#include "link/controller_info.h"

class CControllerLink;
class CReplacementFile;

// The data kinds of the dialog's kind list.
enum class DataKind {
    Parameters,
    Subprogram,
    Program,
};

enum class CommandResult {
    Done,
    Cancelled, // the file dialog was left without a choice, or a read was
               // interrupted (PendingInterrupt); nothing shown
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

// Read (controller to file) and Write (file to controller) for the three data
// kinds. Each runs to its end on the calling thread, one transaction at a
// time, and talks to the user only through the ITransferUi.
class CTransferCommands {
public:
    CTransferCommands(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                      ITransferUi& ui);

    CommandResult Read(DataKind kind, std::string_view numberText);
    CommandResult Write(DataKind kind, std::string_view numberText);
    // What the last Read or Write moved when it ended in Done; nothing
    // after any other end.
    std::optional<TransferAmount> LastAmount() const { return m_amount; }
    // Compares what the controller holds with what the chosen file would
    // write, and shows the answer as information: Done when they are the
    // same, Differs when not.
    CommandResult Compare(DataKind kind, std::string_view numberText);

    // After a successful write, read the data back and compare them with
    // what was sent.
    void SetVerifyAfterWrite(bool verify) { m_verify = verify; }
    bool VerifyAfterWrite() const { return m_verify; }

private:
    CommandResult Run(CommandResult (CTransferCommands::*command)(DataKind, std::string_view),
                      DataKind kind, std::string_view numberText);
    CommandResult RunRead(DataKind kind, std::string_view numberText);
    CommandResult RunWrite(DataKind kind, std::string_view numberText);
    CommandResult ChooseFileToSend(DataKind kind, std::string& path);
    bool ReadDescriptor(DataKind kind);
    CommandResult Fail(const char* message, const std::string& detail = {});
    CommandResult FailOnFile(const char* message, const FileError& error);

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
    CommandResult RunCompare(DataKind kind, std::string_view numberText);
    CommandResult VerifyParameters();
    CommandResult VerifyProgram(DataKind kind, std::uint16_t file, unsigned frames,
                                const std::string& path);

    CControllerLink& m_link;
    ControllerInfo& m_info;
    TransferBuffer m_buffer;
    ITransferUi& m_ui;
    std::optional<TransferAmount> m_amount;
    bool m_verify = false;
    // The file the running command chose, once it is known.
    std::string m_path;
};

// The port's own message, and under it why the last open failed.
CommandResult FailOnClosedPort(ITransferUi& ui, const CControllerLink& link);

// The number typed in the number field, read digit by digit in unsigned
// 16-bit arithmetic; an empty field is 0.
std::uint16_t ProgramNumberOf(std::string_view text);

// The extension rules: Read appends ".paramVem730" / ".prgVem730" unless the
// path contains it (case-sensitive); Write tests without regard to case and
// appends the same canonical extension, keeping the path's own case, but
// takes a chosen file that exists as it is.
std::string ReadPathFor(DataKind kind, const std::string& chosen);
std::string WritePathFor(DataKind kind, const std::string& chosen);

// Whether the descriptor's sizes fit the transfer buffer and the link for
// this kind of transfer.
bool DescriptorSupported(DataKind kind, const ControllerInfo& info);

// The offline halves of the program branches, shared with the command-line
// tools. Both show their own message on failure.
//
// Checks the text and imports it into the image file; the frame count, or
// nothing when the text was refused. `lossy`, when given, receives the lines
// that are not stored as written.
std::optional<int> ImportProgramText(DataKind kind, const std::string& textPath,
                                     const std::string& imagePath, ITransferUi& ui,
                                     std::vector<LossyLine>* lossy = nullptr);
// Exports the image as text into `target`'s temporary file and puts it in
// place. The image file is left alone; a `scratchImage` is not named to the
// user.
bool ExportProgramText(const std::string& imagePath, CReplacementFile& target, ITransferUi& ui,
                       bool scratchImage = false);

// The number check that opens every program command: the link's file
// number, or nothing after the range message.
std::optional<std::uint16_t> ProgramFileFor(DataKind kind, std::string_view numberText,
                                            ITransferUi& ui);
