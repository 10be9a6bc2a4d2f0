#include "app/mfc_vem_sync_dlg.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpressionValidator>

#include "app/about_dlg.h"
#include "app/app_resources.h"
#include "app/backup_messages.h"
#include "app/messages.h"
#include "link/controller_link.h"
#include "ui_mfc_vem_sync_dlg.h"

namespace {

constexpr int NUMBER_LIMIT = 2;
constexpr int PORT_LIMIT = 5;
constexpr int PORT_COUNT = 10;

const char* const KIND_PROGRAM = "Программа";
const char* const KIND_SUBPROGRAM = "Подпрограмма";
const char* const KIND_PARAMETERS = "Параметры";
const char* const STATUS_OPEN = "Открыт";
const char* const STATUS_CLOSED = "Не открыт";

} // namespace

CMFCVemSyncDlg::CMFCVemSyncDlg(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                               QWidget* parent)
    : QDialog(parent),
      m_form(std::make_unique<Ui::CMFCVemSyncDlg>()),
      m_link(link),
      m_commands(link, info, buffer, *this),
      m_backup(link, info, buffer, *this),
      m_strPort(QStringLiteral("COM1"))
{
    if (m_link.IsOpen())
        m_strStatus = QString::fromUtf8(STATUS_OPEN);
    m_hIcon = AppIcon();
    m_aboutText = AboutMenuText();

    m_form->setupUi(this);
    m_comboKind = m_form->comboKind;
    m_editNumber = m_form->editNumber;
    m_comboPort = m_form->comboPort;
    m_progress = m_form->progress;
    setFixedSize(size());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    connect(m_comboKind, &QComboBox::activated, this, [this] { OnKindSelChange(); });
    connect(m_comboPort, &QComboBox::activated, this, &CMFCVemSyncDlg::OnPortSelChange);
    // Only a choice from the list opens a port. Left to itself, the combo
    // would also take a typed name that matches an entry as a choice when
    // the field is left, and open that port.
    disconnect(m_comboPort->lineEdit(), &QLineEdit::editingFinished, m_comboPort, nullptr);
    connect(m_form->buttonRead, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnReadClicked);
    connect(m_form->buttonWrite, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnWriteClicked);

    auto* backup = new QAction(QString::fromUtf8(BackupMsg::BACKUP_ENTRY), this);
    connect(backup, &QAction::triggered, this, &CMFCVemSyncDlg::OnBackupAll);
    addAction(backup);
    auto* restore = new QAction(QString::fromUtf8(BackupMsg::RESTORE_ENTRY), this);
    connect(restore, &QAction::triggered, this, &CMFCVemSyncDlg::OnRestoreAll);
    addAction(restore);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);

    auto* about = new QAction(m_aboutText, this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    addAction(about);

    OnInitDialog();
}

CMFCVemSyncDlg::~CMFCVemSyncDlg() = default;

void CMFCVemSyncDlg::OnInitDialog()
{
    // The kind list is sorted: Параметры, Подпрограмма, Программа.
    for (const char* kind : {KIND_PROGRAM, KIND_SUBPROGRAM, KIND_PARAMETERS})
        m_comboKind->addItem(QString::fromUtf8(kind));
    m_comboKind->model()->sort(0);
    for (int i = 1; i <= PORT_COUNT; ++i)
        m_comboPort->addItem(QStringLiteral("COM%1").arg(i));
    m_editNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    UpdateData(false);

    setWindowIcon(m_hIcon);
    m_comboKind->setCurrentIndex(m_comboKind->findText(QString::fromUtf8(KIND_PARAMETERS)));
}

std::optional<DataKind> CMFCVemSyncDlg::SelectedKind() const
{
    const QString text = m_comboKind->itemText(m_comboKind->currentIndex());
    if (text == QString::fromUtf8(KIND_PARAMETERS))
        return DataKind::Parameters;
    if (text == QString::fromUtf8(KIND_SUBPROGRAM))
        return DataKind::Subprogram;
    if (text == QString::fromUtf8(KIND_PROGRAM))
        return DataKind::Program;
    return std::nullopt;
}

bool CMFCVemSyncDlg::UpdateData(bool fetch)
{
    if (!fetch) {
        m_editNumber->setText(m_strNumber);
        m_editNumber->setMaxLength(NUMBER_LIMIT);
        const int item = m_comboPort->findText(m_strPort, Qt::MatchStartsWith);
        if (item >= 0)
            m_comboPort->setCurrentIndex(item);
        else
            m_comboPort->setEditText(m_strPort);
        m_form->labelStatus->setText(m_strStatus);
        return true;
    }

    const auto tooLong = [this](QWidget* control, int limit) {
        QMessageBox::warning(this, QStringLiteral("MFCVemSync"),
                             QStringLiteral("Enter no more than %1 characters.").arg(limit));
        control->setFocus();
        return false;
    };
    const QString number = m_editNumber->text();
    if (number.size() > NUMBER_LIMIT)
        return tooLong(m_editNumber, NUMBER_LIMIT);
    m_strNumber = number;
    const QString port = m_comboPort->currentText();
    if (port.size() > PORT_LIMIT)
        return tooLong(m_comboPort, PORT_LIMIT);
    m_strPort = port;
    m_strStatus = m_form->labelStatus->text();
    return true;
}

