// Tests of the dialog's layout, tab order and starting state, and the number field.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QTest>

#include <cmath>

#include "tests/dialog/dialog_harness.h"

namespace {

// The layout is drawn in dialog units of the 8-point dialog font.
constexpr double PX_PER_UNIT_ACROSS = 1.5;
constexpr double PX_PER_UNIT_DOWN = 1.625;

int Across(int units)
{
    return static_cast<int>(std::lround(units * PX_PER_UNIT_ACROSS));
}

int Down(int units)
{
    return static_cast<int>(std::lround(units * PX_PER_UNIT_DOWN));
}

class DialogState : public DialogTest {
protected:
    void SetUp() override
    {
        Start();
        OpenDialog();
    }
};

TEST_F(DialogState, WindowIsAFixedSizeDialogWithTheProgramsCaption)
{
    constexpr int WIDTH_UNITS = 139;
    constexpr int HEIGHT_UNITS = 114;
    const QSize size(Across(WIDTH_UNITS), Down(HEIGHT_UNITS));
    EXPECT_EQ(Dialog().windowTitle(), QStringLiteral("MFCVemSync"));
    EXPECT_EQ(Dialog().size(), size);
    EXPECT_EQ(Dialog().minimumSize(), size);
    EXPECT_EQ(Dialog().maximumSize(), size);
    const Qt::WindowFlags flags = Dialog().windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Dialog().parentWidget(), nullptr) << "a window of its own";
    EXPECT_FALSE(Dialog().windowIcon().pixmap(32, 32).isNull()) << "the program's icon";
}

struct ControlRow {
    const char* name; // object name in the form
    int x, y, width, height; // dialog units
    const char* text;         // nullptr: the control shows no fixed text
    bool dropList;            // a combo: the height is that of its dropped list
};

TEST_F(DialogState, ControlsStandWhereTheLayoutPutsThem)
{
    const ControlRow rows[] = {
        {"comboKind", 7, 16, 79, 56, nullptr, true},
        {"editNumber", 111, 15, 21, 14, nullptr, false},
        {"buttonRead", 6, 37, 60, 14, "Считать", false},
        {"buttonWrite", 77, 37, 55, 14, "Записать", false},
        {"progress", 7, 55, 125, 10, nullptr, false},
        {"groupPort", 7, 76, 125, 30, "Выбор COM порта", false},
        // Narrower than first drawn, so that the status line fits whole.
        {"comboPort", 10, 87, 45, 104, nullptr, true},
        {"labelStatusCaption", 59, 89, 29, 8, "Статус:", false},
        {"labelStatus", 89, 89, 42, 8, nullptr, false},
    };
    for (const ControlRow& row : rows) {
        SCOPED_TRACE(row.name);
        const auto* control = Dialog().findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(control, nullptr);
        const QRect at = control->geometry();
        EXPECT_EQ(at.x(), Across(row.x));
        EXPECT_EQ(at.y(), Down(row.y));
        EXPECT_EQ(at.width(), Across(row.width));
        if (row.dropList) {
            // Closed, the combo is one line high and fits inside the area
            // its list drops into; the list shows every entry at once.
            const auto* combo = qobject_cast<const QComboBox*>(control);
            ASSERT_NE(combo, nullptr);
            EXPECT_LE(at.height(), Down(row.height));
            EXPECT_GE(at.height(), combo->fontMetrics().height());
            EXPECT_GE(combo->maxVisibleItems(), combo->count());
        } else {
            EXPECT_EQ(at.height(), Down(row.height));
        }
        if (row.text == nullptr)
            continue;
        QString text;
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            text = button->text();
        else if (const auto* group = qobject_cast<const QGroupBox*>(control))
            text = group->title();
        else if (const auto* label = qobject_cast<const QLabel*>(control))
            text = label->text();
        EXPECT_EQ(text, Qs(row.text));
    }
}

TEST_F(DialogState, TabOrderFollowsTheLayout)
{
    const QWidget* expected[] = {Kind(), Number(), ReadButton(), WriteButton(), Port()};
    std::vector<std::string> order;
    QWidget* widget = Kind();
    for (std::size_t stops = 0; stops < std::size(expected); ++stops) {
        order.push_back(widget->objectName().toStdString());
        // Skip what takes no focus of its own, such as a combo's edit field.
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy() != nullptr ||
               !widget->isVisible());
    }
    std::vector<std::string> wanted;
    for (const QWidget* w : expected)
        wanted.push_back(w->objectName().toStdString());
    EXPECT_EQ(order, wanted);
}

