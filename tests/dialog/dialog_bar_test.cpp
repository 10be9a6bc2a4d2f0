// What the bar says once a command has ended: a failure and a refusal are
// not left looking like the success before them.

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <functional>

#include "backup/backup_messages.h"
#include "tests/dialog/dialog_harness.h"

namespace {

void ClearSettings()
{
    QSettings(QStringLiteral("MFCVemSync"), QStringLiteral("MFCVemSync")).clear();
}

void PressYes(QWidget* window)
{
    if (auto* box = qobject_cast<QMessageBox*>(window); box && box->button(QMessageBox::Yes))
        box->button(QMessageBox::Yes)->click();
    else
        QTest::keyClick(window, Qt::Key_Return);
}

class DialogBar : public DialogTest {
protected:
    void SetUp() override
    {
        ClearSettings();
        Start();
        OpenDialog();
        Dialog().SetFolderChooser([this](const std::string&) { return PathOf("backup"); });
    }
    void TearDown() override
    {
        DialogTest::TearDown();
        ClearSettings();
    }

    // A parameter read that leaves the bar full and saying so.
    void FillTheBar()
    {
        ChooseFromList(Kind(), Qs("Параметры"));
        m_fileRequests.clear();
        m_chosen = {PathOf("params")};
        Click(ReadButton());
        ASSERT_EQ(Progress()->value(), Progress()->maximum());
        ASSERT_TRUE(Progress()->text().startsWith(Qs("Считано: ")));
    }

    void ChooseProgram(const char* number)
    {
        ChooseFromList(Kind(), Qs("Программа"));
        Number()->clear();
        TypeNumber(Qs(number));
    }

    // Writes `lines` as a file and runs `act` with it chosen.
    void WithFile(const std::vector<std::string>& lines)
    {
        const std::string file = PathOf("program.prgVem730");
        WriteWholeFile(file, CrLfText(lines));
        m_fileRequests.clear();
        m_chosen = {file};
    }

    void ClickAnswering(QPushButton* button, ModalCatcher::Answer answer = {})
    {
        ModalCatcher catcher(std::move(answer));
        Click(button);
    }
};

struct BarRow {
    const char* name;
    std::function<void()> act;
    const char* said; // nullptr: the bar is left as it was
    bool emptied;
};

TEST_F(DialogBar, SaysHowTheCommandEnded)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(ProgramLines(3))));
    const BarRow rows[] = {
        {"a failure: number out of range",
         [&] {
             ChooseProgram("0");
             WithFile({});
             ClickAnswering(ReadButton());
         },
         "Ошибка", true},
        {"a lossy write answered No",
         [&] {
             ChooseProgram("3");
             WithFile({"G1 X10", "M30"});
             ClickAnswering(WriteButton());
         },
         "Отменено", true},
        {"a write read back",
         [&] {
             for (QAction* action : Dialog().actions())
                 if (action->text() == Qs("Проверять после записи"))
                     action->trigger();
             ChooseProgram("3");
             WithFile(ProgramLines(3));
             ClickAnswering(WriteButton());
         },
         "Записано и проверено: 3 слова", false},
        {"a compare that matches",
         [&] {
             ChooseProgram("3");
             WithFile(ProgramLines(3));
             PickFromMenu("Сравнить с файлом…");
         },
         "Совпадает", false},
        {"a compare that differs",
         [&] {
             ChooseProgram("3");
             WithFile(ProgramLines(2));
             PickFromMenu("Сравнить с файлом…");
         },
         "Отличается", false},
        {"a file dialog left",
         [&] {
             m_fileRequests.clear();
             m_chosen = {std::nullopt};
             Click(ReadButton());
         },
         nullptr, false},
        {"a backup", [&] { PickFromMenu(BackupMsg::BACKUP_ENTRY); }, BackupMsg::BACKUP_DONE, false},
        {"a restore answered No", [&] { PickFromMenu(BackupMsg::RESTORE_ENTRY); }, "Отменено", true},
        {"a restore", [&] { PickFromMenu(BackupMsg::RESTORE_ENTRY, PressYes); }, BackupMsg::RESTORE_DONE,
         false},
    };
    for (const BarRow& row : rows) {
        SCOPED_TRACE(row.name);
        FillTheBar();
        const QString before = Progress()->format();
        row.act();
        if (row.said == nullptr) {
            EXPECT_EQ(Progress()->format(), before);
            EXPECT_EQ(Progress()->value(), Progress()->maximum());
            continue;
        }
        EXPECT_TRUE(Progress()->isTextVisible());
        EXPECT_EQ(Progress()->text(), Qs(row.said));
        if (row.emptied)
            EXPECT_EQ(Progress()->value(), Progress()->minimum());
        else
            EXPECT_EQ(Progress()->value(), Progress()->maximum());
    }
}

} // namespace
