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

// The dialog's context-menu entries.
inline constexpr const char* BACKUP_ENTRY = "Сохранить всё из контроллера…";
inline constexpr const char* RESTORE_ENTRY = "Восстановить всё в контроллер…";

} // namespace BackupMsg
