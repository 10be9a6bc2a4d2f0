// DialogTest: the main dialog offscreen over a link, its modal windows caught and answered.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "dialog/mfc_vem_sync_dlg.h"

// The link under the dialog: the simulator on a pseudo-terminal of the
// test's own, or on Windows the one the test script puts behind a COM port.
#ifdef _WIN32
#include "tests/windows/simulated_port_test.h"
using DialogTestBase = SimulatedPortTest;
#else
#include "tests/transfer/transfer_harness.h"
using DialogTestBase = TransferTest;
#endif

// A modal window or popup menu as the user saw it before it was answered.
struct SeenModal {
    QString className; // "QMessageBox", "CAboutDlg", "QMenu", ...
    QString title;
    QString text; // a message box's text
    QString informative; // and its informative text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QStringList labels;  // texts of the window's labels
    bool picture = false; // a label shows a picture
    QStringList actions; // a menu's entries
    bool closed = false; // it went away when it was answered
};

// Looks at the modal windows and popup menus that come up while it lives and
// answers them. Each one's Show arms a zero-timer, which fires inside that
// window's own event loop, where QApplication::activeModalWidget() (or
// activePopupWidget()) is the window; nothing is polled and nothing waits.
// A handler that opens nothing leaves `Seen()` empty.
class ModalCatcher : public QObject {
public:
    // How a window is answered; the default presses Enter in a window, as a
    // user would on its default button, and Esc in a menu.
    using Answer = std::function<void(QWidget* modal)>;

    explicit ModalCatcher(Answer answer = {});
    ~ModalCatcher() override;

    const std::vector<SeenModal>& Seen() const { return m_seen; }
    // The texts of the message boxes seen, in order.
    std::vector<std::string> Texts() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AnswerActiveWindow(QWidget* shown);

    Answer m_answer;
    std::vector<SeenModal> m_seen;
};

// Answers a popup menu by picking `entry` (Esc when it has none) and any
// other window with `answerOthers`, by default Enter.
ModalCatcher::Answer PickMenuEntry(const QString& entry, ModalCatcher::Answer answerOthers = {});

// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// What the dialog asked of the replaced file dialog.
struct FileRequest {
    FileDialogKind kind;
    std::string filter;

    friend bool operator==(const FileRequest&, const FileRequest&) = default;
};
void PrintTo(const FileRequest& request, std::ostream* out);

// The main dialog, shown under the offscreen platform, over a link to the
// simulator (or any link the test makes), with the file dialogs answered
// from a queue.
class DialogTest : public DialogTestBase {
protected:
    void TearDown() override;

    // The dialog over the fixture's link to the simulator.
    void OpenDialog();
    // The dialog over a link of the test's own making, which the fixture
    // keeps as long as the dialog.
    void OpenDialogOn(std::unique_ptr<CControllerLink> link);
    CMFCVemSyncDlg& Dialog() { return *m_dialog; }
#ifndef _WIN32
    // Lets go of the simulator's device, which takes one user at a time,
    // so that a link of the test's own can open it.
    void FreeTheDevice();
#endif
    CControllerLink& DialogLink() { return *m_dialogLink; }

    QComboBox* Kind() const { return m_kind; }
    QLineEdit* Number() const { return m_number; }
    QComboBox* Port() const { return m_port; }
    QLabel* Status() const { return m_status; }
    QProgressBar* Progress() const { return m_progress; }
    QPushButton* ReadButton() const { return m_read; }
    QPushButton* WriteButton() const { return m_write; }

    // Picks an entry from the combo's dropped list, as the user does: open
    // the list, move to the entry, press Enter.
    void ChooseFromList(QComboBox* combo, const QString& text);
    void TypeNumber(const QString& keys);
    // Kind and number as the user sets them; the number only where the
    // kind lets it be typed.
    void Choose(const char* kind, const char* number);
    // Clicks the button and, when that started a command, waits for it to
    // end.
    void Click(QPushButton* button);
    // Runs the event loop until the running command (if any) has ended or a
    // deadline has passed; whether it has ended.
    bool WaitForCommand();
    // Opens the context menu and picks `entry`, as the user does, and waits
    // for the command it started; every other window that comes up is
    // answered by `answerOthers` (Enter by default). The windows seen.
    std::vector<SeenModal> PickFromMenu(const char* entry, ModalCatcher::Answer answerOthers = {});

    std::vector<std::optional<std::string>> m_chosen; // answers, in order
    std::vector<FileRequest> m_fileRequests;

private:
    void Open(CControllerLink& link);

    std::unique_ptr<CControllerLink> m_ownLink;
    CControllerLink* m_dialogLink = nullptr;
    std::unique_ptr<CMFCVemSyncDlg> m_dialog;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_number = nullptr;
    QComboBox* m_port = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_read = nullptr;
    QPushButton* m_write = nullptr;
};

QString Qs(const char* utf8);
// Failure messages show a QString as its text.
void PrintTo(const QString& text, std::ostream* out);
// Key presses for each character of `keys`, Cyrillic ones included.
void TypeKeys(QWidget* widget, const QString& keys);
