// CMFCVemSyncDlg: the main window's controls, its commands on a worker, their messages.
#include "dialog/mfc_vem_sync_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QStandardPaths>

#include "dialog/about_dlg.h"
#include "dialog/app_resources.h"
#include "backup/backup_messages.h"
#include "dialog/device_watch.h"
#include "transfer/messages.h"
#include "dialog/port_setup_dlg.h"
#include "dialog/trace_window.h"
#include "transfer/transfer_rules.h"
#include "transfer/transfer_summary.h"
#include "link/controller_link.h"
#include "link/port_map.h"
#include "link/port_open_cause.h"
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
const char* const BUSY = "Идёт обмен с контроллером.";
const char* const BUSY_DETAIL = "Окно можно закрыть, когда обмен закончится.";

// The block count while a transfer moves.
const char* const BLOCK_COUNT = "%v/%m";

// What the user does to a window; none of it reaches the dialog while a
// command runs.
bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// The extension of a filter's first pattern, "prgVem730" for
// "Программы Вем-730 (*.prgVem730);;All Files (*)".
// A chosen path as the file layer takes it: UTF-8 on Windows (encodeName
// would give the ANSI code page there), the local 8-bit encoding elsewhere.
std::string FileLayerPath(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString FirstSuffixOf(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.([^)\s;]+)\))"));
    return pattern.match(filter).captured(1);
}

const char* const MENU_VERIFY = "Проверять после записи";
// Before Read replaces a file, about the file it will really write.
const char* const REPLACE_QUESTION = "%1 уже существует.\nЗаменить его?";
const char* const MENU_COMPARE = "Сравнить с файлом…";
// Whether every write is read back, kept between runs in
// ~/.config/MFCVemSync/MFCVemSync.conf.
const char* const SETTINGS_NAME = "MFCVemSync";
const char* const VERIFY_SETTING = "verifyAfterWrite";

QVariant Setting(const char* key, const QVariant& otherwise)
{
    return QSettings(QString::fromUtf8(SETTINGS_NAME), QString::fromUtf8(SETTINGS_NAME))
        .value(QString::fromUtf8(key), otherwise);
}

void KeepSetting(const char* key, const QVariant& value)
{
    QSettings(QString::fromUtf8(SETTINGS_NAME), QString::fromUtf8(SETTINGS_NAME))
        .setValue(QString::fromUtf8(key), value);
}

} // namespace

CMFCVemSyncDlg::CMFCVemSyncDlg(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                               QWidget* parent)
    : QDialog(parent),
      m_form(std::make_unique<Ui::CMFCVemSyncDlg>()),
      m_link(link),
      m_workerUi(*this, [this] { FinishCommand(); }),
      m_commands(link, info, buffer, m_workerUi),
      m_backup(link, info, buffer, m_workerUi),
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
    // The combo takes the focus for its edit field.
    m_comboPort->installEventFilter(this);
    connect(m_form->buttonRead, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnReadClicked);
    connect(m_form->buttonWrite, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnWriteClicked);

    // The context menu: the port tools, the checks, the whole-controller
    // jobs, then About.
    const auto addSeparator = [this] {
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        addAction(separator);
    };
    AddPortTools();
    addSeparator();
    AddCheckActions();
    addSeparator();
    auto* backup = new QAction(QString::fromUtf8(BackupMsg::BACKUP_ENTRY), this);
    connect(backup, &QAction::triggered, this, &CMFCVemSyncDlg::OnBackupAll);
    addAction(backup);
    auto* restore = new QAction(QString::fromUtf8(BackupMsg::RESTORE_ENTRY), this);
    connect(restore, &QAction::triggered, this, &CMFCVemSyncDlg::OnRestoreAll);
    addAction(restore);
    addSeparator();

    auto* about = new QAction(m_aboutText, this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    addAction(about);

    OnInitDialog();
    ShowPortDetails();
}

