// Tests of CCliUi: progress only on a terminal, erased by a message and at the end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "cli/cli_ui.h"

namespace {

// What a CCliUi wrote to its error stream while `use` ran and the object
// went away.
std::string Written(bool showProgress, const std::function<void(CCliUi&)>& use)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&data, &size);
    if (stream == nullptr)
        return "open_memstream failed";
    {
        CCliUi ui(stream, showProgress);
        use(ui);
    }
    std::fclose(stream);
    std::string text(data, size);
    std::free(data);
    return text;
}

struct DrawRow {
    const char* name;
    std::function<void(CCliUi&)> steps;
    std::string shown;    // on a terminal
    std::string notShown; // elsewhere
};

TEST(CliUi, ProgressOnATerminalOnlyAndGoneWhenTheCommandEnds)
{
    const std::string empty(30, '.');
    const std::string half = std::string(15, '#') + std::string(15, '.');
    const std::string full(30, '#');
    // Spaces over "[" + 30 + "] n/2", and back to the line's start.
    const std::string erased = "\r" + std::string(36, ' ') + "\r";
    const DrawRow rows[] = {
        {"no transfer", [](CCliUi&) {}, "", ""},
        {"two blocks",
         [](CCliUi& ui) {
             ui.SetProgressRange(0, 2);
             ui.SetProgressPos(1);
             ui.SetProgressPos(2);
         },
         "\r[" + empty + "] 0/2\r[" + half + "] 1/2\r[" + full + "] 2/2" + erased, ""},
        {"an empty program: a range of nothing",
         [](CCliUi& ui) { ui.SetProgressRange(0, 0); },
         "\r[" + empty + "] 0/0" + erased, ""},
        {"a message after a block takes the bar's place",
         [](CCliUi& ui) {
             ui.SetProgressRange(0, 2);
             ui.SetProgressPos(1);
             ui.ShowWarning("Ошибка чтения программы");
         },
         "\r[" + empty + "] 0/2\r[" + half + "] 1/2" + erased + "Ошибка чтения программы\n",
         "Ошибка чтения программы\n"},
        {"a message before any block",
         [](CCliUi& ui) { ui.ShowWarning("Не могу открыть файл"); },
         "Не могу открыть файл\n", "Не могу открыть файл\n"},
        {"positions outside the range are held to it",
         [](CCliUi& ui) {
             ui.SetProgressRange(0, 2);
             ui.SetProgressPos(5);
             ui.SetProgressPos(-1);
         },
         "\r[" + empty + "] 0/2\r[" + full + "] 2/2\r[" + empty + "] 0/2" + erased, ""},
    };
    for (const DrawRow& row : rows) {
        EXPECT_EQ(Written(true, row.steps), row.shown) << row.name;
        EXPECT_EQ(Written(false, row.steps), row.notShown) << row.name;
    }
}

} // namespace
