// vemsync's arguments and terminal on POSIX, where UTF-8 needs no conversion.
#include "cli/system.h"

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

std::FILE* OpenForAppend(const std::string& path)
{
    return std::fopen(path.c_str(), "a");
}
