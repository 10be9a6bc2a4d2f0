// The second line under a warning: the cause, in terms the operator can act on.
#pragma once

#include <cstddef>
#include <string>

#include "platform/file_error.h"

// The second line under a warning: the cause, in terms the operator can act
// on. The warning's own text stays as it is.

// "<path>: <reason>", for example "/home/op/p.prgVem730: нет доступа". A
// failure on a scratch file of the command (`scratch`) is named as such,
// never by its internal name.
std::string FileFailureDetail(const FileError& error, bool scratch = false);

// After the stored program was deleted, the controller holds only the words
// that were written.
std::string ProgramWriteDetail(bool subprogram, unsigned written, unsigned total);
// Parameter blocks were being written when the write failed.
std::string ParameterWriteDetail(std::size_t confirmed, std::size_t total);
