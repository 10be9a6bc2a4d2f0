// Counts with their Russian noun forms, at the edges where the form changes.
#include "codec/count_text.h"

#include <gtest/gtest.h>

namespace {

TEST(CountText, TheNounTakesTheFormItsNumberAsks)
{
    const struct {
        std::size_t count;
        const char* bytes;
        const char* words;
    } rows[] = {
        {0, "0 байт", "0 слов"},       {1, "1 байт", "1 слово"},        {2, "2 байта", "2 слова"},
        {4, "4 байта", "4 слова"},     {5, "5 байт", "5 слов"},         {11, "11 байт", "11 слов"},
        {12, "12 байт", "12 слов"},    {14, "14 байт", "14 слов"},      {21, "21 байт", "21 слово"},
        {22, "22 байта", "22 слова"},  {101, "101 байт", "101 слово"},  {111, "111 байт", "111 слов"},
        {112, "112 байт", "112 слов"}, {1002, "1002 байта", "1002 слова"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CountText(row.count, BYTE_FORMS), row.bytes);
        EXPECT_EQ(CountText(row.count, WORD_FORMS), row.words);
    }
}

} // namespace
