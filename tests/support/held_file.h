// CHeldFile: on Windows, a file held open the way another program may hold it.
#pragma once

// Windows only: a handle on a file held the way another program (an editor,
// a viewer) may hold it, with the sharing it grants to everyone else.

#include <string>

#include <windows.h>

#include "platform/win32_text.h"

class CHeldFile {
public:
    CHeldFile(const std::string& path, DWORD share)
        : m_handle(::CreateFileW(WideOf(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~CHeldFile()
    {
        if (Held())
            ::CloseHandle(m_handle);
    }
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};
