// The lines not stored as written, described with their reasons and put to the user.
#include "transfer/rewrite_report.h"

#include <algorithm>

#include "codec/count_text.h"
#include "codec/hex_text.h"
#include "transfer/messages.h"

namespace {

constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE = 0x7F;
constexpr const char* NUL_SIGN = "\xE2\x90\x80"; // U+2400, the symbol for NUL

// Length of the UTF-8 sequence at the start of `text`, or 0 when it is none.
std::size_t Utf8Length(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0;
    return length;
}

std::string Hex(unsigned char byte)
{
    return "\\x" + HexByte(byte);
}

std::string DescribeLine(const LossyLine& line)
{
    std::string text = Msg::REWRITTEN_LINE + std::to_string(line.number) + ": " + Quoted(line.typed) +
                       " → " + Quoted(line.stored) + " (";
    bool first = true;
    for (const Msg::RewriteReason& reason : Msg::REWRITE_REASONS) {
        if (!line.reading.Has(reason.kind))
            continue;
        text += first ? "" : "; ";
        first = false;
        text += reason.text;
        if (reason.kind == LossyKind::IgnoredText) {
            const std::size_t from = std::min<std::size_t>(line.reading.ignoredFrom, line.typed.size());
            // Only up to a NUL: what follows it has its own reason.
            text += Quoted(std::string_view(line.typed).substr(from).substr(
                0, line.typed.find('\0', from) - from));
        }
    }
    return text + ")";
}

} // namespace

const char* LinesWord(std::size_t n)
{
    return FormFor(n, Msg::LINE_FORMS);
}

std::string ShownText(std::string_view text)
{
    std::string shown;
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        std::size_t used = 1;
        if (byte == 0)
            shown += NUL_SIGN;
        else if (byte < FIRST_PRINTABLE || byte == DELETE)
            shown += Hex(byte);
        else if (byte < DELETE)
            shown += text[0];
        else if ((used = Utf8Length(text)) != 0)
            shown.append(text.substr(0, used));
        else {
            shown += Hex(byte);
            used = 1;
        }
        text.remove_prefix(used);
    }
    return shown;
}

std::string DescribeLossyLines(const std::vector<LossyLine>& lines, bool whole, const char* header)
{
    const std::size_t listed = whole ? lines.size() : std::min(lines.size(), REWRITES_LISTED);
    std::string text = header;
    for (std::size_t i = 0; i < listed; ++i)
        text += "\n" + DescribeLine(lines[i]);
    if (lines.size() > listed) {
        const std::size_t more = lines.size() - listed;
        text += Msg::AND_MORE + CountText(more, Msg::LINE_FORMS);
    }
    return text;
}

bool ConfirmLossyLines(const std::vector<LossyLine>& lines, ITransferUi& ui)
{
    return lines.empty() || ui.AskYesNo(Msg::ACCEPT_REWRITES, DescribeLossyLines(lines, ui.ListsEveryLine()));
}

std::string Quoted(std::string_view text)
{
    return "«" + ShownText(text) + "»";
}
