// Windows only: UTF-8 texts converted to and from the system's UTF-16.
#pragma once

// Windows only: the program keeps every text, paths included, in UTF-8 and
// converts at each call into the system, whose wide calls take UTF-16. The
// narrow calls would go through the ANSI code page, which has no room for
// most Cyrillic names.

#include <string>
#include <string_view>

// UTF-16 of a UTF-8 text; empty when the text is not valid UTF-8, which no
// system call then finds.
std::wstring WideOf(std::string_view utf8);
// UTF-8 of a UTF-16 text; unpaired surrogates become U+FFFD.
std::string Utf8Of(std::wstring_view wide);

// The errno value that stands for a Win32 error code, so that the file
// layer's causes and messages stay the same on every system.
int ErrnoOfSystemError(unsigned long error);
