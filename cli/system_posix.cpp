#include "cli/system.h"

#include <cstdlib>

#include <unistd.h>

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void PrepareConsole() {}

bool IsTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

std::optional<std::string> CreateScratchFile()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vemsync-check-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path;
}
