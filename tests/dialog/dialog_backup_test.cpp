// Tests of whole-controller backup and restore from the dialog's menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "backup/backup_messages.h"
#include "transfer/messages.h"
#include "tests/dialog/dialog_harness.h"

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
    m_seen = PickFromMenu(BackupMsg::BACKUP_ENTRY);
    EXPECT_EQ(m_folderTitles, std::vector<std::string>{BackupMsg::BACKUP_ENTRY});
    ASSERT_EQ(m_seen.size(), 2u) << "the menu, then one box at the end";
    EXPECT_EQ(m_seen[1].text, Qs(BackupMsg::BACKUP_DONE));
    EXPECT_EQ(m_seen[1].icon, QMessageBox::Information);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/manifest.txt"));
    EXPECT_GT(Progress()->maximum(), 70) << "the bar covers every item";
    EXPECT_EQ(Progress()->value(), Progress()->maximum());

    ASSERT_TRUE(m_sim->SetProgramFrames({LinkFile::Program, 2}, ChainOf(ProgramLines(3))));
    // The question's default is No: nothing is written.
    m_seen = PickFromMenu(BackupMsg::RESTORE_ENTRY);
    ASSERT_EQ(m_seen.size(), 2u);
    EXPECT_EQ(m_seen[1].text, Qs(BackupMsg::RESTORE_QUESTION));
    EXPECT_EQ(m_seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_sim->ProgramSize({LinkFile::Program, 2}), 3u);

    m_seen = PickFromMenu(BackupMsg::RESTORE_ENTRY, PressYes);
    ASSERT_EQ(m_seen.size(), 3u) << "the menu, the question, the box at the end";
    EXPECT_EQ(m_seen[2].text, Qs(BackupMsg::RESTORE_DONE));
    EXPECT_EQ(m_sim->ProgramFrames({LinkFile::Program, 2}), program2);
}

// A name typed in the folder dialog for a folder not made yet is taken, and
// the backup creates the folder.
TEST_F(DialogBackup, NewFolderNameTypedIsCreated)
{
    Dialog().SetFolderChooser({});
    const QString parent = QFileInfo(QString::fromStdString(PathOf("x"))).absolutePath();
    const auto typeNewName = [&](QWidget* window) {
        auto* folders = qobject_cast<QFileDialog*>(window);
        if (folders == nullptr) {
            QTest::keyClick(window, Qt::Key_Return);
            return;
        }
        folders->setDirectory(parent);
        auto* name = folders->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(Qs("новая копия"));
        QTest::keyClick(name, Qt::Key_Return);
    };
    m_seen = PickFromMenu(BackupMsg::BACKUP_ENTRY, typeNewName);

    ASSERT_EQ(m_seen.size(), 3u) << "the menu, the folder dialog, the box at the end";
    EXPECT_TRUE(m_seen[1].closed) << "the folder dialog took the name";
    EXPECT_EQ(m_seen[2].text, Qs(BackupMsg::BACKUP_DONE));
    EXPECT_TRUE(std::filesystem::exists(PathOf("новая копия") + "/manifest.txt"));
}

TEST_F(DialogBackup, NoFolderChosenDoesNothing)
{
    m_seen = PickFromMenu(BackupMsg::BACKUP_ENTRY);
    ASSERT_EQ(m_seen.size(), 1u) << "only the menu";
    EXPECT_EQ(m_folderTitles.size(), 1u);
    EXPECT_EQ(RequestSummaries(), std::vector<std::string>{});
}

} // namespace
