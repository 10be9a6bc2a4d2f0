// Why a port did not open on Windows, where nobody can be named as its holder.
#include "link/port_open_cause.h"

#include <cerrno>
#include <cstring>

#include "link/port_names.h"

// Windows keeps no list of who holds a port that a user may read.
std::vector<PortHolder> ProcessesHolding(const std::string&)
{
    return {};
}

std::string PortOpenCause(std::string_view portName, int error)
{
    if (error == 0)
        return {};
    const std::string device = ResolvePortName(portName);
    const std::string named = device == portName ? device : std::string(portName) + " (" + device + ")";
    switch (error) {
    case EBUSY:
        return named + " занят: его держит открытым другая программа. Закройте её и выберите "
                       "порт снова.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "Порта " + named + " нет в системе: адаптер не подключён или у него другой номер "
                                  "(см. Диспетчер устройств, «Порты COM и LPT»).";
    case EACCES:
    case EPERM:
        return "Нет доступа к " + named + ".";
    default:
        return "Не удалось открыть " + named + ": " + std::strerror(error) + ".";
    }
}
