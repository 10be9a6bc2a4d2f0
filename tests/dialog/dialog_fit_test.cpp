// Tests that every text fits its control, at each scale CTest runs the dialog with.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "dialog/about_dlg.h"
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
    for (const char* said : {"100/100", "Записано: 16000 байт", "Считано: 500 слов"}) {
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

} // namespace
