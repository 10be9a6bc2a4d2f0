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
#include <QShortcut>
#include <QStandardPaths>

#include "dialog/about_dlg.h"
#include "dialog/app_resources.h"
#include "backup/backup_messages.h"
#include "dialog/device_watch.h"
#include "dialog/dialog_messages.h"
#include "dialog/folder_dialog.h"
#include "transfer/messages.h"
#include "dialog/port_setup_dlg.h"
#include "dialog/trace_window.h"
#include "dialog/window_placement.h"
#include "transfer/transfer_rules.h"
#include "transfer/transfer_summary.h"
#include "link/controller_link.h"
#include "link/port_map.h"
#include "link/port_open_cause.h"
#include "ui_mfc_vem_sync_dlg.h"

namespace {

constexpr int PORT_LIMIT = 5;
constexpr int PORT_COUNT = 10;
// The port the list shows before any is chosen.
const char* const FIRST_PORT = "COM1";

// The block count while a transfer moves.
const char* const BLOCK_COUNT = "%v/%m";

// The trace window is of use beside the main window only when its time,
// direction and meaning columns fit.
constexpr int TRACE_LEAST_WIDTH = 400;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

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

// The extension of a filter's first pattern, "prgVem730" for
// "Программы Вем-730 (*.prgVem730);;All Files (*)".
QString FirstSuffixOf(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.([^)\s;]+)\))"));
    return pattern.match(filter).captured(1);
}

// Whether every write is read back, kept between runs where the system
// keeps a program's settings: ~/.config/MFCVemSync/MFCVemSync.conf, on
// Windows the registry's HKEY_CURRENT_USER\Software\MFCVemSync\MFCVemSync.
const char* const SETTINGS_NAME = "MFCVemSync";
const char* const VERIFY_SETTING = "verifyAfterWrite";

QSettings Settings()
{
    return QSettings(Text(SETTINGS_NAME), Text(SETTINGS_NAME));
}

