// vemsync: the transfers of the dialog for scripts, and offline checks of
// program texts, on the very same commands.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/backup_commands.h"
#include "cli/backup_command_line.h"
#include "cli/cli_messages.h"
#include "cli/cli_ui.h"
#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "cli/port_commands.h"
#include "cli/system.h"
#include "link/controller_link.h"
#include "link/link_tracer.h"
#include "platform/append_file.h"
#include "platform/binary_file.h"
#include "platform/file_error.h"
#include "platform/temp_registry.h"
#include "transfer/program_text_conversion.h"
#include "transfer/rewrite_report.h"
#include "transfer/transfer_commands.h"
#include "transfer/failure_detail.h"
#include "transfer/transfer_rules.h"
#ifdef _WIN32
#include "platform/win32_text.h"
#endif

namespace {

constexpr std::uint16_t BAUD_RATE = 38400;
constexpr std::uint16_t TIMEOUT_MS = 100;
// A job a signal stopped ends as the signal would have ended it.
constexpr int SIGNAL_EXIT_BASE = 128;

int ExitFor(CommandResult result)
{
    if (result == CommandResult::Differs)
        return EXIT_DIFFERS;
    return result == CommandResult::Done ? EXIT_OK : EXIT_FAILED;
}

// Every frame of the transfer, appended to the trace file as it crosses
// the line, so that a trace survives a transfer that hangs or is killed.
class CTraceFile {
public:
    CAppendFile& File() { return m_file; }
    ILinkObserver& Observer() { return m_tracer; }

private:
    CAppendFile m_file;
    CLinkTracer m_tracer{[this](const std::string& line) { m_file.Append(line); }};
};

#ifdef _WIN32
// A narrow path there is read in the ANSI code page.
std::filesystem::path FsPath(const std::string& text)
{
    return WideOf(text);
}
std::string TextOf(const std::filesystem::path& path)
{
    return Utf8Of(path.wstring());
}
#else
std::filesystem::path FsPath(const std::string& text)
{
    return text;
}
std::string TextOf(const std::filesystem::path& path)
{
    return path.string();
}
#endif

// Whether two paths name one file, or would once created: the trace must
// never go into the file a command reads or writes.
bool SameFileOrName(const std::string& a, const std::string& b)
{
    const std::optional<FileIdentity> first = IdentityOf(a);
    const std::optional<FileIdentity> second = IdentityOf(b);
    if (first || second)
        return first == second;
    std::error_code ec;
    return std::filesystem::weakly_canonical(FsPath(a), ec) == std::filesystem::weakly_canonical(FsPath(b), ec);
}

// Whether the opened file at `path` stands in `folder`: under a folder of
// the path once every link is followed, or beside the copy's files under a
// second name. A backup folder holds the copy's files alone, and a restore
// reads them.
bool InFolder(const std::string& path, const FileIdentity& file, const std::string& folder)
{
    const std::optional<FileIdentity> target = IdentityOf(folder);
    if (!target)
        return false;
    std::error_code ec;
    for (std::filesystem::path at = std::filesystem::canonical(FsPath(path), ec); !ec && at.has_relative_path();) {
        at = at.parent_path();
        if (IdentityOf(TextOf(at)) == target)
            return true;
    }
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder), ec)) {
        if (IdentityOf(TextOf(entry.path())) == file)
            return true;
    }
    return false;
}

// What the trace must keep out of: the file a transfer reads or writes, or
// the folder of a backup or restore; empty where there is none.
struct TraceAvoids {
    std::string file;
    std::string folder;
};

