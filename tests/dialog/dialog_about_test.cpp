// Tests of the ways the About box opens: the context menu, F1 and the system command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

#include "tests/dialog/dialog_harness.h"

namespace {

// String 101, the entry that opens the About box.
const char* const ABOUT_ENTRY = "&About MFCVemSync...";

class AboutBox : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }

    // Checks that `seen` is the About box, answered and gone.
    static void ExpectAboutBox(const SeenModal& seen)
    {
        EXPECT_EQ(seen.className, QStringLiteral("CAboutDlg"));
        EXPECT_EQ(seen.title, QStringLiteral("About MFCVemSync"));
        EXPECT_TRUE(seen.labels.contains(QStringLiteral("MFCVemSync, Version 1.0")))
            << seen.labels.join(QLatin1String(" | ")).toStdString();
        EXPECT_TRUE(seen.picture) << "the About box shows the program's icon";
        EXPECT_TRUE(seen.closed) << "Enter closes the About box";
    }
};

TEST_F(AboutBox, ContextMenuOffersItUnderItsOwnText)
{
    ModalCatcher catcher(PickMenuEntry(Qs(ABOUT_ENTRY)));
    const QPoint inside(Dialog().width() / 2, Dialog().height() - 4);
    QTest::mouseClick(Dialog().windowHandle(), Qt::RightButton, Qt::NoModifier, inside);
    ASSERT_EQ(catcher.Seen().size(), 2u) << "the menu, then the About box";
    EXPECT_EQ(catcher.Seen()[0].className, QStringLiteral("QMenu"));
    EXPECT_EQ(catcher.Seen()[0].actions,
              (QStringList{Qs("Настройка портов…"), Qs("Журнал обмена…"), QString(),
                           Qs("Проверять после записи"), Qs("Сравнить с файлом…"), QString(),
                           Qs("Сохранить всё из контроллера…"), Qs("Восстановить всё в контроллер…"),
                           QString(), Qs(ABOUT_ENTRY)}));
    EXPECT_TRUE(catcher.Seen()[0].closed);
    ExpectAboutBox(catcher.Seen()[1]);
    EXPECT_TRUE(Dialog().isVisible()) << "the main dialog stays";
}

TEST_F(AboutBox, F1OpensIt)
{
    ModalCatcher catcher;
    QTest::keyClick(Dialog().windowHandle(), Qt::Key_F1);
    ASSERT_EQ(catcher.Seen().size(), 1u);
    ExpectAboutBox(catcher.Seen()[0]);
}

struct SysCommandRow {
    const char* name;
    unsigned id;
    bool about;
};

TEST_F(AboutBox, SystemCommandSixteenOpensItWhateverItsLowFourBits)
{
    const SysCommandRow rows[] = {
        {"the About command", 0x0010, true},
        {"low bits set", 0x001F, true},
        {"low bits only", 0x000F, false},
        {"the next command", 0x0020, false},
        {"close", 0xF060, false},
    };
    for (const SysCommandRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ", id " + std::to_string(row.id));
        ModalCatcher catcher;
        Dialog().OnSysCommand(row.id);
        if (row.about) {
            ASSERT_EQ(catcher.Seen().size(), 1u);
            ExpectAboutBox(catcher.Seen()[0]);
        } else {
            EXPECT_TRUE(catcher.Seen().empty());
        }
        EXPECT_TRUE(Dialog().isVisible());
    }
}

} // namespace
