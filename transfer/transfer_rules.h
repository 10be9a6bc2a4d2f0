// The rules that turn what the user chose into what a transfer uses: the
// number typed, the file's extension, the descriptor's fitness.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/controller_info.h"
#include "link/data_kind.h"

// The number typed in the number field, read digit by digit in unsigned
// 16-bit arithmetic; an empty field is 0.
std::uint16_t ProgramNumberOf(std::string_view text);

// The link's file number of program or subprogram `number`; nothing when
// the number is outside 1..HighestNumber(kind).
std::optional<std::uint16_t> ProgramFileFor(DataKind kind, unsigned number);

// The extension rules: Read appends ".paramVem730" / ".prgVem730" unless the
// path contains it (case-sensitive); Write tests without regard to case and
// appends the same canonical extension, keeping the path's own case, but
// takes a chosen path that exists and is no folder as it is (a FIFO or a
// device too: it is refused by its own name, not as a missing file).
std::string ReadPathFor(DataKind kind, const std::string& chosen);
std::string WritePathFor(DataKind kind, const std::string& chosen);

// Whether the descriptor's sizes fit the transfer buffer and the link for
// this kind of transfer.
bool DescriptorSupported(DataKind kind, const ControllerInfo& info);
