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

// The dialog's context-menu entries.
inline constexpr const char* BACKUP_ENTRY = "Сохранить всё из контроллера…";
inline constexpr const char* RESTORE_ENTRY = "Восстановить всё в контроллер…";

} // namespace BackupMsg
