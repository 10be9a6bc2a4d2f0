// Tests of the Windows causes of a failed port open, by table.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "link/port_open_cause.h"

namespace {

struct CauseRow {
    const char* name;
    const char* port;
    int error;
    std::string expected;
};

TEST(PortOpenCauseWin32, EachCauseNamesThePortTriedAndWhatToDo)
{
    const CauseRow rows[] = {
        {"opened", "COM1", 0, ""},
        {"busy", "COM3", EBUSY,
         "COM3 (\\\\.\\COM3) занят: его держит открытым другая программа. Закройте её и выберите "
         "порт снова."},
        {"missing", "COM12", ENOENT,
         "Порта COM12 (\\\\.\\COM12) нет в системе: адаптер не подключён или у него другой номер "
         "(см. Диспетчер устройств, «Порты COM и LPT»)."},
        {"full device name", "\\\\.\\COM4", ENOENT,
         "Порта \\\\.\\COM4 нет в системе: адаптер не подключён или у него другой номер "
         "(см. Диспетчер устройств, «Порты COM и LPT»)."},
    };
    for (const CauseRow& row : rows)
        EXPECT_EQ(PortOpenCause(row.port, row.error), row.expected) << row.name;
}

} // namespace
