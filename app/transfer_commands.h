#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/link_transactions.h"
#include "app/transfer_ui.h"
#include "image/file_error.h"
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
    Cancelled, // the file dialog was left without a choice; nothing shown
    Failed,    // one warning was shown
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

private:
    CommandResult RunRead(DataKind kind, std::string_view numberText);
    CommandResult RunWrite(DataKind kind, std::string_view numberText);
    bool ReadDescriptor(DataKind kind);
    CommandResult Fail(const char* message, const std::string& detail = {});
    CommandResult FailOnFile(const char* message, const FileError& error);

    CommandResult ReadParameters(CReplacementFile& target);
    CommandResult WriteParameters(const std::string& path);
    CommandResult ReadProgram(DataKind kind, std::string_view numberText, CReplacementFile& target);
    CommandResult WriteProgram(DataKind kind, std::string_view numberText, const std::string& path);

    CControllerLink& m_link;
    ControllerInfo& m_info;
    TransferBuffer m_buffer;
    ITransferUi& m_ui;
    // The file the running command chose, once it is known.
    std::string m_path;
};

// The number typed in the number field, read digit by digit in unsigned
// 16-bit arithmetic; an empty field is 0.
std::uint16_t ProgramNumberOf(std::string_view text);

// The extension rules: Read appends ".paramVem730" / ".prgVem730" unless the
// path contains it (case-sensitive); Write tests without regard to case and
// appends the same canonical extension, keeping the path's own case.
std::string ReadPathFor(DataKind kind, const std::string& chosen);
std::string WritePathFor(DataKind kind, const std::string& chosen);

// Whether the descriptor's sizes fit the transfer buffer and the link for
// this kind of transfer.
bool DescriptorSupported(DataKind kind, const ControllerInfo& info);

// The offline halves of the program branches, shared with the command-line
// tools. Both show their own message on failure.
//
// Checks the text and imports it into the image file; the frame count, or
// nothing when the text was refused.
std::optional<int> ImportProgramText(DataKind kind, const std::string& textPath,
                                     const std::string& imagePath, ITransferUi& ui);
// Exports the image as text into `target`'s temporary file and puts it in
// place. The image file is left alone; a `scratchImage` is not named to the
// user.
bool ExportProgramText(const std::string& imagePath, CReplacementFile& target, ITransferUi& ui,
                       bool scratchImage = false);
