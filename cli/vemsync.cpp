// vemsync: the transfers of the dialog for scripts, and offline checks of
// program texts, on the very same commands.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "app/failure_detail.h"
#include "app/messages.h"
#include "app/replacement_file.h"
#include "app/transfer_commands.h"
#include "cli/cli_ui.h"
#include "cli/command_line.h"
#include "image/binary_file.h"
#include "image/private_temp_file.h"
#include "image/temp_registry.h"
#include "link/controller_link.h"
#include "link/port_names.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

constexpr std::uint16_t BAUD_RATE = 38400;
constexpr std::uint16_t TIMEOUT_MS = 100;

DataKind DataKindOf(CliRequest::Kind kind)
{
    switch (kind) {
    case CliRequest::Kind::Parameters:
        return DataKind::Parameters;
    case CliRequest::Kind::Subprogram:
        return DataKind::Subprogram;
    case CliRequest::Kind::Program:
        break;
    }
    return DataKind::Program;
}

int ExitFor(CommandResult result)
{
    return result == CommandResult::Done ? EXIT_OK : EXIT_FAILED;
}

// The dialog only shows "Не открыт"; a script's user also wants to know
// which device was tried and why it failed, and how to get the permission
// that operators most often lack.
void ExplainClosedPort(const std::string& port, int error)
{
    const std::string device = ResolvePortName(port);
    const std::string named = device == port ? device : port + " (" + device + ")";
    if (error == EACCES || error == EPERM)
        std::fprintf(stderr,
                     "vemsync: no permission to open %s: the user must be in the dialout group "
                     "(sudo adduser $USER dialout, then log in again)\n",
                     named.c_str());
    else if (error != 0)
        std::fprintf(stderr, "vemsync: cannot open %s: %s\n", named.c_str(), std::strerror(error));
}

int RunTransfer(const CliRequest& request)
{
    const DataKind kind = DataKindOf(request.kind);
    const bool read = request.action == CliRequest::Action::Read;
    if (read && request.noClobber && FileExists(ReadPathFor(kind, request.file))) {
        std::fprintf(stderr, "vemsync: %s exists; --no-clobber keeps it\n",
                     ReadPathFor(kind, request.file).c_str());
        return EXIT_FAILED;
    }

    CControllerLink link(BAUD_RATE, request.port.c_str(), TIMEOUT_MS);
    ControllerInfo info;
    std::vector<std::uint8_t> buffer(TRANSFER_BUFFER_SIZE);
    CCliUi ui(request.file, stderr, ::isatty(STDERR_FILENO) == 1);
    CTransferCommands commands(link, info, TransferBuffer(buffer.data(), TRANSFER_BUFFER_SIZE), ui);

    const CommandResult result = read ? commands.Read(kind, request.number)
                                      : commands.Write(kind, request.number);
    if (result != CommandResult::Done && !link.IsOpen())
        ExplainClosedPort(request.port, link.LastOpenError());
    // A reply still owed to a failed request would otherwise meet the next
    // command a script runs.
    link.SettleLine();
    return ExitFor(result);
}

// The image of a check lives in a scratch file of its own and goes away.
int RunCheck(const CliRequest& request)
{
    CPrivateTempFile image;
    if (!image.Create()) {
        std::fprintf(stderr, "vemsync: scratch file: %s\n", FileErrorMessage(image.LastError()).c_str());
        return EXIT_FAILED;
    }
    CCliUi ui(request.file, stderr, false);
    const std::optional<int> frames =
        ImportProgramText(DataKindOf(request.kind), request.file, image.Path(), ui);
    image.Remove();
    if (!frames)
        return EXIT_FAILED;
    std::printf("%d\n", *frames);
    return EXIT_OK;
}

// The import writes its image under a temporary name beside IMAGE, so a
// refused text leaves an existing IMAGE as it was.
int RunImport(const CliRequest& request)
{
    CCliUi ui(request.file, stderr, false);
    CReplacementFile target;
    if (!target.Begin(request.image)) {
        ui.ShowWarning(FileErrorMessage(target.LastError()),
                       FileFailureDetail(target.LastError()));
        return EXIT_FAILED;
    }
    if (!ImportProgramText(DataKindOf(request.kind), request.file, target.TempPath(), ui))
        return EXIT_FAILED;
    try {
        CBinaryFile image;
        if (!image.Open(target.TempPath(), CBinaryFile::Mode::WriteExisting))
            throw FileException(image.LastError());
        image.Sync();
        image.Close();
        target.Commit();
    } catch (const FileException& e) {
        const FileError error = target.AsTargetError(e.Error());
        ui.ShowWarning(FileErrorMessage(error), FileFailureDetail(error));
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

int RunExport(const CliRequest& request)
{
    CCliUi ui(request.file, stderr, false);
    CReplacementFile target;
    if (!target.Begin(request.file)) {
        ui.ShowWarning(Msg::CANNOT_OPEN_FILE, FileFailureDetail(target.LastError()));
        return EXIT_FAILED;
    }
    try {
        return ExportProgramText(request.image, target, ui) ? EXIT_OK : EXIT_FAILED;
    } catch (const FileException& e) {
        ui.ShowWarning(e.what(), FileFailureDetail(e.Error()));
        return EXIT_FAILED;
    }
}

// Whether both paths exist and are one file. Import and export replace their
// output by a rename, which would put the result over its own source.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

int Run(const CliRequest& request)
{
    switch (request.action) {
    case CliRequest::Action::Help:
        std::fputs(HelpText(request.helpTopic).c_str(), stdout);
        return EXIT_OK;
    case CliRequest::Action::Read:
    case CliRequest::Action::Write:
        return RunTransfer(request);
    case CliRequest::Action::Check:
        return RunCheck(request);
    case CliRequest::Action::Import:
        return RunImport(request);
    case CliRequest::Action::Export:
        return RunExport(request);
    }
    return EXIT_USAGE;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
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
