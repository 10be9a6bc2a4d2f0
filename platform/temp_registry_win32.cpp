// The Windows console handler that removes our temporary files on Ctrl-C or close.
#include "platform/temp_registry.h"
#include "platform/temp_registry_slots.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace {

// What a shell reports for a program ended by Ctrl-C or a closed console.
constexpr UINT INTERRUPT_EXIT = 128 + 2;
constexpr UINT HANG_UP_EXIT = 128 + 1;

void RemovePath(const char* path)
{
    ::DeleteFileW(WideOf(path).c_str());
}

// The system calls this on a thread of its own, so unlike a POSIX signal
// handler it may allocate; it still only removes, writes the note and ends.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    RemoveRegisteredTempPaths(RemovePath);
    const std::string_view note = PublishedInterruptNote();
    if (!note.empty()) {
        DWORD put = 0;
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), note.data(), static_cast<DWORD>(note.size()),
                    &put, nullptr);
    }
    const bool interrupted = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    ::ExitProcess(interrupted ? INTERRUPT_EXIT : HANG_UP_EXIT);
}

} // namespace

// Ctrl-C and Ctrl-Break, a closed console window, a log-off or shutdown.
bool InstallInterruptCleanup()
{
    return ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}
