// Tests of the dialog's keys: Enter, Esc and Space, and the typed port name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "tests/dialog/dialog_harness.h"

namespace {

const char* const TOO_LONG_PORT = "Enter no more than 5 characters.";
const char* const PORT_CLOSED = "Перед началом работы выбирете свободный COM порт!";

class DialogKeys : public DialogTest {
protected:
    void SetUp() override { Start(); }

    // The port's edit field as the user leaves it after typing.
    void TypePort(const char* text)
    {
        Port()->setFocus();
        Port()->lineEdit()->selectAll();
        TypeKeys(Port(), Qs(text));
        ASSERT_EQ(Port()->currentText(), Qs(text));
    }

    static void ExpectWarningBox(const SeenModal& seen)
    {
        EXPECT_EQ(seen.className, QStringLiteral("QMessageBox"));
        EXPECT_EQ(seen.title, QStringLiteral("MFCVemSync"));
        EXPECT_EQ(seen.icon, QMessageBox::Warning);
        EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_TRUE(seen.closed);
    }
};

struct KeyRow {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* port; // typed into the port field first; nullptr: left as it is
    bool inPort;      // the key goes to the port field, not to the number field
    bool closes;      // the key itself closes the dialog
    int result;
    std::vector<std::string> warnings;
};

// The dialog runs modally, as the program runs it; the key goes to the
// number field with "7" typed in it, or to the port field. A port name left
// for the number field has gone back to the port in use by then.
TEST_F(DialogKeys, EnterClosesAfterAFetchAndEscWithout)
{
    const KeyRow rows[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, nullptr, false, true, QDialog::Accepted, {}},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, nullptr, false, true, QDialog::Accepted, {}},
        {"Esc", Qt::Key_Escape, Qt::NoModifier, nullptr, false, true, QDialog::Rejected, {}},
        {"Esc with an overlong port, no fetch", Qt::Key_Escape, Qt::NoModifier, "COM123", true, true,
         QDialog::Rejected, {}},
        {"Enter on a five-character port", Qt::Key_Return, Qt::NoModifier, "COM10", true, true,
         QDialog::Accepted, {}},
        {"Enter on an overlong port stays open", Qt::Key_Return, Qt::NoModifier, "COM123", true, false,
         QDialog::Rejected, {TOO_LONG_PORT}},
        {"Enter after an overlong port was left", Qt::Key_Return, Qt::NoModifier, "COM123", false, true,
         QDialog::Accepted, {}},
    };
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        OpenDialog();
        ChooseFromList(Kind(), Qs("Программа"));
        Dialog().hide();

        QWidget* focusAfterWarning = nullptr;
        ModalCatcher catcher([&](QWidget* window) {
            if (window != &Dialog()) {
                QTest::keyClick(window, Qt::Key_Return);
                return;
            }
            // Active, as the user's window is, so that the focus moves.
            Dialog().activateWindow();
            QApplication::processEvents();
            ASSERT_EQ(QApplication::activeWindow(), &Dialog());
            if (row.port)
                TypePort(row.port);
            if (row.inPort) {
                QTest::keyClick(Port(), row.key, row.modifiers);
            } else {
                TypeNumber(QStringLiteral("7"));
                QTest::keyClick(Number(), row.key, row.modifiers);
            }
            focusAfterWarning = Dialog().focusWidget();
        });
        const int result = Dialog().exec();

        EXPECT_EQ(result, row.result);
        EXPECT_EQ(catcher.Texts(), row.warnings);
        ASSERT_GE(catcher.Seen().size(), 1u);
        EXPECT_EQ(catcher.Seen()[0].className, QStringLiteral("CMFCVemSyncDlg"));
        EXPECT_EQ(catcher.Seen()[0].closed, row.closes);
        for (std::size_t i = 1; i < catcher.Seen().size(); ++i)
            ExpectWarningBox(catcher.Seen()[i]);
        if (!row.warnings.empty()) {
            EXPECT_TRUE(focusAfterWarning == Port() || focusAfterWarning == Port()->lineEdit())
                << "the focus goes to the field that was refused";
        }
    }
}

struct FetchRow {
    const char* name;
    bool portOpen;
    bool read; // Read, else Write
    std::vector<std::string> warnings;
    bool fileAsked;
};

// A port name typed and not chosen from the list is dropped when a command
// starts: the field shows the port in use again and the command goes over
// that port without a word about the typed text.
TEST_F(DialogKeys, TypedPortGoesBackToThePortInUseWhenACommandStarts)
{
    const FetchRow rows[] = {
        {"Read, port open", true, true, {}, true},
        {"Write, port open", true, false, {}, true},
        {"Read, port closed", false, true, {PORT_CLOSED}, false},
        {"Write, port closed", false, false, {PORT_CLOSED}, false},
    };
    for (const FetchRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.portOpen)
            OpenDialog();
        else
            OpenDialogOn(std::make_unique<CControllerLink>(
                CControllerLink::REOPEN_BAUD_RATE, PathOf("absent-port").c_str(), PATIENT_TIMEOUT_MS));
        TypePort("COM123");
        m_fileRequests.clear();
        m_chosen = {std::nullopt}; // the file dialog is cancelled

        ModalCatcher catcher;
        Click(row.read ? ReadButton() : WriteButton());

        EXPECT_EQ(Port()->currentText(), QStringLiteral("COM1"));
        EXPECT_EQ(catcher.Texts(), row.warnings);
        for (const SeenModal& seen : catcher.Seen())
            ExpectWarningBox(seen);
        EXPECT_EQ(m_fileRequests.size(), row.fileAsked ? 1u : 0u);
        EXPECT_TRUE(Dialog().isVisible());
    }
    EXPECT_TRUE(Requests().empty()) << "nothing reaches the controller";
}

struct ButtonKeyRow {
    const char* name;
    bool read;
    Qt::Key key;
    FileDialogKind asked;
};

// As anywhere in the desktop, a key on the button that has the focus
// presses that button; Enter there is not the dialog's OK.
TEST_F(DialogKeys, EnterOrSpaceOnAFocusedButtonPressesIt)
{
    const ButtonKeyRow rows[] = {
        {"Enter on Read", true, Qt::Key_Return, FileDialogKind::SaveAs},
        {"Space on Read", true, Qt::Key_Space, FileDialogKind::SaveAs},
        {"Enter on Write", false, Qt::Key_Return, FileDialogKind::Open},
        {"Space on Write", false, Qt::Key_Space, FileDialogKind::Open},
    };
    OpenDialog();
    for (const ButtonKeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        QPushButton* button = row.read ? ReadButton() : WriteButton();
        button->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), button);
        m_fileRequests.clear();
        m_chosen = {std::nullopt};
        ModalCatcher catcher;
        QTest::keyClick(button, row.key);
        ASSERT_TRUE(WaitForCommand());
        ASSERT_EQ(m_fileRequests.size(), 1u) << "the command ran";
        EXPECT_EQ(m_fileRequests[0].kind, row.asked);
        EXPECT_TRUE(catcher.Seen().empty());
        EXPECT_TRUE(Dialog().isVisible()) << "the dialog stays";
    }
}

} // namespace
