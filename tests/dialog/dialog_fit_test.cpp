// Tests that every text fits its control at each scale CTest runs the dialog with, and that Qt's own texts are Russian.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <QAction>
#include <QDebug>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include "backup/backup_messages.h"
#include "dialog/about_dlg.h"
#include "dialog/trace_window.h"
#include "tests/dialog/dialog_harness.h"

namespace {

// Every text fits its control at the font and scale the test runs with
// (CTest runs it also at 1.5 and 2 times, through QT_SCALE_FACTOR).
class TextFit : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }

    // The texts of a window's labels, buttons and group boxes that do not fit.
    static std::vector<std::string> Clipped(const QWidget& window)
    {
        std::vector<std::string> clipped;
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width())
                clipped.push_back(label->text().toStdString());
        }
        for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            if (button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin > button->width())
                clipped.push_back(button->text().toStdString());
        }
        for (const QGroupBox* group : window.findChildren<QGroupBox*>()) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                               QStyle::SC_GroupBoxLabel, group);
            if (title.right() > group->contentsRect().right())
                clipped.push_back(group->title().toStdString());
        }
        return clipped;
    }
};

TEST_F(TextFit, MainDialogShowsEveryTextWhole)
{
    for (const char* status : {"Открыт", "Не открыт"}) {
        Status()->setText(Qs(status));
        EXPECT_EQ(Clipped(Dialog()), std::vector<std::string>{});
    }
    for (int i = 0; i < Kind()->count(); ++i) {
        const QString kind = Kind()->itemText(i);
        EXPECT_LE(Kind()->fontMetrics().horizontalAdvance(kind), Kind()->lineEdit()->width())
            << kind.toStdString();
    }
    for (int i = 0; i < Port()->count(); ++i) {
        const QString port = Port()->itemText(i);
        EXPECT_LE(Port()->fontMetrics().horizontalAdvance(port), Port()->lineEdit()->width())
            << port.toStdString();
    }
    // The longest things the bar says.
    for (const char* said : {"100/100", "Записано: 16000 байт", "Считано: 500 слов",
                             "Записано и проверено", "Резервная копия сохранена",
                             "Восстановление завершено"}) {
        Progress()->setFormat(Qs(said));
        Progress()->setTextVisible(true);
        EXPECT_LE(Progress()->fontMetrics().horizontalAdvance(Qs(said)), Progress()->width()) << said;
    }
}

TEST_F(TextFit, AboutBoxShowsEveryTextWhole)
{
    CAboutDlg about(&Dialog());
    EXPECT_EQ(Clipped(about), std::vector<std::string>{});
}

// Every window lies within the screen's available area, frame and all.
// CTest runs these on a 1280×800 screen at 1, 1.5 and 2 times.
class WindowFit : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }

    static std::string Where(const QWidget& window)
    {
        QString text;
        QDebug(&text) << window.metaObject()->className() << window.frameGeometry() << "on"
                      << window.screen()->availableGeometry();
        return text.toStdString();
    }
    static bool Inside(const QWidget& window)
    {
        return window.screen()->availableGeometry().contains(window.frameGeometry());
    }

    // Answers every window that comes up after it has been looked at.
    ModalCatcher::Answer LookAndLeave()
    {
        return [this](QWidget* window) {
            m_looked.push_back(Where(*window));
            EXPECT_TRUE(Inside(*window)) << Where(*window);
            QTest::keyClick(window, qobject_cast<QMessageBox*>(window) ? Qt::Key_Return : Qt::Key_Escape);
        };
    }

    std::vector<std::string> m_looked;
};

TEST_F(WindowFit, EveryWindowFitsTheScreen)
{
    EXPECT_TRUE(Inside(Dialog())) << Where(Dialog());
    for (const char* entry : {"Настройка портов…", "&About MFCVemSync...", BackupMsg::BACKUP_ENTRY}) {
        SCOPED_TRACE(entry);
        m_looked.clear();
        PickFromMenu(entry, LookAndLeave());
        EXPECT_EQ(m_looked.size(), 1u);
    }
    Dialog().SetFileChooser({});
    for (QPushButton* button : {ReadButton(), WriteButton()}) {
        SCOPED_TRACE(button->text().toStdString());
        m_looked.clear();
        ModalCatcher catcher(LookAndLeave());
        Click(button);
        EXPECT_EQ(m_looked.size(), 1u) << "the file dialog";
    }
}

TEST_F(WindowFit, TraceWindowOpensBesideTheMainWindow)
{
    for (QAction* action : Dialog().actions())
        if (action->text() == Qs("Журнал обмена…"))
            action->trigger();
    auto* trace = Dialog().findChild<CTraceWindow*>();
    ASSERT_NE(trace, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trace));
    EXPECT_TRUE(Inside(*trace)) << Where(*trace);
    EXPECT_TRUE(Inside(Dialog())) << Where(Dialog());
    EXPECT_FALSE(trace->frameGeometry().intersects(Dialog().frameGeometry()))
        << Where(*trace) << " over " << Where(Dialog());
    // The meaning comes into view before the bytes.
    const auto* tree = trace->findChild<QTreeWidget*>(QStringLiteral("treeTrace"));
    const int meaning = tree->header()->sectionViewportPosition(2);
    EXPECT_LT(meaning, tree->viewport()->width() / 2) << "the meaning begins at " << meaning;
}

struct ButtonTextRow {
    QMessageBox::StandardButton button;
    const char* text;
};

// Qt's own texts come from the catalogue built into the program: a Windows
// machine has no Qt folder to find one in.
TEST(QtTexts, StandardButtonsSpeakRussian)
{
    const ButtonTextRow rows[] = {
        {QMessageBox::Yes, "&Да"},
        {QMessageBox::No, "&Нет"},
        {QMessageBox::Cancel, "Отмена"},
        {QMessageBox::Close, "Закрыть"},
    };
    QMessageBox box(QMessageBox::Question, Qs("MFCVemSync"), Qs("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Close);
    for (const ButtonTextRow& row : rows)
        EXPECT_EQ(box.button(row.button)->text(), Qs(row.text)) << row.text;
}

} // namespace