// Opens the trace; false after the message.
bool OpenTrace(CTraceFile& trace, const std::string& path, const TraceAvoids& avoid, CCliUi& ui)
{
    const auto refuse = [&](const std::string& why) {
        ui.ShowWarning(CliMsg::TRACE_NOT_OPENED, path + ": " + why);
        return false;
    };
    if (!avoid.file.empty() && SameFileOrName(path, avoid.file))
        return refuse(CliMsg::TRACE_IS_THE_FILE);
    switch (trace.File().Open(path)) {
    case CAppendFile::Opened::Ok:
        break;
    case CAppendFile::Opened::NotRegular:
        return refuse(CliMsg::TRACE_NOT_REGULAR);
    case CAppendFile::Opened::PlantedLink:
        return refuse(CliMsg::TRACE_PLANTED_LINK);
    case CAppendFile::Opened::Failed:
        ui.ShowWarning(CliMsg::TRACE_NOT_OPENED, FileFailureDetail(trace.File().LastError()));
        return false;
    }
    // A link or a second name may still lead to the same file, or into the
    // folder.
    const std::optional<FileIdentity> opened = trace.File().Identity();
    const bool isTheFile = !avoid.file.empty() && opened == IdentityOf(avoid.file);
    const bool inTheFolder = !avoid.folder.empty() && opened && InFolder(path, *opened, avoid.folder);
    if (isTheFile || inTheFolder) {
        trace.File().RemoveIfCreated();
        return refuse(isTheFile ? CliMsg::TRACE_IS_THE_FILE : CliMsg::TRACE_IN_THE_FOLDER);
    }
    return true;
}

// Ends the trace after a command: false, after the message, when part of
// it was lost. Said after the command's own outcome: the command may have
// done well, but the record of it is not whole.
bool CloseTrace(CTraceFile& trace, CControllerLink& link, CCliUi& ui)
{
    link.SetObserver(nullptr);
    trace.File().Close();
    if (const std::optional<FileError>& lost = trace.File().WriteFailure()) {
        ui.ShowWarning(CliMsg::TRACE_INCOMPLETE, FileFailureDetail(*lost));
        return false;
    }
    return true;
}

// A line of vemsync's own on standard error.
void Say(const std::string& text)
{
    std::fprintf(stderr, "vemsync: %s\n", text.c_str());
}

int RunTransfer(const CliRequest& request)
{
    const DataKind kind = request.kind;
    const bool read = request.action == CliRequest::Action::Read;
    if (read && request.noClobber && FileExists(ReadPathFor(kind, request.file))) {
        Say(CliMsg::NoClobber(ReadPathFor(kind, request.file)));
        return EXIT_FAILED;
    }

    CCliUi ui(stderr, IsTerminal(stderr));
    CTraceFile trace;
    const TraceAvoids avoid{read ? ReadPathFor(kind, request.file) : WritePathFor(kind, request.file), ""};
    if (!request.trace.empty() && !OpenTrace(trace, request.trace, avoid, ui))
        return EXIT_FAILED;
    CControllerLink link(BAUD_RATE, request.port.c_str(), TIMEOUT_MS);
    if (!request.trace.empty())
        link.SetObserver(&trace.Observer());
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    ui.SetAnswer(request.acceptRewrites);
    CTransferCommands commands(link, info, TransferBuffer(buffer.data(), TRANSFER_BUFFER_SIZE), ui);
    commands.SetVerifyAfterWrite(request.verify);

    CommandResult result = CommandResult::Failed;
    if (read)
        result = commands.Read(kind, request.number, request.file);
    else if (request.action == CliRequest::Action::Compare)
        result = commands.Compare(kind, request.number, request.file);
    else
        result = commands.Write(kind, request.number, request.file);
    if (result == CommandResult::Cancelled)
        Say(CliMsg::NOTHING_WRITTEN);
    // A reply still owed to a failed request would otherwise meet the next
    // command a script runs.
    link.SettleLine();
    if (!CloseTrace(trace, link, ui))
        return EXIT_FAILED;
    return ExitFor(result);
}

int RunCheck(const CliRequest& request)
{
    CCliUi ui(stderr, false);
    ui.SetAnswer(request.acceptRewrites);
    std::vector<LossyLine> lossy;
    const std::optional<int> frames = CheckProgramFile(request.kind, request.file, lossy, ui);
    if (!frames)
        return EXIT_FAILED;
    if (!ConfirmLossyLines(lossy, ui)) {
        Say(CliMsg::TEXT_NOT_TAKEN);
        return EXIT_FAILED;
    }
    std::printf("%d\n", *frames);
    return EXIT_OK;
}

