// Tests of the ways the About box opens: the context menu, F1 and the system command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>

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

// Nothing on the window shows the context menu, so the window says where it
// is: every spot without a tooltip of its own names the right button, and
// Shift+F10 opens it too (the menu key does by itself where the platform
// gives it, not under the offscreen platform).
TEST_F(AboutBox, TheContextMenuIsFoundWithoutKnowingOfIt)
{
    const QString hint = Qs("Правая кнопка мыши");
    for (QWidget* spot : {static_cast<QWidget*>(ReadButton()), static_cast<QWidget*>(Progress()),
                          static_cast<QWidget*>(&Dialog())}) {
        SCOPED_TRACE(spot->objectName().toStdString());
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), spot->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(spot, &help);
        EXPECT_TRUE(QToolTip::isVisible());
        EXPECT_TRUE(QToolTip::text().contains(hint)) << QToolTip::text().toStdString();
        QToolTip::hideText();
    }

    ModalCatcher catcher;
    QTest::keyClick(Dialog().windowHandle(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(catcher.Seen().size(), 1u);
    EXPECT_EQ(catcher.Seen()[0].className, QStringLiteral("QMenu"));
    EXPECT_EQ(catcher.Seen()[0].actions.size(), 10);
}

} // namespace
