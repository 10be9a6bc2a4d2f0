// vemsync: the transfers of the dialog for scripts, and offline checks of
// program texts, on the very same commands.

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/messages.h"
#include "app/replacement_file.h"
#include "app/transfer_commands.h"
#include "cli/cli_ui.h"
#include "cli/command_line.h"
#include "image/binary_file.h"
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

int RunTransfer(const CliRequest& request)
{
    const DataKind kind = DataKindOf(request.kind);
    const bool read = request.action == CliRequest::Action::Read;
    if (read && request.noClobber && FileExists(ReadPathFor(kind, request.file))) {
        std::fprintf(stderr, "%s exists; --no-clobber keeps it\n",
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
    if (result != CommandResult::Done && !link.IsOpen()) {
        const int why = link.LastOpenError();
        if (why == EACCES || why == EPERM)
            std::fprintf(stderr,
                         "no permission to open %s: add the user to the dialout group "
                         "(sudo adduser $USER dialout) and log in again\n",
                         ResolvePortName(request.port).c_str());
    }
    return ExitFor(result);
}

// The image of a check lives in a scratch file of its own and goes away.
int RunCheck(const CliRequest& request)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string image = std::string(tmp && *tmp ? tmp : "/tmp") + "/vemsync-check-XXXXXX";
    const int fd = ::mkstemp(image.data());
    if (fd < 0) {
        std::perror("vemsync: scratch file");
        return EXIT_FAILED;
    }
    ::close(fd);
    CCliUi ui(request.file, stderr, false);
    const std::optional<int> frames =
        ImportProgramText(DataKindOf(request.kind), request.file, image, ui);
    RemoveFile(image);
    if (!frames)
        return EXIT_FAILED;
    std::printf("%d\n", *frames);
    return EXIT_OK;
}

int RunImport(const CliRequest& request)
{
    CCliUi ui(request.file, stderr, false);
    return ImportProgramText(DataKindOf(request.kind), request.file, request.image, ui)
               ? EXIT_OK
               : EXIT_FAILED;
}

int RunExport(const CliRequest& request)
{
    CCliUi ui(request.file, stderr, false);
    CReplacementFile target;
    if (!target.Begin(request.file)) {
        ui.ShowWarning(Msg::CANNOT_OPEN_FILE);
        return EXIT_FAILED;
    }
    try {
        return ExportProgramText(request.image, target, ui) ? EXIT_OK : EXIT_FAILED;
    } catch (const FileException& e) {
        ui.ShowWarning(e.what());
        return EXIT_FAILED;
    }
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
    switch (request->action) {
    case CliRequest::Action::Help:
        std::fputs(HelpText(request->helpTopic).c_str(), stdout);
        return EXIT_OK;
    case CliRequest::Action::Read:
    case CliRequest::Action::Write:
        return RunTransfer(*request);
    case CliRequest::Action::Check:
        return RunCheck(*request);
    case CliRequest::Action::Import:
        return RunImport(*request);
    case CliRequest::Action::Export:
        return RunExport(*request);
    }
    return EXIT_USAGE;
}
