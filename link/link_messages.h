// The link layer's words: its trace, the port list, why a port is not mapped or did not open.
#pragma once

#include <string>

namespace LinkMsg {

// What the trace says under a reply that did not come good. A count of
// milliseconds or bytes follows where the text ends in a space or a colon.
inline constexpr const char* NO_REPLY_WITHIN = "нет ответа за ";
inline constexpr const char* CUT_OFF_WITHIN = "ответ оборвался: нет продолжения за ";
inline constexpr const char* MILLISECONDS = " мс";
// "ответ объявляет 254 байт, больше 253"
inline constexpr const char* ANNOUNCES = "ответ объявляет ";
inline constexpr const char* BYTES_MORE_THAN = " байт, больше ";
inline constexpr const char* REFUSED_WITH_CODE = "отказ контроллера, код исключения ";
inline constexpr const char* BAD_CRC = "ошибка CRC";
inline constexpr const char* SHORT_DATA = "данных в ответе меньше, чем запрошено";
inline constexpr const char* PORT_GONE = "порт оборвался: устройство пропало, порт закрыт";
inline constexpr const char* PORT_CLOSED = "порт не открыт, запрос не отправлен";

// What the trace says a request asks for: "чтение: программа 3, номер
// записи 0, длина 120", and a write's reply: "… → принято".
inline constexpr const char* REQUEST_TOO_SHORT = "запрос короче заголовка";
inline constexpr const char* READING = "чтение";
inline constexpr const char* WRITING = "запись";
inline constexpr const char* FUNCTION = "функция ";
inline constexpr const char* RECORD_NUMBER = ", номер записи ";
inline constexpr const char* RECORD_LENGTH = ", длина ";
inline constexpr const char* ACCEPTED = "принято";
// The files a request names; a program's number follows where the text ends
// in a space, and a file number nobody knows is given in four hex digits.
inline constexpr const char* DESCRIPTOR_FILE = "системные параметры";
inline constexpr const char* GENERAL_FILE = "общие параметры";
inline constexpr const char* AXIS_FILE = "параметры осей";
inline constexpr const char* PROGRAM_FILE = "программа ";
inline constexpr const char* SUBPROGRAM_FILE = "подпрограмма ";
inline constexpr const char* OTHER_FILE = "файл 0x";

// A device in the port list: "FTDI FT232R USB UART, 0403:6001, серийный
// номер A10K, драйвер ftdi_sio".
inline constexpr const char* HARDWARE_ID = "код оборудования ";
inline constexpr const char* SERIAL_NUMBER = "серийный номер ";
inline constexpr const char* DRIVER = "драйвер ";
inline constexpr const char* ANY_SERIAL_PORT = "последовательный порт";
// What a port name reaches: "ссылка на /dev/ttyUSB0 (нет устройства: не
// подключено)".
inline constexpr const char* LINK_TO = "ссылка на ";
inline constexpr const char* MAPPED_ABSENT = " (нет устройства: не подключено)";
inline constexpr const char* ABSENT = " (нет устройства)";
inline constexpr const char* PRESENT = " (есть)";

// Why a port name is not mapped or unmapped; the system's reason follows
// after a colon where it has one.
inline std::string NotAPortListName(const std::string& name)
{
    return "«" + name + "» — не имя порта из списка (COM1 … COM10)";
}
inline std::string NotMappable(const std::string& device, const std::string& why)
{
    return "«" + device + "» — не последовательный порт: " + why;
}
inline std::string PortFolderNotMade(const std::string& folder)
{
    return "Не удалось создать папку портов " + folder;
}
inline std::string LinkNotMade(const std::string& folder)
{
    return "Не удалось создать ссылку в " + folder;
}
inline std::string NotMapped(const std::string& name)
{
    return "Не удалось назначить " + name;
}
inline std::string NotUnmapped(const std::string& name)
{
    return "Не удалось снять назначение " + name;
}
// What a device offered for a port name is, when it is no serial line.
inline constexpr const char* REGULAR_FILE = "это обычный файл";
inline constexpr const char* FOLDER = "это папка";
inline constexpr const char* FIFO = "это именованный канал";
inline constexpr const char* NOT_A_DEVICE = "это не устройство";
inline constexpr const char* CONSOLE = "это консоль или терминал, а не линия связи";
inline std::string DeviceNotOpened(const std::string& reason)
{
    return "устройство не открывается (" + reason + ")";
}
inline constexpr const char* NOT_A_TERMINAL = "устройство не отвечает как последовательный порт";

// Why the port folder is not trusted, and what to do.
inline std::string PortFolderDistrusted(const std::string& folder, const std::string& path, bool foreign)
{
    return "Папка портов " + folder + " не используется: " + path +
           (foreign ? " принадлежит другому пользователю" : " доступна для записи другим") +
           ". Назначения портов не действуют, COMn — это /dev/ttyS(n-1). Исправьте: chmod go-w " + path +
           (foreign ? " (или удалите её и назначьте порты заново)" : "") + ".";
}

// Why a port did not open and what to do; `named` is the port as the user
// chose it, with the device it reached.
inline std::string NoPermission(const std::string& named)
{
    return "Нет прав на доступ к " + named +
           ". Пользователь должен входить в группу dialout: выполните "
           "«sudo adduser $USER dialout», затем выйдите из системы и войдите снова.";
}
// A busy port's holders follow BUSY.
inline constexpr const char* BUSY = " занят. ";
inline constexpr const char* HOLDER_UNKNOWN =
    "Его держит открытым другая программа (какая — узнать не удалось: "
    "возможно, она запущена другим пользователем). Закройте её и выберите порт снова.";
// `holders`: "minicom (PID 1234), screen (PID 99)".
inline std::string HeldBy(const std::string& holders)
{
    return "Его держит открытым: " + holders + ". Закройте эту программу и выберите порт снова.";
}
inline std::string DeviceNotFound(const std::string& named)
{
    return "Устройство " + named + " не найдено: адаптер не подключён или порт назначен "
                                   "не тому устройству (см. «Настройка портов…» или vemsync ports).";
}
inline std::string NoUart(const std::string& named)
{
    return named + " есть в системе, но не отвечает: у порта нет микросхемы UART или адаптер "
                   "неисправен.";
}
inline std::string NotASerialLine(const std::string& named)
{
    return named + " — не последовательный порт.";
}
inline std::string NotOpened(const std::string& named, const std::string& reason)
{
    return "Не удалось открыть " + named + ": " + reason + ".";
}
// The same on Windows, which names no holder and has no port folder.
inline std::string BusyOnWindows(const std::string& named)
{
    return named + " занят: его держит открытым другая программа. Закройте её и выберите "
                   "порт снова.";
}
inline std::string NoSuchPortOnWindows(const std::string& named)
{
    return "Порта " + named + " нет в системе: адаптер не подключён или у него другой номер "
                              "(см. Диспетчер устройств, «Порты COM и LPT»).";
}
inline std::string NoAccessOnWindows(const std::string& named)
{
    return "Нет доступа к " + named + ".";
}

} // namespace LinkMsg
