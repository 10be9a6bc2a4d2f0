// vemsync: the transfers of the dialog for scripts, and offline checks of
// program texts, on the very same commands.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Whether two paths name one file, or would once created: the trace must
// never go into the file a command reads or writes.
bool SameFileOrName(const std::string& a, const std::string& b)
{
    const std::optional<FileIdentity> first = IdentityOf(a);
    const std::optional<FileIdentity> second = IdentityOf(b);
    if (first || second)
        return first == second;
#ifdef _WIN32
    // A narrow path there is read in the ANSI code page.
    const auto path = [](const std::string& text) { return std::filesystem::path(WideOf(text)); };
#else
    const auto path = [](const std::string& text) { return std::filesystem::path(text); };
#endif
    std::error_code ec;
    return std::filesystem::weakly_canonical(path(a), ec) == std::filesystem::weakly_canonical(path(b), ec);
}

// Opens the trace; false after the message.
bool OpenTrace(CTraceFile& trace, const std::string& path, const std::string& commandFile, CCliUi& ui)
{
    const auto refuse = [&](const std::string& why) {
        ui.ShowWarning(CliMsg::TRACE_NOT_OPENED, path + ": " + why);
        return false;
    };
    if (SameFileOrName(path, commandFile))
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
    // A link or a second name may still lead to the same file.
    if (trace.File().Identity() == IdentityOf(commandFile)) {
        trace.File().RemoveIfCreated();
        return refuse(CliMsg::TRACE_IS_THE_FILE);
    }
    return true;
}

int RunTransfer(const CliRequest& request)
{
    const DataKind kind = request.kind;
    const bool read = request.action == CliRequest::Action::Read;
    if (read && request.noClobber && FileExists(ReadPathFor(kind, request.file))) {
        std::fprintf(stderr, "vemsync: %s exists; --no-clobber keeps it\n",
                     ReadPathFor(kind, request.file).c_str());
        return EXIT_FAILED;
    }

    CCliUi ui(stderr, IsTerminal(stderr));
    CTraceFile trace;
    const std::string commandFile = read ? ReadPathFor(kind, request.file) : WritePathFor(kind, request.file);
    if (!request.trace.empty() && !OpenTrace(trace, request.trace, commandFile, ui))
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
        std::fprintf(stderr, "vemsync: nothing was written; --accept-rewrites writes the program "
                             "as listed\n");
    // A reply still owed to a failed request would otherwise meet the next
    // command a script runs.
    link.SettleLine();
    link.SetObserver(nullptr);
    // Said after the transfer's own outcome: the transfer may have done
    // well, but the record of it is not whole.
    trace.File().Close();
    if (const std::optional<FileError>& lost = trace.File().WriteFailure()) {
        ui.ShowWarning(CliMsg::TRACE_INCOMPLETE, FileFailureDetail(*lost));
        return EXIT_FAILED;
    }
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
        std::fprintf(stderr, "vemsync: --accept-rewrites takes the text as listed\n");
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
        std::fprintf(stderr, "vemsync: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    if (request->action == BackupRequest::Action::Help) {
        std::fputs(BackupHelpText(request->helpTopic).c_str(), stdout);
        return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
    }

    // A signal lets the block in flight finish; the job then stops, removes
    // what it made and says what it left.
    if (!InstallDeferredInterrupts()) {
        std::fprintf(stderr, "vemsync: cannot set up signal handling: %s\n", std::strerror(errno));
        return EXIT_FAILED;
    }
    CControllerLink link(BAUD_RATE, request->port.c_str(), TIMEOUT_MS);
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    CCliUi ui(stderr, IsTerminal(stderr));
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
    if (const int signal = PendingInterrupt())
        return SIGNAL_EXIT_BASE + signal;
    return ExitFor(result);
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
        std::fprintf(stderr, "vemsync: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    // What a transfer or a conversion created goes with it when Ctrl-C,
    // SIGTERM or a closed terminal ends the tool.
    if (!InstallInterruptCleanup()) {
        std::fprintf(stderr, "vemsync: cannot set up signal handling: %s\n", std::strerror(errno));
        return EXIT_FAILED;
    }
    const bool converts = request->action == CliRequest::Action::Import ||
                          request->action == CliRequest::Action::Export;
    if (converts && SameFile(request->file, request->image)) {
        std::fprintf(stderr, "vemsync: файл программы и файл образа — один и тот же файл\n");
        return EXIT_USAGE;
    }
    int status = Run(*request);
    // A frame count or help text that did not reach its reader is a failure.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vemsync: standard output: %s\n", std::strerror(errno));
        status = EXIT_FAILED;
    }
    return status;
}
