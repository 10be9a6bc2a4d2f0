// vemsync's own texts: the trace file's refusals and its loss.
#pragma once

// The texts vemsync shows of its own, beside the commands' messages.
namespace CliMsg {

inline constexpr const char* TRACE_NOT_OPENED = "Не могу открыть журнал обмена";
inline constexpr const char* TRACE_INCOMPLETE = "Журнал обмена записан не полностью";
// Details under TRACE_NOT_OPENED, after the file's name.
inline constexpr const char* TRACE_NOT_REGULAR = "не обычный файл: журнал пишется только в файл";
inline constexpr const char* TRACE_PLANTED_LINK =
    "символическая ссылка в папке, куда могут писать другие: по ней журнал не пишется";
inline constexpr const char* TRACE_IS_THE_FILE = "это файл, который команда читает или пишет";

} // namespace CliMsg
