// vemsync's arguments from UTF-16 and the console switched to UTF-8 on Windows.
#include "cli/system.h"

#include <cstdlib>

#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "platform/win32_text.h"

namespace {

UINT savedOutputCodePage = 0;

void RestoreConsole()
{
    ::SetConsoleOutputCP(savedOutputCodePage);
}

} // namespace

std::vector<std::string> ProgramArguments(int, char**)
{
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Utf8Of(wide[i]));
    ::LocalFree(wide);
    return args;
}

void PrepareConsole()
{
    savedOutputCodePage = ::GetConsoleOutputCP();
    if (savedOutputCodePage != 0 && savedOutputCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreConsole);
}

bool IsTerminal(std::FILE* stream)
{
    // _isatty is also true for NUL; only a console has a console mode.
    DWORD mode = 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

std::FILE* OpenForAppend(const std::string& path)
{
    // The narrow name would be read in the ANSI code page.
    return ::_wfopen(WideOf(path).c_str(), L"a");
}
