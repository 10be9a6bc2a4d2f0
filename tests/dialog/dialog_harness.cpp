// The dialog tests' harness: the dialog over the simulator, modal windows caught and answered.
#include "tests/dialog/dialog_harness.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "tests/support/posix_compat.h"

QString Qs(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const FileRequest& request, std::ostream* out)
{
    *out << (request.kind == FileDialogKind::SaveAs ? "SaveAs " : "Open ") << request.filter;
}

ModalCatcher::ModalCatcher(Answer answer) : m_answer(std::move(answer))
{
    if (!m_answer)
        m_answer = [](QWidget* window) {
            QTest::keyClick(window, qobject_cast<QMenu*>(window) ? Qt::Key_Escape : Qt::Key_Return);
        };
    QApplication::instance()->installEventFilter(this);
}

ModalCatcher::~ModalCatcher()
{
    QApplication::instance()->removeEventFilter(this);
}

bool ModalCatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && (widget->isModal() || widget->windowType() == Qt::Popup))
            QTimer::singleShot(0, this, [this, shown = QPointer<QWidget>(widget)] {
                if (shown)
                    AnswerActiveWindow(shown);
            });
    }
    return false;
}

void ModalCatcher::AnswerActiveWindow(QWidget* shown)
{
    QWidget* window = QApplication::activePopupWidget();
    if (window == nullptr)
        window = QApplication::activeModalWidget();
    // A window closed before any event loop ran (a combo's list picked
    // from by key) is not waiting for an answer.
    if (window != shown || !window->isVisible())
        return;
    SeenModal seen;
    seen.className = QString::fromLatin1(window->metaObject()->className());
    seen.title = window->windowTitle();
    if (const auto* box = qobject_cast<QMessageBox*>(window)) {
        seen.text = box->text();
        seen.informative = box->informativeText();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            seen.labels.push_back(label->text());
        if (!label->pixmap().isNull())
            seen.picture = true;
    }
    if (const auto* menu = qobject_cast<QMenu*>(window)) {
        for (const QAction* action : menu->actions())
            seen.actions.push_back(action->text());
    }

    // Recorded before it is answered, so that windows the answer opens come
    // after it.
    const std::size_t index = m_seen.size();
    m_seen.push_back(seen);
    m_answer(window);
    m_seen[index].closed = !window->isVisible();
    // A window the answer did not close would hold the test for good.
    if (!m_seen[index].closed) {
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->done(QDialog::Rejected);
        else
            window->close();
    }
}

std::vector<std::string> ModalCatcher::Texts() const
{
    std::vector<std::string> texts;
    for (const SeenModal& seen : m_seen)
        if (seen.className == QLatin1String("QMessageBox"))
            texts.push_back(seen.text.toStdString());
    return texts;
}

ModalCatcher::Answer PickMenuEntry(const QString& entry, ModalCatcher::Answer answerOthers)
{
    return [entry, answerOthers](QWidget* window) {
        if (auto* menu = qobject_cast<QMenu*>(window)) {
            for (QAction* action : menu->actions()) {
                if (action->text() == entry) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        if (answerOthers)
            answerOthers(window);
        else
            QTest::keyClick(window, Qt::Key_Return);
    };
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_old = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

void DialogTest::TearDown()
{
    m_dialog.reset();
    m_ownLink.reset();
    DialogTestBase::TearDown();
}

void DialogTest::OpenDialog()
{
    Open(*m_link);
}

void DialogTest::OpenDialogOn(std::unique_ptr<CControllerLink> link)
{
    m_dialog.reset();
    m_ownLink = std::move(link);
    Open(*m_ownLink);
}

#ifndef _WIN32
void DialogTest::FreeTheDevice()
{
    if (m_dialogLink == m_link.get())
        m_dialog.reset();
    m_commands.reset();
    m_link.reset();
}
#endif

void DialogTest::Open(CControllerLink& link)
{
    m_dialog.reset();
    m_dialogLink = &link;
    m_dialog = std::make_unique<CMFCVemSyncDlg>(link, m_info, Buffer());
    m_dialog->SetFileChooser([this](FileDialogKind kind, const std::string& filter) {
        m_fileRequests.push_back({kind, filter});
        std::optional<std::string> answer;
        if (m_fileRequests.size() <= m_chosen.size())
            answer = m_chosen[m_fileRequests.size() - 1];
        return answer;
    });
    m_kind = m_dialog->findChild<QComboBox*>(QStringLiteral("comboKind"));
    m_number = m_dialog->findChild<QLineEdit*>(QStringLiteral("editNumber"));
    m_port = m_dialog->findChild<QComboBox*>(QStringLiteral("comboPort"));
    m_status = m_dialog->findChild<QLabel*>(QStringLiteral("labelStatus"));
    m_progress = m_dialog->findChild<QProgressBar*>(QStringLiteral("progress"));
    m_read = m_dialog->findChild<QPushButton*>(QStringLiteral("buttonRead"));
    m_write = m_dialog->findChild<QPushButton*>(QStringLiteral("buttonWrite"));
    ASSERT_TRUE(m_kind && m_number && m_port && m_status && m_progress && m_read && m_write)
        << "a control of the main dialog is missing";
    // Shown and active, as the program shows it: focus and shortcuts work
    // only in the active window.
    m_dialog->show();
    m_dialog->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), m_dialog.get());
}

void DialogTest::ChooseFromList(QComboBox* combo, const QString& text)
{
    const int row = combo->findText(text, Qt::MatchExactly);
    ASSERT_GE(row, 0) << "no entry " << text.toStdString();
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible()) << "the list of " << combo->objectName().toStdString()
                                   << " did not drop";
    list->setCurrentIndex(combo->model()->index(row, combo->modelColumn()));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(list->isVisible()) << "the list stayed open after " << text.toStdString();
}

void TypeKeys(QWidget* widget, const QString& keys)
{
    for (const QChar key : keys) {
        // Letters beyond Latin-1 have no key of their own in QTest; their
        // key code is the letter's upper-case code point, as Qt gives it.
        const auto code = static_cast<Qt::Key>(key.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, code, QString(key), Qt::NoModifier);
    }
}

void DialogTest::TypeNumber(const QString& keys)
{
    m_number->setFocus();
    TypeKeys(m_number, keys);
}

void DialogTest::Choose(const char* kind, const char* number)
{
    ChooseFromList(m_kind, QString::fromUtf8(kind));
    if (!m_number->isReadOnly()) {
        m_number->clear();
        TypeNumber(QString::fromUtf8(number));
    }
}

void DialogTest::Click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(WaitForCommand()) << "the command did not end";
}

std::vector<SeenModal> DialogTest::PickFromMenu(const char* entry, ModalCatcher::Answer answerOthers)
{
    ModalCatcher catcher(PickMenuEntry(QString::fromUtf8(entry), std::move(answerOthers)));
    const QPoint inside(m_dialog->width() / 2, m_dialog->height() - 4);
    QTest::mouseClick(m_dialog->windowHandle(), Qt::RightButton, Qt::NoModifier, inside);
    EXPECT_TRUE(WaitForCommand()) << "the command did not end";
    return catcher.Seen();
}

bool DialogTest::WaitForCommand()
{
    // Far beyond the longest transfer of a test, even on a loaded machine.
    constexpr int DEADLINE_MS = 120000;
    if (!m_dialog->IsBusy())
        return true;
    QEventLoop loop;
    QObject::connect(m_dialog.get(), &CMFCVemSyncDlg::CommandFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(DEADLINE_MS, &loop, &QEventLoop::quit);
    loop.exec();
    return !m_dialog->IsBusy();
}
