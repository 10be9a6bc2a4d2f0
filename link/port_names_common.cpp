// ComNumber: the number of a "COMn" port name, the same on every system.
#include "link/port_names.h"

namespace {

constexpr std::string_view COM_PREFIX = "COM";
constexpr unsigned FIRST_COM = 1;
constexpr unsigned DECIMAL_BASE = 10;

} // namespace

std::optional<unsigned> ComNumber(std::string_view name, unsigned last)
{
    if (!name.starts_with(COM_PREFIX))
        return std::nullopt;
    const std::string_view digits = name.substr(COM_PREFIX.size());
    if (digits.empty() || digits.front() == '0')
        return std::nullopt;
    unsigned number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * DECIMAL_BASE + static_cast<unsigned>(c - '0');
        if (number > last)
            return std::nullopt;
    }
    if (number < FIRST_COM)
        return std::nullopt;
    return number;
}
