// The report and question on program lines the controller would not store as written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "transfer/messages.h"
#include "transfer/transfer_ui.h"
#include "image/lossy_line.h"

// How many lines the question lists before it only counts the rest.
constexpr std::size_t REWRITES_LISTED = 10;

// The lines a program text would not be stored as written, one a line: its
// number, the line as typed, what is stored and why, under `header`: every
// one when `whole`, else the first REWRITES_LISTED and how many more.
std::string DescribeLossyLines(const std::vector<LossyLine>& lines, bool whole = false,
                               const char* header = Msg::REWRITES_HEADER);

// Asks whether the program is stored as it was read, when any line was not
// read as written; true when there is no such line or the user said Yes.
bool ConfirmLossyLines(const std::vector<LossyLine>& lines, ITransferUi& ui);

// A line's bytes fit to be shown: a NUL as "␀", other control bytes and
// bytes that are not UTF-8 as \xNN.
std::string ShownText(std::string_view text);
// ShownText in the quotes every message uses: «G1».
std::string Quoted(std::string_view text);

// "строка", "строки" or "строк", as goes with n.
const char* LinesWord(std::size_t n);