TEST_F(DialogState, StartsWithParametersAnEmptyReadOnlyNumberAndCom1)
{
    ASSERT_EQ(Kind()->count(), 3);
    EXPECT_EQ(Kind()->itemText(0), Qs("Параметры"));
    EXPECT_EQ(Kind()->itemText(1), Qs("Подпрограмма"));
    EXPECT_EQ(Kind()->itemText(2), Qs("Программа"));
    EXPECT_EQ(Kind()->currentText(), Qs("Параметры"));

    EXPECT_TRUE(Number()->text().isEmpty());
    EXPECT_TRUE(Number()->isReadOnly());
    EXPECT_EQ(Number()->maxLength(), 2);

    ASSERT_EQ(Port()->count(), 10);
    for (int i = 0; i < Port()->count(); ++i)
        EXPECT_EQ(Port()->itemText(i), QStringLiteral("COM%1").arg(i + 1)) << "entry " << i;
    EXPECT_EQ(Port()->currentText(), QStringLiteral("COM1"));
    EXPECT_TRUE(Port()->isEditable());

    EXPECT_EQ(Progress()->minimum(), 0);
    EXPECT_EQ(Progress()->maximum(), 100);
    EXPECT_EQ(Progress()->value(), 0);

    for (const QWidget* control : Dialog().findChildren<QWidget*>())
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString() << " is disabled";
}

struct StatusRow {
    const char* name;
    bool portOpen;
    const char* status;
};

TEST_F(DialogState, StatusSaysOpenOnlyWhenThePortOpenedAtStart)
{
    const StatusRow rows[] = {
        {"port opened", true, "Открыт"},
        {"port absent", false, ""},
    };
    for (const StatusRow& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string port = row.portOpen ? m_sim->SlavePath() : PathOf("absent-port");
        if (row.portOpen)
            FreeTheDevice();
        OpenDialogOn(std::make_unique<CControllerLink>(CControllerLink::REOPEN_BAUD_RATE,
                                                        port.c_str(), PATIENT_TIMEOUT_MS));
        ASSERT_EQ(DialogLink().IsOpen(), row.portOpen);
        EXPECT_EQ(Status()->text(), Qs(row.status)) << "the form's placeholder is never seen";
        EXPECT_EQ(Port()->currentText(), QStringLiteral("COM1"));
    }
}

struct KindStep {
    const char* choose;
    const char* type; // keys typed into the number field afterwards
    bool readOnly;
    const char* number; // the number field's text after both
};

TEST_F(DialogState, KindDecidesWhetherTheNumberCanBeTyped)
{
    const KindStep steps[] = {
        {"Параметры", "5", true, ""},
        {"Программа", "12", false, "12"},
        {"Подпрограмма", "", false, "12"},
        {"Программа", "", false, "12"},
        {"Параметры", "", true, ""},
        {"Подпрограмма", "7", false, "7"},
        {"Параметры", "", true, ""},
        {"Параметры", "3", true, ""},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const KindStep& step = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + ": " + step.choose + ", then \"" + step.type + "\"");
        ChooseFromList(Kind(), Qs(step.choose));
        TypeNumber(Qs(step.type));
        EXPECT_EQ(Kind()->currentText(), Qs(step.choose));
        EXPECT_EQ(Number()->isReadOnly(), step.readOnly);
        EXPECT_EQ(Number()->text(), Qs(step.number));
    }
}

struct TypingRow {
    const char* name;
    const char* keys;
    const char* number;
};

TEST_F(DialogState, NumberTakesAtMostTwoDigits)
{
    const TypingRow rows[] = {
        {"one digit", "7", "7"},
        {"two digits", "20", "20"},
        {"third digit refused", "123", "12"},
        {"letters refused", "a1b", "1"},
        {"cyrillic refused", "з4ж5", "45"},
        {"sign and point refused", "-1.5", "15"},
        {"space refused", " 9 ", "9"},
    };
    ChooseFromList(Kind(), Qs("Программа"));
    for (const TypingRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + ": \"" + row.keys + "\"");
        Number()->clear();
        TypeNumber(Qs(row.keys));
        EXPECT_EQ(Number()->text(), Qs(row.number));
    }
}

} // namespace
