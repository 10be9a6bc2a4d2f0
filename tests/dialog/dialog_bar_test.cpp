// What the bar says once a command has ended: a failure and a refusal are
// not left looking like the success before them.

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <functional>

#include "backup/backup_messages.h"
#include "tests/dialog/dialog_harness.h"

namespace {

struct BarRow {
    const char* name;
    const char* program; // typed into the number field; nullptr: parameters
    std::vector<std::string> file;
    std::function<void()> act;
    const char* said; // nullptr: the bar is left as it was
    bool emptied;
};

TEST_F(DialogTest, BarSaysHowTheCommandEnded)
{
    Start();
    OpenDialog();
    Dialog().SetFolderChooser([this](const std::string&) { return PathOf("backup"); });
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(ProgramLines(3))));
    QAction* verify = nullptr;
    for (QAction* action : Dialog().actions())
        if (action->text() == Qs("Проверять после записи"))
            verify = action;
    const auto click = [this](QPushButton* button) {
        ModalCatcher enter;
        Click(button);
    };
    const auto yes = [](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->button(QMessageBox::Yes))
            box->button(QMessageBox::Yes)->click();
        else
            QTest::keyClick(window, Qt::Key_Return);
    };
    const BarRow rows[] = {
        {"a failure: number out of range", "0", {}, [&] { click(ReadButton()); }, "Ошибка", true},
        {"a lossy write answered No", "3", {"G1 X10"}, [&] { click(WriteButton()); }, "Отменено", true},
        {"a write read back", "3", ProgramLines(3),
         [&] {
             verify->trigger();
             click(WriteButton());
             verify->trigger();
         },
         "Записано и проверено: 3 слова", false},
        {"a compare that matches", "3", ProgramLines(3), [&] { PickFromMenu("Сравнить с файлом…"); },
         "Совпадает", false},
        {"a compare that differs", "3", ProgramLines(2), [&] { PickFromMenu("Сравнить с файлом…"); },
         "Отличается", false},
        {"a file dialog left", nullptr, {}, 
         [&] {
             m_chosen = {std::nullopt};
             Click(ReadButton());
         },
         nullptr, false},
        {"a backup", nullptr, {}, [&] { PickFromMenu(BackupMsg::BACKUP_ENTRY); }, BackupMsg::BACKUP_DONE,
         false},
        {"a restore answered No", nullptr, {}, [&] { PickFromMenu(BackupMsg::RESTORE_ENTRY); }, "Отменено",
         true},
        {"a restore", nullptr, {}, [&] { PickFromMenu(BackupMsg::RESTORE_ENTRY, yes); },
         BackupMsg::RESTORE_DONE, false},
    };
    for (const BarRow& row : rows) {
        SCOPED_TRACE(row.name);
        // A parameter read first leaves the bar full and saying so.
        ChooseFromList(Kind(), Qs("Параметры"));
        m_fileRequests.clear();
        m_chosen = {PathOf("params")};
        Click(ReadButton());
        ASSERT_TRUE(Progress()->text().startsWith(Qs("Считано: ")));
        const QString before = Progress()->format();
        if (row.program) {
            ChooseFromList(Kind(), Qs("Программа"));
            Number()->clear();
            TypeNumber(Qs(row.program));
        }
        WriteWholeFile(PathOf("program.prgVem730"), CrLfText(row.file));
        m_fileRequests.clear();
        m_chosen = {PathOf("program.prgVem730")};
        row.act();

        EXPECT_EQ(Progress()->format(), row.said ? Qs(row.said) : before);
        EXPECT_TRUE(Progress()->isTextVisible());
        EXPECT_EQ(Progress()->value(), row.emptied ? Progress()->minimum() : Progress()->maximum());
    }
}

} // namespace
