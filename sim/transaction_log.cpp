#include "sim/transaction_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace {

constexpr std::size_t TIME_TEXT_SIZE = 32;
constexpr long NS_PER_US = 1000;
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
constexpr unsigned NIBBLE_BITS = 4;
constexpr unsigned NIBBLE_MASK = 0x0F;
constexpr std::size_t CHARS_PER_BYTE = 3; // two digits and a space

std::string Timestamp()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    ::localtime_r(&now.tv_sec, &local);
    char text[TIME_TEXT_SIZE];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    char micro[TIME_TEXT_SIZE];
    std::snprintf(micro, sizeof micro, ".%06ld", now.tv_nsec / NS_PER_US);
    return std::string(text, n) + micro;
}

} // namespace

bool CTransactionLog::Open(const std::string& path, std::string& error)
{
    m_file.reset(std::fopen(path.c_str(), "a"));
    if (!m_file) {
        error = "cannot open the log " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string CTransactionLog::Hex(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * CHARS_PER_BYTE);
    for (const std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += HEX_DIGITS[b >> NIBBLE_BITS];
        text += HEX_DIGITS[b & NIBBLE_MASK];
    }
    return text;
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
    const std::string line = Timestamp() + ' ' + std::string(tag) + ' ' + std::string(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), m_file.get());
    std::fflush(m_file.get());
}
