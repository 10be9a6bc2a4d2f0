// The words the link layer puts into its trace: why a reply failed.
#pragma once

// What the trace says under a reply that did not come good. A count of
// milliseconds or bytes follows where the text ends in a space or a colon.
namespace LinkMsg {

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

} // namespace LinkMsg