CMFCVemSyncDlg::~CMFCVemSyncDlg()
{
    // The worker may still wait for an answer from this thread.
    if (m_busy) {
        QEventLoop loop;
        connect(this, &CMFCVemSyncDlg::CommandFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // The link outlives the dialog; it must not call into the feed after it.
    delete m_traceWindow;
    m_link.SetObserver(nullptr);
}

void CMFCVemSyncDlg::AddCheckActions()
{
    auto* verify = new QAction(QString::fromUtf8(MENU_VERIFY), this);
    verify->setCheckable(true);
    verify->setChecked(Setting(VERIFY_SETTING, false).toBool());
    m_commands.SetVerifyAfterWrite(verify->isChecked());
    connect(verify, &QAction::toggled, this, &CMFCVemSyncDlg::OnVerifyToggled);
    addAction(verify);

    auto* compare = new QAction(QString::fromUtf8(MENU_COMPARE), this);
    connect(compare, &QAction::triggered, this, &CMFCVemSyncDlg::OnCompare);
    addAction(compare);
}

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
        ShowPortInUse();
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

void CMFCVemSyncDlg::ShowPortInUse()
{
    const int item = m_comboPort->findText(m_strPort, Qt::MatchStartsWith);
    if (item >= 0)
        m_comboPort->setCurrentIndex(item);
    else
        m_comboPort->setEditText(m_strPort);
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
    if (index < 0 || m_busy)
        return;
    UpdateData(true);
    m_strPort = m_comboPort->itemText(index);
    // The port open before is closed in any case, also when the new one
    // cannot be opened.
    const bool open = m_link.Reopen(m_strPort.toUtf8().constData());
    m_strStatus = QString::fromUtf8(open ? STATUS_OPEN : STATUS_CLOSED);
    UpdateData(false);
    ShowPortDetails();
}

namespace {

std::string SummaryOf(CommandResult result, const CTransferCommands& commands)
{
    const std::optional<TransferAmount> amount = commands.LastAmount();
    return result == CommandResult::Done && amount ? TransferSummary(*amount) : std::string();
}

} // namespace

void CMFCVemSyncDlg::OnReadClicked()
{
    // Read fetches the controls even with the port closed; the others only
    // with it open.
    RunOnSelection(true, FileDialogKind::SaveAs,
                   [this](DataKind kind, const std::string& number, const std::string& file) {
                       return SummaryOf(m_commands.Read(kind, number, file), m_commands);
                   });
}

void CMFCVemSyncDlg::OnWriteClicked()
{
    RunOnSelection(false, FileDialogKind::Open,
                   [this](DataKind kind, const std::string& number, const std::string& file) {
                       return SummaryOf(m_commands.Write(kind, number, file), m_commands);
                   });
}

void CMFCVemSyncDlg::RunOnSelection(bool fetchWhenClosed, FileDialogKind fileKind,
                                    SelectionCommand command)
{
    if (m_busy)
        return;
    ShowPortInUse();
    if (fetchWhenClosed || m_link.IsOpen())
        UpdateData(true);
    const std::optional<DataKind> kind = SelectedKind();
    if (!kind)
        return;
    // The port first, then the file, then the controller: a closed port is
    // said before any file dialog opens.
    std::string file;
    if (m_link.IsOpen()) {
        const char* filter = *kind == DataKind::Parameters ? Msg::PARAMETER_FILTER : Msg::PROGRAM_FILTER;
        const std::optional<std::string> chosen = ChooseFile(fileKind, filter);
        if (!chosen)
            return;
        file = *chosen;
    }
    RunCommand([command = std::move(command), kind = *kind, number = m_strNumber.toStdString(),
                file = std::move(file)](ITransferUi&) { return command(kind, number, file); });
}

bool CMFCVemSyncDlg::RunCommand(Command command)
{
    if (m_busy)
        return false;
    m_busy = true;
    for (QAction* action : actions())
        action->setEnabled(false);
    // Every window's input passes here first; what is meant for this one is
    // dropped until the command ends.
    qApp->installEventFilter(this);
    m_progress->setTextVisible(false);
    m_summary.clear();
    m_worker = std::thread([this, command = std::move(command)] {
        m_summary = command(m_workerUi);
        m_workerUi.Finish();
    });
    return true;
}

void CMFCVemSyncDlg::FinishCommand()
{
    m_worker.join();
    qApp->removeEventFilter(this);
    for (QAction* action : actions())
        action->setEnabled(true);
    if (!m_summary.empty()) {
        m_progress->setFormat(QString::fromStdString(m_summary));
        m_progress->setTextVisible(true);
        m_progress->repaint();
    }
    m_busy = false;
    Q_EMIT CommandFinished();
}

bool CMFCVemSyncDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (m_busy && watched->isWidgetType() && IsInput(event->type()) &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    if (watched == m_comboPort && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        ShowPortInUse();
    return QDialog::eventFilter(watched, event);
}

void CMFCVemSyncDlg::done(int result)
{
    // Neither Enter, Esc nor the close button ends the program in the
    // middle of a transfer.
    if (m_busy)
        return;
    QDialog::done(result);
}

void CMFCVemSyncDlg::closeEvent(QCloseEvent* event)
{
    if (!m_busy) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    ShowInformation(BUSY, BUSY_DETAIL);
}

void CMFCVemSyncDlg::OnCompare()
{
    RunOnSelection(false, FileDialogKind::Open,
                   [this](DataKind kind, const std::string& number, const std::string& file) {
                       m_commands.Compare(kind, number, file);
                       return std::string();
                   });
}

void CMFCVemSyncDlg::OnVerifyToggled(bool verify)
{
    m_commands.SetVerifyAfterWrite(verify);
    KeepSetting(VERIFY_SETTING, verify);
}

void CMFCVemSyncDlg::OnBackupAll()
{
    RunOnChosenFolder(BackupMsg::BACKUP_ENTRY, [this](const std::string& folder) {
        m_backup.Backup(folder);
    });
}

void CMFCVemSyncDlg::OnRestoreAll()
{
    RunOnChosenFolder(BackupMsg::RESTORE_ENTRY, [this](const std::string& folder) {
        RestoreOptions options;
        options.confirm = true;
        m_backup.Restore(folder, options);
    });
}

// The port is checked and the folder chosen here, on the window's thread;
// the job runs on the worker.
void CMFCVemSyncDlg::RunOnChosenFolder(const char* title,
                                       std::function<void(const std::string& folder)> job)
{
    if (m_busy)
        return;
    if (!m_link.IsOpen()) {
        FailOnClosedPort(*this, m_link);
        return;
    }
    const std::optional<std::string> folder = ChooseFolder(title);
    if (!folder)
        return;
    RunCommand([job = std::move(job), folder = *folder](ITransferUi&) {
        job(folder);
        return std::string();
    });
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
    if (m_busy)
        return;
    // The window manager's system menu cannot be extended here, so the About
    // box is offered where the user looks for the window's own menu.
    QMenu menu(this);
    menu.addActions(actions());
    menu.exec(event->globalPos());
}

void CMFCVemSyncDlg::AddPortTools()
{
    auto* setup = new QAction(QString::fromUtf8("Настройка портов…"), this);
    connect(setup, &QAction::triggered, this, &CMFCVemSyncDlg::OnPortSetup);
    addAction(setup);
    auto* trace = new QAction(QString::fromUtf8("Журнал обмена…"), this);
    connect(trace, &QAction::triggered, this, &CMFCVemSyncDlg::OnTraceWindow);
    addAction(trace);
    // The tooltips follow adapters plugged in or pulled out.
    connect(new CDeviceWatch(this), &CDeviceWatch::Changed, this, &CMFCVemSyncDlg::ShowPortDetails);
}

void CMFCVemSyncDlg::OnPortSetup()
{
    CPortSetupDlg setup(this);
    setup.exec();
    ShowPortDetails();
}

void CMFCVemSyncDlg::OnTraceWindow()
{
    if (!m_traceWindow) {
        if (!m_traceFeed)
            m_traceFeed = std::make_unique<CTraceFeed>();
        m_traceWindow = new CTraceWindow(this);
        m_traceWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_traceWindow->Follow(*m_traceFeed);
        // The trace costs the link nothing while no window follows it.
        connect(m_traceWindow, &QObject::destroyed, this, [this] { m_link.SetObserver(nullptr); });
        m_link.SetObserver(m_traceFeed.get());
    }
    m_traceWindow->show();
    m_traceWindow->raise();
    m_traceWindow->activateWindow();
}

void CMFCVemSyncDlg::ShowPortDetails()
{
    const std::vector<PortTarget> targets = ListPortTargets(FindSerialDevices());
    std::string reached = m_link.PortName();
    for (const PortTarget& target : targets) {
        const std::string text = target.name + ": " + DescribeTarget(target);
        const int item = m_comboPort->findText(QString::fromStdString(target.name));
        if (item >= 0)
            m_comboPort->setItemData(item, QString::fromStdString(text), Qt::ToolTipRole);
        if (target.name == m_link.PortName())
            reached = text;
    }
    if (!m_link.IsOpen()) {
        const std::string cause = PortOpenCause(m_link.PortName(), m_link.LastOpenError());
        if (!cause.empty())
            reached += "\n" + cause;
    }
    m_form->labelStatus->setToolTip(QString::fromStdString(reached));
}

std::optional<std::string> CMFCVemSyncDlg::ChooseFile(FileDialogKind kind, const std::string& filter)
{
    if (m_fileChooser)
        return m_fileChooser(kind, filter);
    const QString qtFilter = QString::fromStdString(filter);
    QFileDialog files(this);
    files.setNameFilter(qtFilter);
    files.setDirectory(StartFolder());
    if (kind == FileDialogKind::SaveAs) {
        files.setAcceptMode(QFileDialog::AcceptSave);
        files.setFileMode(QFileDialog::AnyFile);
        files.setDefaultSuffix(FirstSuffixOf(qtFilter));
        // The question is asked here, about the file Read will really write:
        // the extension is added to any name that does not hold it, "a.v2"
        // included, which the file dialog would take as it is.
        files.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        files.setAcceptMode(QFileDialog::AcceptOpen);
        files.setFileMode(QFileDialog::ExistingFile);
    }
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = files.selectedFiles().constFirst();
    m_lastFolder = QFileInfo(path).absolutePath();
    if (kind != FileDialogKind::SaveAs)
        return FileLayerPath(path);
    const DataKind data = filter == Msg::PARAMETER_FILTER ? DataKind::Parameters : DataKind::Program;
    const std::string written = ReadPathFor(data, FileLayerPath(path));
    // The chosen path, with the extension Read adds, if any. No leaves the
    // file alone and ends the command.
    const QFileInfo target(path + QString::fromStdString(written.substr(FileLayerPath(path).size())));
    if (target.exists() && !ConfirmReplace(target.fileName()))
        return std::nullopt;
    return written;
}

bool CMFCVemSyncDlg::ConfirmReplace(const QString& name)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("MFCVemSync"), QString::fromUtf8(REPLACE_QUESTION).arg(name),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString CMFCVemSyncDlg::StartFolder() const
{
    if (!m_lastFolder.isEmpty())
        return m_lastFolder;
    // Never the folder the program was started from.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo::exists(documents) ? documents : QDir::homePath();
}

std::optional<std::string> CMFCVemSyncDlg::ChooseFolder(const char* title)
{
    if (m_folderChooser)
        return m_folderChooser(title);
    const QString path =
        QFileDialog::getExistingDirectory(this, QString::fromUtf8(title), StartFolder());
    if (path.isEmpty())
        return std::nullopt;
    m_lastFolder = path;
    return FileLayerPath(path);
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
    m_progress->setFormat(QString::fromUtf8(BLOCK_COUNT));
    m_progress->setTextVisible(true);
    m_progress->repaint();
}

void CMFCVemSyncDlg::SetProgressPos(int pos)
{
    m_progress->setValue(pos);
    // Every block is drawn, also when blocks follow faster than the window
    // would repaint by itself.
    m_progress->repaint();
}
