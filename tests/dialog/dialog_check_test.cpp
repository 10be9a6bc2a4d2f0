// The dialog's context-menu entries for the check after writing and the
// comparison with a file, and the question before a lossy write.

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QFile>
#include <QSettings>
#include <QTest>

#include "transfer/messages.h"
#include "tests/dialog/dialog_harness.h"

namespace {

const char* const VERIFY_ENTRY = "Проверять после записи";
const char* const COMPARE_ENTRY = "Сравнить с файлом…";

// The dialog's settings, in the run's own configuration folder.
void ClearSettings()
{
    QSettings(QStringLiteral("MFCVemSync"), QStringLiteral("MFCVemSync")).clear();
}

class DialogCheck : public DialogTest {
protected:
    void SetUp() override
    {
        ClearSettings();
        Start();
        OpenDialog();
    }
    void TearDown() override
    {
        DialogTest::TearDown();
        ClearSettings();
    }

    QAction* Entry(const char* text)
    {
        for (QAction* action : Dialog().actions())
            if (action->text() == Qs(text))
                return action;
        return nullptr;
    }
};

TEST_F(DialogCheck, VerifyIsOffAtFirstAndRememberedBetweenRuns)
{
    QAction* verify = Entry(VERIFY_ENTRY);
    ASSERT_NE(verify, nullptr);
    EXPECT_TRUE(verify->isCheckable());
    EXPECT_FALSE(verify->isChecked());

    PickFromMenu(VERIFY_ENTRY);
    EXPECT_TRUE(Entry(VERIFY_ENTRY)->isChecked());

    OpenDialog(); // the next run
    EXPECT_TRUE(Entry(VERIFY_ENTRY)->isChecked());

    // A write now reads the program back: the Read command's requests follow.
    const std::string file = PathOf("three.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(3)));
    Choose("Программа", "2");
    m_chosen = {file};
    ModalCatcher catcher;
    Click(WriteButton());
    EXPECT_TRUE(catcher.Seen().empty());
    EXPECT_EQ(RequestSummaries(), (std::vector<std::string>{"R 0 1 0", "W 259 0 0", "W 259 0 96",
                                                            "R 259 0 600", "R 259 0 5"}));

    PickFromMenu(VERIFY_ENTRY);
    OpenDialog();
    EXPECT_FALSE(Entry(VERIFY_ENTRY)->isChecked());
}

// A settings file the program cannot write (here a folder has its name):
// the tick holds for this run, and the user is told that it will not last.
TEST_F(DialogCheck, SettingThatCannotBeSavedIsSaid)
{
    const QString file = QSettings(QStringLiteral("MFCVemSync"), QStringLiteral("MFCVemSync")).fileName();
    // The run's own settings file, which the fixture has emptied.
    QFile::remove(file);
    ASSERT_TRUE(QDir().mkpath(file)) << file.toStdString();

    const std::vector<SeenModal> seen = PickFromMenu(VERIFY_ENTRY);
    QDir().rmdir(file);
    ASSERT_EQ(seen.size(), 2u) << "the menu, then the warning";
    EXPECT_EQ(seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(seen[1].text, Qs("Настройка не сохранена"));
    EXPECT_TRUE(seen[1].informative.contains(Qs("«Проверять после записи» действует только до закрытия")))
        << seen[1].informative.toStdString();
    EXPECT_TRUE(seen[1].informative.contains(file)) << seen[1].informative.toStdString();
    EXPECT_TRUE(Entry(VERIFY_ENTRY)->isChecked()) << "the tick holds for this run";

    // Saved as usual once the file can be written.
    EXPECT_EQ(PickFromMenu(VERIFY_ENTRY).size(), 1u) << "only the menu";
}

TEST_F(DialogCheck, CompareAnswersWithAnInformationBox)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 12}, ChainOf(ProgramLines(7))));
    const std::string file = PathOf("seven.prgVem730");
    WriteWholeFile(file, CrLfText(ProgramLines(7)));
    Choose("Подпрограмма", "12");
    m_chosen = {file, file};

    std::vector<SeenModal> seen = PickFromMenu(COMPARE_ENTRY);
    ASSERT_EQ(seen.size(), 2u) << "the menu, then the answer";
    EXPECT_EQ(seen[1].icon, QMessageBox::Information);
    EXPECT_EQ(seen[1].text, Qs(Msg::COMPARE_SAME));

    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Subprogram, 12}, ChainOf(ProgramLines(6))));
    seen = PickFromMenu(COMPARE_ENTRY);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].icon, QMessageBox::Information);
    EXPECT_EQ(seen[1].text, Qs(Msg::COMPARE_DIFFERS));
    EXPECT_TRUE(seen[1].labels.contains(
        Qs("Подпрограмма 12 и файл seven.prgVem730\n"
           "Строка 7: в файле «G1», в контроллере её нет (в контроллере 6 строк, в файле 7 строк)")))
        << seen[1].labels.join(QLatin1String(" | ")).toStdString();
    for (const std::string& request : RequestSummaries())
        EXPECT_EQ(request[0], 'R') << request;
}

// Enter takes the default, No: the stored program stays.
TEST_F(DialogCheck, LossyWriteAsksWithNoAsTheDefault)
{
    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 3}, ChainOf(ProgramLines(4))));
    const std::string file = PathOf("typed.prgVem730");
    using namespace std::string_literals;
    WriteWholeFile(file, CrLfText({"G1 X10", "X 60.000", "X10..5", "X+5.0", "XYZ", "M6T12", "M999",
                                   "X60", "X12.345\0F100"s, "HELLO"}));
    Choose("Программа", "3");
    m_chosen = {file};
    ModalCatcher catcher;
    Click(WriteButton());
    ASSERT_EQ(catcher.Seen().size(), 1u);
    EXPECT_EQ(catcher.Seen()[0].icon, QMessageBox::Question);
    EXPECT_EQ(catcher.Seen()[0].text, Qs(Msg::ACCEPT_REWRITES));
    EXPECT_EQ(catcher.Seen()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    // Every row of the table is listed, each under its own line number.
    const QString listed = catcher.Seen()[0].labels.join(QLatin1String("\n"));
    for (int line = 1; line <= 10; ++line)
        EXPECT_TRUE(listed.contains(QStringLiteral("строка %1: «").arg(line))) << line;
    EXPECT_TRUE(listed.contains(Qs("«X12.345␀F100» → «X12.345F00»"))) << listed.toStdString();
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{"R 0 1 0"});
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 3}), ChainOf(ProgramLines(4)));
}

} // namespace
