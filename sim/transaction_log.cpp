// CTransactionLog: each request, reply and dropped byte appended to the log file.
#include "sim/transaction_log.h"

#include <cerrno>

#include "codec/hex_text.h"
#include "platform/clock_text.h"
#include "platform/file_error.h"
#include "sim/sim_messages.h"

bool CTransactionLog::Open(const std::string& path, std::string& error)
{
    m_file.reset(std::fopen(path.c_str(), "a"));
    if (!m_file) {
        error = SimMsg::LogNotOpened(path, SystemErrorReason(errno));
        return false;
    }
    return true;
}

std::string CTransactionLog::Hex(std::span<const std::uint8_t> bytes)
{
    return HexBytes(bytes);
}

void CTransactionLog::NoReply(std::string_view reason)
{
    Line("NOREPLY", reason);
}

void CTransactionLog::Bytes(std::string_view tag, std::span<const std::uint8_t> bytes)
{
    if (m_file)
        Line(tag, Hex(bytes));
}

void CTransactionLog::Line(std::string_view tag, std::string_view text)
{
    if (!m_file)
        return;
    const std::string line = LocalTimestamp() + ' ' + std::string(tag) + ' ' + std::string(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), m_file.get());
    std::fflush(m_file.get());
}
