// vemsync: the transfers of the dialog for scripts, and offline checks of
// program texts, on the very same commands.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "backup/backup_commands.h"
#include "cli/backup_command_line.h"
#include "cli/cli_ui.h"
#include "cli/command_line.h"
#include "cli/exit_code.h"
#include "cli/port_commands.h"
#include "cli/system.h"
#include "link/controller_link.h"
#include "link/link_tracer.h"
#include "platform/binary_file.h"
#include "platform/temp_registry.h"
#include "transfer/program_text_conversion.h"
#include "transfer/rewrite_report.h"
#include "transfer/transfer_commands.h"
#include "transfer/transfer_rules.h"

namespace {

constexpr std::uint16_t BAUD_RATE = 38400;
constexpr std::uint16_t TIMEOUT_MS = 100;

int ExitFor(CommandResult result)
{
    if (result == CommandResult::Differs)
        return EXIT_DIFFERS;
    return result == CommandResult::Done ? EXIT_OK : EXIT_FAILED;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Every frame of the transfer, appended to the trace file as it crosses
// the line, so that a trace survives a transfer that hangs or is killed.
class CTraceFile {
public:
    bool Open(const std::string& path)
    {
        m_file.reset(OpenForAppend(path));
        return m_file != nullptr;
    }
    ILinkObserver& Observer() { return m_tracer; }

private:
    std::unique_ptr<std::FILE, FileCloser> m_file;
    CLinkTracer m_tracer{[this](const std::string& line) {
        std::fprintf(m_file.get(), "%s\n", line.c_str());
        std::fflush(m_file.get());
    }};
};

int RunTransfer(const CliRequest& request)
{
    const DataKind kind = request.kind;
    const bool read = request.action == CliRequest::Action::Read;
    if (read && request.noClobber && FileExists(ReadPathFor(kind, request.file))) {
        std::fprintf(stderr, "vemsync: %s exists; --no-clobber keeps it\n",
                     ReadPathFor(kind, request.file).c_str());
        return EXIT_FAILED;
    }

    CTraceFile trace;
    if (!request.trace.empty() && !trace.Open(request.trace)) {
        std::fprintf(stderr, "vemsync: cannot open the trace file %s: %s\n", request.trace.c_str(),
                     std::strerror(errno));
        return EXIT_FAILED;
    }
    CControllerLink link(BAUD_RATE, request.port.c_str(), TIMEOUT_MS);
    if (!request.trace.empty())
        link.SetObserver(&trace.Observer());
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    CCliUi ui(stderr, IsTerminal(stderr));
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
        std::fprintf(stderr, "vemsync: the program file and the image file are the same file\n");
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