// Whether both paths exist and are one file. Import and export replace their
// output by a rename, which would put the result over its own source.
bool SameFile(const std::string& a, const std::string& b)
{
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

int Run(const CliRequest& request)
{
    switch (request.action) {
    case CliRequest::Action::Help:
        std::fputs(HelpText(request.helpTopic).c_str(), stdout);
        return EXIT_OK;
    case CliRequest::Action::Read:
    case CliRequest::Action::Write:
    case CliRequest::Action::Compare:
        return RunTransfer(request);
    case CliRequest::Action::Check:
        return RunCheck(request);
    case CliRequest::Action::Import: {
        CCliUi ui(stderr, false);
        return ImportProgramFile(request.kind, request.file, request.image, ui) ? EXIT_OK : EXIT_FAILED;
    }
    case CliRequest::Action::Export: {
        CCliUi ui(stderr, false);
        return ExportProgramFile(request.image, request.file, ui) ? EXIT_OK : EXIT_FAILED;
    }
    case CliRequest::Action::Ports:
        return RunPorts();
    case CliRequest::Action::MapPort:
    case CliRequest::Action::UnmapPort:
        return RunPortChange(request);
    }
    return EXIT_USAGE;
}

// Backup and restore of the whole controller; the progress bar covers the
// whole job, and the summary goes to standard error like every message.
int RunBackupCommand(const std::vector<std::string>& args)
{
    std::string error;
    const std::optional<BackupRequest> request = ParseBackupCommandLine(args, error);
    if (!request) {
        Say(error);
        return EXIT_USAGE;
    }
    if (request->action == BackupRequest::Action::Help) {
        std::fputs(BackupHelpText(request->helpTopic).c_str(), stdout);
        return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
    }

    // A signal lets the block in flight finish; the job then stops, removes
    // what it made and says what it left.
    if (!InstallDeferredInterrupts()) {
        Say(CliMsg::NoSignals(SystemErrorReason(errno)));
        return EXIT_FAILED;
    }
    CCliUi ui(stderr, IsTerminal(stderr));
    CTraceFile trace;
    if (!request->trace.empty() && !OpenTrace(trace, request->trace, {"", request->folder}, ui))
        return EXIT_FAILED;
    CControllerLink link(BAUD_RATE, request->port.c_str(), TIMEOUT_MS);
    if (!request->trace.empty())
        link.SetObserver(&trace.Observer());
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    CBackupCommands commands(link, info, TransferBuffer(buffer.data(), TRANSFER_BUFFER_SIZE), ui);
    CommandResult result;
    if (request->action == BackupRequest::Action::Backup) {
        result = commands.Backup(request->folder);
    } else {
        RestoreOptions options;
        options.only = request->only;
        options.verify = request->verify;
        options.exact = request->exact;
        result = commands.Restore(request->folder, options);
    }
    link.SettleLine();
    const bool traced = CloseTrace(trace, link, ui);
    if (const int signal = PendingInterrupt())
        return SIGNAL_EXIT_BASE + signal;
    return traced ? ExitFor(result) : EXIT_FAILED;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareConsole();
    const std::vector<std::string> args = ProgramArguments(argc, argv);
    if (NamesBackupCommand(args))
        return RunBackupCommand(args);
    std::string error;
    const std::optional<CliRequest> request = ParseCommandLine(args, error);
    if (!request) {
        Say(error);
        return EXIT_USAGE;
    }
    // What a transfer or a conversion created goes with it when Ctrl-C,
    // SIGTERM or a closed terminal ends the tool.
    if (!InstallInterruptCleanup()) {
        Say(CliMsg::NoSignals(SystemErrorReason(errno)));
        return EXIT_FAILED;
    }
    const bool converts = request->action == CliRequest::Action::Import ||
                          request->action == CliRequest::Action::Export;
    if (converts && SameFile(request->file, request->image)) {
        Say(CliMsg::SAME_FILE);
        return EXIT_USAGE;
    }
    int status = Run(*request);
    // A frame count or help text that did not reach its reader is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Say(CliMsg::OutputLost(SystemErrorReason(errno)));
        status = EXIT_FAILED;
    }
    return status;
}
