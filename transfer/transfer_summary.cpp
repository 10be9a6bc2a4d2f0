// A transfer's one-line summary, with the Russian word form for its count.
#include "transfer/transfer_summary.h"

#include "codec/count_text.h"

std::string TransferSummary(const TransferAmount& amount)
{
    const NounForms& forms = amount.unit == TransferAmount::Unit::Words ? WORD_FORMS : BYTE_FORMS;
    return std::string(amount.written ? "Записано: " : "Считано: ") + CountText(amount.count, forms);
}