void CMFCVemSyncDlg::OnKindSelChange()
{
    if (SelectedKind() != DataKind::Parameters) {
        m_editNumber->setReadOnly(false);
        return;
    }
    m_editNumber->setReadOnly(true);
    m_strNumber.clear();
    UpdateData(false);
}

void CMFCVemSyncDlg::OnPortSelChange(int index)
{
    if (index < 0)
        return;
    UpdateData(true);
    m_strPort = m_comboPort->itemText(index);
    // The port open before is closed in any case, also when the new one
    // cannot be opened.
    const bool open = m_link.Reopen(m_strPort.toUtf8().constData());
    m_strStatus = QString::fromUtf8(open ? STATUS_OPEN : STATUS_CLOSED);
    UpdateData(false);
}

void CMFCVemSyncDlg::OnReadClicked()
{
    UpdateData(true);
    const std::optional<DataKind> kind = SelectedKind();
    if (!kind)
        return;
    m_commands.Read(*kind, m_strNumber.toStdString());
}

void CMFCVemSyncDlg::OnWriteClicked()
{
    if (m_link.IsOpen())
        UpdateData(true);
    const std::optional<DataKind> kind = SelectedKind();
    if (!kind)
        return;
    m_commands.Write(*kind, m_strNumber.toStdString());
}

void CMFCVemSyncDlg::OnBackupAll()
{
    if (!m_link.IsOpen()) {
        ShowWarning(Msg::PORT_CLOSED);
        return;
    }
    if (const std::optional<std::string> folder = ChooseFolder(BackupMsg::BACKUP_ENTRY))
        m_backup.Backup(*folder);
}

void CMFCVemSyncDlg::OnRestoreAll()
{
    if (!m_link.IsOpen()) {
        ShowWarning(Msg::PORT_CLOSED);
        return;
    }
    RestoreOptions options;
    options.confirm = true;
    if (const std::optional<std::string> folder = ChooseFolder(BackupMsg::RESTORE_ENTRY))
        m_backup.Restore(*folder, options);
}

void CMFCVemSyncDlg::OnOK()
{
    if (UpdateData(true))
        accept();
}

void CMFCVemSyncDlg::OnSysCommand(unsigned id)
{
    constexpr unsigned COMMAND_MASK = 0xFFF0;
    if ((id & COMMAND_MASK) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CMFCVemSyncDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            OnOK();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CMFCVemSyncDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The window manager's system menu cannot be extended here, so the About
    // box is offered where the user looks for the window's own menu.
    QMenu menu(this);
    menu.addActions(actions());
    menu.exec(event->globalPos());
}

std::optional<std::string> CMFCVemSyncDlg::ChooseFile(FileDialogKind kind, const std::string& filter)
{
    if (m_fileChooser)
        return m_fileChooser(kind, filter);
    const QString qtFilter = QString::fromStdString(filter);
    const QString path = kind == FileDialogKind::SaveAs
                             ? QFileDialog::getSaveFileName(this, QString(), QString(), qtFilter)
                             : QFileDialog::getOpenFileName(this, QString(), QString(), qtFilter);
    if (path.isEmpty())
        return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> CMFCVemSyncDlg::ChooseFolder(const char* title)
{
    if (m_folderChooser)
        return m_folderChooser(title);
    const QString path = QFileDialog::getExistingDirectory(this, QString::fromUtf8(title));
    if (path.isEmpty())
        return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

void CMFCVemSyncDlg::ShowWarning(const std::string& text, const std::string& detail)
{
    if (detail.empty()) {
        QMessageBox::warning(this, QStringLiteral("MFCVemSync"), QString::fromStdString(text));
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("MFCVemSync"), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

void CMFCVemSyncDlg::ShowInformation(const std::string& text, const std::string& detail)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("MFCVemSync"),
                    QString::fromStdString(text), QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

bool CMFCVemSyncDlg::AskYesNo(const std::string& question, const std::string& detail)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("MFCVemSync"),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No, this);
    box.setInformativeText(QString::fromStdString(detail));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void CMFCVemSyncDlg::SetProgressRange(int low, int high)
{
    // An empty range would make the bar a busy indicator; it must stay an
    // empty bar.
    m_progress->setRange(low, high > low ? high : low + 1);
    m_progress->setValue(low);
    m_progress->repaint();
}

void CMFCVemSyncDlg::SetProgressPos(int pos)
{
    m_progress->setValue(pos);
    // The transfer holds the event loop; paint the new position now.
    m_progress->repaint();
}
