#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "app/backup_messages.h"
#include "app/messages.h"
#include "tests/app/dialog_harness.h"

namespace {

class DialogBackup : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
        Dialog().SetFolderChooser([this](const std::string& title) {
            m_folderTitles.push_back(title);
            return m_folder.empty() ? std::nullopt : std::optional<std::string>(m_folder);
        });
    }

    // The context menu's entry, picked as the user picks it.
    void PickFromMenu(const char* entry, ModalCatcher::Answer answerOthers = {})
    {
        ModalCatcher catcher([&](QWidget* window) {
            if (auto* menu = qobject_cast<QMenu*>(window)) {
                for (QAction* action : menu->actions())
                    if (action->text() == Qs(entry)) {
                        menu->setActiveAction(action);
                        QTest::keyClick(menu, Qt::Key_Return);
                        return;
                    }
                QTest::keyClick(menu, Qt::Key_Escape);
            } else if (answerOthers) {
                answerOthers(window);
            } else {
                QTest::keyClick(window, Qt::Key_Return);
            }
        });
        const QPoint inside(Dialog().width() / 2, Dialog().height() - 4);
        QTest::mouseClick(Dialog().windowHandle(), Qt::RightButton, Qt::NoModifier, inside);
        m_seen = catcher.Seen();
    }

    std::string m_folder;
    std::vector<std::string> m_folderTitles;
    std::vector<SeenModal> m_seen;
};

void PressYes(QWidget* window)
{
    if (auto* box = qobject_cast<QMessageBox*>(window); box && box->button(QMessageBox::Yes))
        box->button(QMessageBox::Yes)->click();
    else
        QTest::keyClick(window, Qt::Key_Return);
}

TEST_F(DialogBackup, SavesAndRestoresTheWholeControllerFromTheMenu)
{
    const std::vector<ProgramFrame> program2 = m_sim->ProgramFrames({LinkFile::Program, 2});
    m_folder = PathOf("backup");
    PickFromMenu(BackupMsg::BACKUP_ENTRY);
    EXPECT_EQ(m_folderTitles, std::vector<std::string>{BackupMsg::BACKUP_ENTRY});
    ASSERT_EQ(m_seen.size(), 2u) << "the menu, then one box at the end";
    EXPECT_EQ(m_seen[1].text, Qs(BackupMsg::BACKUP_DONE));
    EXPECT_EQ(m_seen[1].icon, QMessageBox::Information);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/manifest.txt"));
    EXPECT_GT(Progress()->maximum(), 70) << "the bar covers every item";
    EXPECT_EQ(Progress()->value(), Progress()->maximum());

    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 2}, ChainOf(ProgramLines(3))));
    // The question's default is No: nothing is written.
    PickFromMenu(BackupMsg::RESTORE_ENTRY);
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[1].text, Qs(BackupMsg::RESTORE_QUESTION));
    EXPECT_EQ(m_seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 3u);

    PickFromMenu(BackupMsg::RESTORE_ENTRY, PressYes);
    ASSERT_EQ(m_seen.size(), 3u) << "the menu, the question, the box at the end";
    EXPECT_EQ(m_seen[2].text, Qs(BackupMsg::RESTORE_DONE));
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 2}), program2);
}

TEST_F(DialogBackup, NoFolderChosenDoesNothing)
{
    PickFromMenu(BackupMsg::BACKUP_ENTRY);
    ASSERT_EQ(m_seen.size(), 1u) << "only the menu";
    EXPECT_EQ(m_folderTitles.size(), 1u);
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{});
}

} // namespace
