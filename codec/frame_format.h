// The frame formatter: a program frame as one line of G-code text.
#pragma once

#include <cstddef>
#include <span>

#include "codec/program_frame.h"

// Longest line: "//", a letter, a 12-character coordinate and "F" with five
// digits. FRAME_TEXT_ROOM adds the NUL.
constexpr std::size_t FRAME_TEXT_MAX = 21;
constexpr std::size_t FRAME_TEXT_ROOM = 22;

// Writes the G-code line of a frame into out, NUL-terminated and without a
// line end. Returns false, with out empty, for a free or unlinked slot and for
// a code that has no text; the export ends at such a frame. A feed frame's
// number above 9999 is lowered to 9999 in the frame itself.
bool FormatFrame(ProgramFrame& frame, std::span<char, FRAME_TEXT_ROOM> out);

// The two halves of FormatFrame; each writes the word alone (no "//") from
// out[0] and cuts it to the room of out.
bool FormatAxisWord(const ProgramFrame& frame, std::span<char> out);
bool FormatOtherWord(ProgramFrame& frame, std::span<char> out);