// The bar after a Read or Write that ended in `result`.
CMFCVemSyncDlg::CommandEnd TransferEnd(CommandResult result, const CTransferCommands& commands,
                                       bool verified)
{
    const std::optional<TransferAmount> amount = commands.LastAmount();
    if (result != CommandResult::Done || !amount)
        return {result, {}};
    std::string summary = TransferSummary(*amount);
    // "Записано: 399 слов" becomes "Записано и проверено: 399 слов".
    if (amount->written && verified)
        summary = DialogMsg::BAR_VERIFIED + summary.substr(summary.find(':'));
    return {result, summary};
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
      m_chosenPort(Text(FIRST_PORT))
{
    m_form->setupUi(this);
    m_comboKind = m_form->comboKind;
    m_editNumber = m_form->editNumber;
    m_comboPort = m_form->comboPort;
    m_progress = m_form->progress;
    setFixedSize(size());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(AppIcon());
    // The extra functions sit on the context menu, which the window itself
    // does not show: the tooltip of every spot without one of its own says
    // where it is.
    setToolTip(Text(DialogMsg::MENU_HINT));

    connect(m_comboKind, &QComboBox::activated, this, &CMFCVemSyncDlg::OnKindSelChange);
    connect(m_comboPort, &QComboBox::activated, this, &CMFCVemSyncDlg::OnPortSelChange);
    // Only a choice from the list opens a port. Left to itself, the combo
    // would also take a typed name that matches an entry as a choice when
    // the field is left, and open that port.
    disconnect(m_comboPort->lineEdit(), &QLineEdit::editingFinished, m_comboPort, nullptr);
    // The combo takes the focus for its edit field.
    m_comboPort->installEventFilter(this);
    connect(m_form->buttonRead, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnReadClicked);
    connect(m_form->buttonWrite, &QPushButton::clicked, this, &CMFCVemSyncDlg::OnWriteClicked);

    AddMenu();
    FillLists();
    if (m_link.IsOpen())
        m_form->labelStatus->setText(Text(DialogMsg::STATUS_OPEN));
    else
        m_form->labelStatus->clear();
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

// The context menu: the port tools, the checks, the whole-controller jobs,
// then About.
void CMFCVemSyncDlg::AddMenu()
{
    const auto add = [this](const QString& text, auto slot) {
        auto* action = new QAction(text, this);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    const auto addSeparator = [this] {
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        addAction(separator);
    };
    add(Text(DialogMsg::MENU_PORT_SETUP), &CMFCVemSyncDlg::OnPortSetup);
    add(Text(DialogMsg::MENU_TRACE), &CMFCVemSyncDlg::OnTraceWindow);
    // The tooltips follow adapters plugged in or pulled out.
    connect(new CDeviceWatch(this), &CDeviceWatch::Changed, this, &CMFCVemSyncDlg::OnDevicesChanged);
    addSeparator();

    m_verify = add(Text(DialogMsg::MENU_VERIFY), &CMFCVemSyncDlg::OnVerifyToggled);
    m_verify->setCheckable(true);
    m_verify->setChecked(Settings().value(Text(VERIFY_SETTING), false).toBool());
    m_commands.SetVerifyAfterWrite(m_verify->isChecked());
    add(Text(DialogMsg::MENU_COMPARE), &CMFCVemSyncDlg::OnCompare);
    addSeparator();

    add(Text(BackupMsg::BACKUP_ENTRY), &CMFCVemSyncDlg::OnBackupAll);
    add(Text(BackupMsg::RESTORE_ENTRY), &CMFCVemSyncDlg::OnRestoreAll);
    addSeparator();

    QAction* about = add(AboutMenuText(), &CMFCVemSyncDlg::OnAbout);
    about->setShortcut(QKeySequence::HelpContents);

    // The menu from the keyboard: the menu key gives a context-menu event
    // by itself, Shift+F10 as on other systems' windows.
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { PopUpMenu(mapToGlobal(rect().center())); });
}

void CMFCVemSyncDlg::FillLists()
{
    // The kind list is sorted: Параметры, Подпрограмма, Программа.
    for (const char* kind :
         {DialogMsg::KIND_PROGRAM, DialogMsg::KIND_SUBPROGRAM, DialogMsg::KIND_PARAMETERS})
        m_comboKind->addItem(Text(kind));
    m_comboKind->model()->sort(0);
    m_comboKind->setCurrentIndex(m_comboKind->findText(Text(DialogMsg::KIND_PARAMETERS)));
    for (int i = 1; i <= PORT_COUNT; ++i)
        m_comboPort->addItem(QStringLiteral("COM%1").arg(i));
    ShowPortInUse();
    m_editNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
}

std::optional<DataKind> CMFCVemSyncDlg::SelectedKind() const
{
    const QString text = m_comboKind->itemText(m_comboKind->currentIndex());
    if (text == Text(DialogMsg::KIND_PARAMETERS))
        return DataKind::Parameters;
    if (text == Text(DialogMsg::KIND_SUBPROGRAM))
        return DataKind::Subprogram;
    if (text == Text(DialogMsg::KIND_PROGRAM))
        return DataKind::Program;
    return std::nullopt;
}

void CMFCVemSyncDlg::ShowPortInUse()
{
    const int item = m_comboPort->findText(m_chosenPort, Qt::MatchStartsWith);
    if (item >= 0)
        m_comboPort->setCurrentIndex(item);
    else
        m_comboPort->setEditText(m_chosenPort);
}

void CMFCVemSyncDlg::OnKindSelChange()
{
    const bool parameters = SelectedKind() == DataKind::Parameters;
    m_editNumber->setReadOnly(parameters);
    if (parameters)
        m_editNumber->clear();
}

void CMFCVemSyncDlg::OnPortSelChange(int index)
{
    if (index < 0 || m_busy)
        return;
    m_chosenPort = m_comboPort->itemText(index);
    // The port open before is closed in any case, also when the new one
    // cannot be opened.
    const bool open = m_link.Reopen(m_chosenPort.toUtf8().constData());
    m_form->labelStatus->setText(Text(open ? DialogMsg::STATUS_OPEN : DialogMsg::STATUS_CLOSED));
    ShowPortInUse();
    ShowPortDetails();
}

void CMFCVemSyncDlg::ShowPortStatus()
{
    if (m_link.IsOpen())
        m_form->labelStatus->setText(Text(DialogMsg::STATUS_OPEN));
    else if (m_link.Lost())
        m_form->labelStatus->setText(Text(DialogMsg::STATUS_CLOSED));
    ShowPortDetails();
}

bool CMFCVemSyncDlg::ReopenLostPort()
{
    const bool open = m_link.ReopenLost();
    ShowPortStatus();
    return open;
}

// The link is the worker's while a command runs; the command's end looks
// at the port then.
void CMFCVemSyncDlg::OnDevicesChanged()
{
    if (m_busy) {
        ShowPortDetails();
        return;
    }
    m_link.CheckHangUp();
    ReopenLostPort();
}

void CMFCVemSyncDlg::OnReadClicked()
{
    RunOnSelection(FileDialogKind::SaveAs,
                   [this](DataKind kind, const std::string& number, const std::string& file) {
                       return TransferEnd(m_commands.Read(kind, number, file), m_commands, false);
                   });
}

void CMFCVemSyncDlg::OnWriteClicked()
{
    const bool verified = m_verify->isChecked();
    RunOnSelection(FileDialogKind::Open, [this, verified](DataKind kind, const std::string& number,
                                                          const std::string& file) {
        return TransferEnd(m_commands.Write(kind, number, file), m_commands, verified);
    });
}

void CMFCVemSyncDlg::OnCompare()
{
    RunOnSelection(FileDialogKind::Open,
                   [this](DataKind kind, const std::string& number, const std::string& file) {
                       const CommandResult result = m_commands.Compare(kind, number, file);
                       return CommandEnd{result, result == CommandResult::Done
                                                     ? DialogMsg::BAR_SAME
                                                     : DialogMsg::BAR_DIFFERS};
                   });
}

void CMFCVemSyncDlg::RunOnSelection(FileDialogKind fileKind, SelectionCommand command)
{
    if (m_busy)
        return;
    ShowPortInUse();
    const std::optional<DataKind> kind = SelectedKind();
    if (!kind)
        return;
    // The port first, then the file, then the controller: a closed port is
    // said before any file dialog opens.
    std::string file;
    if (ReopenLostPort()) {
        const char* filter = *kind == DataKind::Parameters ? Msg::PARAMETER_FILTER : Msg::PROGRAM_FILTER;
        const std::optional<std::string> chosen = ChooseFile(fileKind, filter);
        if (!chosen)
            return;
        file = *chosen;
    }
    RunCommand([command = std::move(command), kind = *kind, number = m_editNumber->text().toStdString(),
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
    m_end = {};
    m_worker = std::thread([this, command = std::move(command)] {
        m_end = command(m_workerUi);
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
    ShowEnd(m_end);
    // A command that found the device gone has closed the port.
    ShowPortStatus();
    if (m_busyBox)
        m_busyBox->close();
    m_busy = false;
    Q_EMIT CommandFinished();
}

void CMFCVemSyncDlg::ShowEnd(const CommandEnd& end)
{
    QString text = QString::fromStdString(end.summary);
    const bool failed = end.result == CommandResult::Failed;
    const bool refused = end.result == CommandResult::Cancelled;
    if (failed || refused) {
        text = Text(failed ? DialogMsg::BAR_FAILED : DialogMsg::BAR_REFUSED);
        m_progress->setValue(m_progress->minimum());
    }
    if (text.isEmpty())
        return;
    // A summary wider than the bar keeps what comes before its count:
    // "Записано и проверено".
    if (m_progress->fontMetrics().horizontalAdvance(text) > m_progress->contentsRect().width())
        text = text.section(QLatin1Char(':'), 0, 0);
    m_progress->setFormat(text);
    m_progress->setTextVisible(true);
    m_progress->repaint();
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

void CMFCVemSyncDlg::accept()
{
    if (m_comboPort->currentText().size() > PORT_LIMIT) {
        QMessageBox::warning(this, Text(DialogMsg::TITLE), Text(DialogMsg::TOO_LONG).arg(PORT_LIMIT));
        m_comboPort->setFocus();
        return;
    }
    QDialog::accept();
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
    if (m_busyBox) {
        m_busyBox->raise();
        return;
    }
    // Not waited for here: the box goes by itself when the command ends.
    m_busyBox = new QMessageBox(QMessageBox::Information, Text(DialogMsg::TITLE),
                                Text(DialogMsg::BUSY), QMessageBox::Ok, this);
    m_busyBox->setInformativeText(Text(DialogMsg::BUSY_DETAIL));
    m_busyBox->setAttribute(Qt::WA_DeleteOnClose);
    m_busyBox->open();
}

void CMFCVemSyncDlg::OnVerifyToggled(bool verify)
{
    m_commands.SetVerifyAfterWrite(verify);
    KeepSetting(VERIFY_SETTING, DialogMsg::MENU_VERIFY, verify);
}

void CMFCVemSyncDlg::KeepSetting(const char* key, const char* name, bool value)
{
    QSettings settings = Settings();
    settings.setValue(Text(key), value);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return;
    ShowWarning(DialogMsg::SETTING_NOT_SAVED, Text(DialogMsg::SETTING_NOT_SAVED_DETAIL)
                                                  .arg(Text(name), QDir::toNativeSeparators(
                                                                       settings.fileName()))
                                                  .toStdString());
}

void CMFCVemSyncDlg::OnBackupAll()
{
    RunOnChosenFolder(BackupMsg::BACKUP_ENTRY, true, [this](const std::string& folder) {
        return CommandEnd{m_backup.Backup(folder), BackupMsg::BACKUP_DONE};
    });
}

void CMFCVemSyncDlg::OnRestoreAll()
{
    RunOnChosenFolder(BackupMsg::RESTORE_ENTRY, false, [this](const std::string& folder) {
        RestoreOptions options;
        options.confirm = true;
        return CommandEnd{m_backup.Restore(folder, options), BackupMsg::RESTORE_DONE};
    });
}

// The port is checked and the folder chosen here, on the window's thread;
// the job runs on the worker.
void CMFCVemSyncDlg::RunOnChosenFolder(const char* title, bool creates,
                                       std::function<CommandEnd(const std::string& folder)> job)
{
    if (m_busy)
        return;
    if (!ReopenLostPort()) {
        FailOnClosedPort(*this, m_link);
        return;
    }
    const std::optional<std::string> folder = ChooseFolder(title, creates);
    if (!folder)
        return;
    RunCommand([job = std::move(job), folder = *folder](ITransferUi&) { return job(folder); });
}

void CMFCVemSyncDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMFCVemSyncDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CMFCVemSyncDlg::contextMenuEvent(QContextMenuEvent* event)
{
    PopUpMenu(event->globalPos());
}

void CMFCVemSyncDlg::PopUpMenu(const QPoint& where)
{
    if (m_busy)
        return;
    // The window manager's system menu cannot be extended here, so the
    // extra functions and the About box are offered where the user looks
    // for the window's own menu.
    QMenu menu(this);
    menu.addActions(actions());
    menu.exec(where);
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
        ShowBeside(*m_traceWindow, *this, TRACE_LEAST_WIDTH);
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
    // Appended piece by piece: g++ 12 at -O3 takes "\n" + a temporary for
    // an overlapping copy (-Wrestrict).
    if (m_link.Lost()) {
        reached += '\n';
        reached += LinkFaultText(LinkFault{LinkFailure::PortGone, 0, 0, m_link.PortName()});
    }
    if (!m_link.IsOpen()) {
        const std::string cause = PortOpenCause(m_link.PortName(), m_link.LastOpenError());
        if (!cause.empty()) {
            reached += '\n';
            reached += cause;
        }
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
    FitIntoScreen(files, this);
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("MFCVemSync"), QString::fromUtf8(DialogMsg::REPLACE_QUESTION).arg(name),
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

std::optional<std::string> CMFCVemSyncDlg::ChooseFolder(const char* title, bool creates)
{
    if (m_folderChooser)
        return m_folderChooser(title);
    CFolderDialog folders(this, Text(title), StartFolder(), creates);
    if (folders.exec() != QDialog::Accepted || folders.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = folders.selectedFiles().constFirst();
    m_lastFolder = path;
    return FileLayerPath(path);
}

void CMFCVemSyncDlg::ShowWarning(const std::string& text, const std::string& detail)
{
    if (detail.empty()) {
        QMessageBox::warning(this, Text(DialogMsg::TITLE), QString::fromStdString(text));
        return;
    }
    QMessageBox box(QMessageBox::Warning, Text(DialogMsg::TITLE), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

void CMFCVemSyncDlg::ShowInformation(const std::string& text, const std::string& detail)
{
    QMessageBox box(QMessageBox::Information, Text(DialogMsg::TITLE), QString::fromStdString(text),
                    QMessageBox::Ok, this);
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

bool CMFCVemSyncDlg::AskYesNo(const std::string& question, const std::string& detail)
{
    QMessageBox box(QMessageBox::Question, Text(DialogMsg::TITLE), QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No, this);
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
    m_progress->setFormat(Text(BLOCK_COUNT));
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
