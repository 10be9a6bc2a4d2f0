// A transfer's one-line summary, with the Russian word form for its count.
#include "transfer/transfer_summary.h"

namespace {

// The three Russian forms of a counted noun: for 1 (and 21, 31, ...), for 2
// to 4 (22 to 24, ...) and for the rest, 11 to 14 included.
struct NounForms {
    const char* one;
    const char* few;
    const char* many;
};

constexpr NounForms WORDS{"слово", "слова", "слов"};
constexpr NounForms BYTES{"байт", "байта", "байт"};

const char* FormFor(std::size_t count, const NounForms& forms)
{
    const std::size_t lastTwo = count % 100;
    const std::size_t last = count % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return forms.many;
    if (last == 1)
        return forms.one;
    if (last >= 2 && last <= 4)
        return forms.few;
    return forms.many;
}

} // namespace

std::string TransferSummary(const TransferAmount& amount)
{
    const NounForms& forms = amount.unit == TransferAmount::Unit::Words ? WORDS : BYTES;
    return std::string(amount.written ? "Записано: " : "Считано: ") + std::to_string(amount.count) +
           " " + FormFor(amount.count, forms);
}
