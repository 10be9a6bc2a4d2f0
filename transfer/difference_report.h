// How the controller's data differ from a file's, in the words of the
// comparison's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/read_back.h"

// Where the controller's program first differs from the file's frames: the
// first line whose text differs, or that one side lacks. Frames whose bytes
// differ but whose text is the same (their links, where the chain ends) are
// named only when no text differs. `textPath` is the file's text, for the
// line as typed.
std::string ProgramDifference(const ReadBack& back, std::span<const std::uint8_t> file,
                              unsigned fileFrames, std::span<const std::uint8_t> controller,
                              std::size_t frameSize, const std::string& textPath);

// The first byte of the parameters that differs, with both values.
std::string ByteDifference(const ReadBack& back, std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> controller);

// "N строк" in the number's own word form.
std::string LineCount(std::size_t n);
