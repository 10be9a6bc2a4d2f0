// A count with its Russian noun in the form the number asks for.
#include "codec/count_text.h"

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

std::string CountText(std::size_t count, const NounForms& forms)
{
    return std::to_string(count) + " " + FormFor(count, forms);
}
