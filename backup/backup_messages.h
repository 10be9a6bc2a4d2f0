// The texts the user sees from a whole-controller backup and restore.
#pragma once

// The texts of the whole-controller backup and restore. A failure of one
// item shows that item's own message from messages.h, with the item named
// in the detail.
namespace BackupMsg {

inline constexpr const char* BACKUP_DONE = "Резервная копия сохранена";
inline constexpr const char* RESTORE_DONE = "Восстановление завершено";
inline constexpr const char* FOLDER_FOREIGN = "Папка не пуста и не содержит резервной копии";
inline constexpr const char* BACKUP_MISSING = "В папке нет резервной копии";
inline constexpr const char* BACKUP_DAMAGED = "Резервная копия повреждена";
inline constexpr const char* DESCRIPTOR_MISMATCH =
    "Системные параметры Вем-730 отличаются от сохранённых в резервной копии";
inline constexpr const char* RESTORE_QUESTION = "Заменить данные контроллера данными резервной копии?";
inline constexpr const char* FOLDER_UNUSABLE = "Не могу сохранить резервную копию в эту папку";
inline constexpr const char* BACKUP_INTERRUPTED = "Резервное копирование прервано";
inline constexpr const char* RESTORE_INTERRUPTED = "Восстановление прервано";

// Details: what is wrong with a folder, a file or an item, and what is left.
inline constexpr const char* NOTHING_WRITTEN = "Ничего не записано в контроллер.";
inline constexpr const char* EARLIER_KEPT = "Прежняя копия в папке не изменена.";
inline constexpr const char* CHOOSE_OTHER_FOLDER = "Выберите пустую папку или папку прежней резервной копии.";
inline constexpr const char* NOT_A_FOLDER = "это не папка";
inline constexpr const char* DANGLING_LINK = "ссылка на несуществующую папку ";
inline constexpr const char* CANNOT_OPEN = "файл не открывается";
inline constexpr const char* WRONG_SIZE = "неверный размер";
inline constexpr const char* CHECKSUM_DIFFERS = "контрольная сумма не совпадает";
// "Подпрограмма 7: кадров в копии 120, а в области помещается 100."
inline constexpr const char* FRAMES_IN_BACKUP = "кадров в копии ";
inline constexpr const char* FRAMES_IN_AREA = ", а в области помещается ";
// After the item a restore stopped before: "Программа 5 и следующие не записаны."
inline constexpr const char* NOT_REACHED = " и следующие не записаны.";

// The words of the summaries and the restore question:
// "Сохранено: параметры, программ: 3, подпрограмм: 2 (слов: 1013); пустых
// программ и подпрограмм: 65.\nВремя: 1 мин 5 с.\nПапка: /…"
inline constexpr const char* SAVED = "Сохранено: ";
inline constexpr const char* WRITTEN = "Записано: ";
inline constexpr const char* EMPTY_ITEMS = "; пустых программ и подпрограмм: ";
inline constexpr const char* DELETED_EMPTY = "; удалены пустые в копии: ";
inline constexpr const char* ALL_VERIFIED = ".\nПроверено чтением: всё совпадает";
inline constexpr const char* TIME = "Время: ";
inline constexpr const char* FOLDER = "Папка: ";
inline constexpr const char* SECONDS = " с";
inline constexpr const char* MINUTES = " мин ";
inline constexpr const char* PARAMETERS = "параметры";
inline constexpr const char* PROGRAMS_COUNT = "программ: ";
inline constexpr const char* SUBPROGRAMS_COUNT = "подпрограмм: ";
inline constexpr const char* WORDS_COUNT = " (слов: ";
inline constexpr const char* NOTHING = "ничего";
// "программы 1, 3; подпрограммы 7–50"
inline constexpr const char* PROGRAMS = "программы ";
inline constexpr const char* SUBPROGRAMS = "подпрограммы ";
inline constexpr const char* BACKUP_OF = "Копия от ";
inline constexpr const char* REPLACED = "Будут заменены: ";
inline constexpr const char* DELETED = "Будут удалены: ";
inline constexpr const char* IN_BACKUP = "В копии: ";
inline constexpr const char* IN_CONTROLLER = "В контроллере: ";
// "Программа 3 — восстановление остановлено. <what it holds> Записанное до
// этого осталось в контроллере."
inline constexpr const char* RESTORE_STOPPED = " — восстановление остановлено. ";
inline constexpr const char* WRITTEN_STAYS = "Записанное до этого осталось в контроллере.";
// A read-back that differs: "Параметры, байт 17." or "Программа 3, кадр 5
// (кадров в копии: 12, в контроллере: 12)."
inline constexpr const char* BYTE = ", байт ";
inline constexpr const char* FRAME = ", кадр ";
inline constexpr const char* FRAMES_SAVED = " (кадров в копии: ";
inline constexpr const char* FRAMES_HELD = ", в контроллере: ";

// An item's title: "Параметры", "Программа 3", "Подпрограмма 7".
inline constexpr const char* PARAMETERS_TITLE = "Параметры";
inline constexpr const char* PROGRAM_TITLE = "Программа ";
inline constexpr const char* SUBPROGRAM_TITLE = "Подпрограмма ";
// "Программа 3 — резервная копия не сохранена. Прежняя копия…"
inline constexpr const char* ITEM_NOT_SAVED = " — резервная копия не сохранена. ";
// What is wrong with a manifest: "строка 7 описи непонятна".
inline constexpr const char* NOT_OUR_MANIFEST = "это не опись резервной копии этой программы";
inline constexpr const char* MANIFEST_INCOMPLETE = "опись неполная";
inline constexpr const char* MANIFEST_LINE = "строка ";
inline constexpr const char* NOT_UNDERSTOOD = " описи непонятна";

// The dialog's context-menu entries.
inline constexpr const char* BACKUP_ENTRY = "Сохранить всё из контроллера…";
inline constexpr const char* RESTORE_ENTRY = "Восстановить всё в контроллер…";

} // namespace BackupMsg
