// A transfer's one-line summary, with the Russian word form for its count.
#include "transfer/transfer_summary.h"

#include "codec/count_text.h"
#include "transfer/messages.h"

std::string TransferSummary(const TransferAmount& amount)
{
    const NounForms& forms = amount.unit == TransferAmount::Unit::Words ? WORD_FORMS : BYTE_FORMS;
    return std::string(amount.written ? Msg::WRITTEN_COUNT : Msg::READ_COUNT) + CountText(amount.count, forms);
}
