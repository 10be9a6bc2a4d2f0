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
#include "app/device_watch.h"
#include "app/port_setup_dlg.h"
#include "app/trace_window.h"
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

} // namespace

CMFCVemSyncDlg::CMFCVemSyncDlg(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                               QWidget* parent)
    : QDialog(parent),
      m_form(std::make_unique<Ui::CMFCVemSyncDlg>()),
      m_link(link),
      m_commands(link, info, buffer, *this),
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

    auto* about = new QAction(m_aboutText, this);
    about->setShortcut(QKeySequence::HelpContents);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    addAction(about);
    AddPortTools();

    OnInitDialog();
    ShowPortDetails();
}

CMFCVemSyncDlg::~CMFCVemSyncDlg()
{
    // The link outlives the dialog; it must not call into the feed after it.
    delete m_traceWindow;
    m_link.SetObserver(nullptr);
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
    ShowPortDetails();
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
    const QString path = kind == FileDialogKind::SaveAs
                             ? QFileDialog::getSaveFileName(this, QString(), QString(), qtFilter)
                             : QFileDialog::getOpenFileName(this, QString(), QString(), qtFilter);
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
