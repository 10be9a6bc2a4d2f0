// How the controller's data differ from a file's, in the words of the
// comparison's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <optional>
#include <string>

#include "link/data_kind.h"
#include "link/read_back.h"

// Where the controller's program first differs from the file's frames: the
// first line whose text differs, or that one side lacks. Frames whose bytes
// differ but whose text is the same (their links, where the chain ends) are
// named only when no text differs. `textPath` is the file's text, for the
// line as typed.
std::string ProgramDifference(const ReadBack& back, std::span<const std::uint8_t> file,
                              unsigned fileFrames, std::span<const std::uint8_t> controller,
                              std::size_t frameSize, const std::string& textPath);

// Where the file's words first differ from the controller's, read as Read
// shows them: a word is its text, "//" of a disabled word included, so bytes
// the text does not show (what a frame carries over from an earlier one, the
// links) are not compared. Nothing when every word is the same and both
// hold as many.
std::optional<std::string> WordDifference(std::span<const std::uint8_t> file, unsigned fileFrames,
                                          std::span<const std::uint8_t> controller,
                                          unsigned controllerFrames, std::size_t frameSize,
                                          const std::string& textPath);

// What a comparison compared: "Программа 3 и файл part3.prgVem730".
std::string CompareSubject(DataKind kind, std::uint16_t number, const std::string& path);

// A line of the file that reads as no word at all.
std::string UnreadableLine(int line, const std::string& typed);

// The first byte of the parameters that differs, with both values.
std::string ByteDifference(const ReadBack& back, std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> controller);

// "N строк" in the number's own word form.
std::string LineCount(std::size_t n);
