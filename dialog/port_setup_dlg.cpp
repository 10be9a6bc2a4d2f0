// CPortSetupDlg: the port table, the device table, and mapping a port to a device.
#include "dialog/port_setup_dlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidgetItem>

#include "dialog/device_watch.h"
#include "dialog/dialog_messages.h"
#include "dialog/window_placement.h"
#include "link/port_map.h"
#include "ui_port_setup_dlg.h"

namespace {

enum PortColumn { PORT_NAME, PORT_TARGET };
// Room above and below a line of text in a table row, in pixels.
constexpr int ROW_PADDING = 6;
enum DeviceColumn { DEVICE_NODE, DEVICE_PRODUCT, DEVICE_IDS, DEVICE_SERIAL, DEVICE_DRIVER, DEVICE_BY_ID };

QTableWidgetItem* Cell(const std::string& text)
{
    return new QTableWidgetItem(QString::fromStdString(text));
}

std::string ProductOf(const SerialDevice& device)
{
    if (device.manufacturer.empty() || device.product.empty())
        return device.manufacturer + device.product;
    return device.manufacturer + " " + device.product;
}

std::string IdsOf(const SerialDevice& device)
{
    if (device.vendorId.empty() && device.productId.empty())
        return {};
    return device.vendorId + ":" + device.productId;
}

} // namespace

CPortSetupDlg::CPortSetupDlg(QWidget* parent)
    : QDialog(parent), m_form(std::make_unique<Ui::CPortSetupDlg>())
{
    m_form->setupUi(this);
    FitIntoScreen(*this, parent);
    m_form->tablePorts->horizontalHeader()->setSectionResizeMode(PORT_NAME, QHeaderView::ResizeToContents);
    m_form->tableDevices->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
#ifdef _WIN32
    // COMn is the port itself: there is nothing to link, only a number the
    // device manager gives, and the operator changes there.
    m_form->buttonAssign->hide();
    m_form->buttonClear->hide();
    m_form->tableDevices->setColumnHidden(DEVICE_SERIAL, true);
    m_form->tableDevices->horizontalHeaderItem(DEVICE_BY_ID)->setText(QString::fromUtf8(DialogMsg::HARDWARE_ID));
    auto* hint = new QLabel(QString::fromUtf8(DialogMsg::PORT_NUMBER_HINT), this);
    hint->setObjectName(QStringLiteral("labelPortNumber"));
    hint->setWordWrap(true);
    m_form->layoutMain->insertWidget(m_form->layoutMain->count() - 1, hint);
#else
    connect(m_form->buttonAssign, &QPushButton::clicked, this, &CPortSetupDlg::OnAssign);
    connect(m_form->buttonClear, &QPushButton::clicked, this, &CPortSetupDlg::OnClear);
#endif
    connect(m_form->tablePorts, &QTableWidget::itemSelectionChanged, this, &CPortSetupDlg::UpdateButtons);
    connect(m_form->tableDevices, &QTableWidget::itemSelectionChanged, this, &CPortSetupDlg::UpdateButtons);
    connect(new CDeviceWatch(this), &CDeviceWatch::Changed, this, &CPortSetupDlg::Refresh);
    Refresh();
    m_form->tablePorts->selectRow(0);
}

CPortSetupDlg::~CPortSetupDlg() = default;

void CPortSetupDlg::Refresh()
{
    m_devices = FindSerialDevices();
    ShowTargets();
    ShowDevices();
    UpdateButtons();
}

void CPortSetupDlg::ShowTargets()
{
    QTableWidget* table = m_form->tablePorts;
    const std::vector<PortTarget> targets = ListPortTargets(m_devices);
    table->setRowCount(static_cast<int>(targets.size()));
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + ROW_PADDING);
    for (int row = 0; row < table->rowCount(); ++row) {
        const PortTarget& target = targets[static_cast<std::size_t>(row)];
        table->setItem(row, PORT_NAME, Cell(target.name));
        QTableWidgetItem* reached = Cell(DescribeTarget(target));
        reached->setToolTip(reached->text()); // the column may cut it short
        if (!target.present)
            reached->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
        reached->setData(Qt::UserRole, target.mapped);
        table->setItem(row, PORT_TARGET, reached);
    }
}

void CPortSetupDlg::ShowDevices()
{
    QTableWidget* table = m_form->tableDevices;
    const QString chosen = table->currentRow() >= 0 && table->item(table->currentRow(), DEVICE_NODE)
                               ? table->item(table->currentRow(), DEVICE_NODE)->text()
                               : QString();
    table->clearSelection();
    table->setRowCount(static_cast<int>(m_devices.size()));
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + ROW_PADDING);
    for (int row = 0; row < table->rowCount(); ++row) {
        const SerialDevice& device = m_devices[static_cast<std::size_t>(row)];
        table->setItem(row, DEVICE_NODE, Cell(device.node));
        table->setItem(row, DEVICE_PRODUCT, Cell(ProductOf(device)));
        table->setItem(row, DEVICE_IDS, Cell(IdsOf(device)));
        table->setItem(row, DEVICE_SERIAL, Cell(device.serial));
        table->setItem(row, DEVICE_DRIVER, Cell(device.driver));
        // Windows has no by-id name; its column shows the hardware id there.
        table->setItem(row, DEVICE_BY_ID, Cell(device.byId.empty() ? device.hardwareId : device.byId));
        if (QString::fromStdString(device.node) == chosen)
            table->selectRow(row);
    }
}

void CPortSetupDlg::UpdateButtons()
{
    const int port = m_form->tablePorts->currentRow();
    const bool portChosen = !m_form->tablePorts->selectedItems().isEmpty() && port >= 0;
    const bool deviceChosen = !m_form->tableDevices->selectedItems().isEmpty();
    m_form->buttonAssign->setEnabled(portChosen && deviceChosen);
    const QTableWidgetItem* target = portChosen ? m_form->tablePorts->item(port, PORT_TARGET) : nullptr;
    m_form->buttonClear->setEnabled(target != nullptr && target->data(Qt::UserRole).toBool());
}

#ifndef _WIN32
void CPortSetupDlg::OnAssign()
{
    const int port = m_form->tablePorts->currentRow();
    const int device = m_form->tableDevices->currentRow();
    if (port < 0 || device < 0 || static_cast<std::size_t>(device) >= m_devices.size())
        return;
    std::string error;
    const std::string name = m_form->tablePorts->item(port, PORT_NAME)->text().toStdString();
    if (!MapPort(name, m_devices[static_cast<std::size_t>(device)].StableName(), error))
        Warn(error);
    Refresh();
}

void CPortSetupDlg::OnClear()
{
    const int port = m_form->tablePorts->currentRow();
    if (port < 0)
        return;
    std::string error;
    if (!UnmapPort(m_form->tablePorts->item(port, PORT_NAME)->text().toStdString(), error))
        Warn(error);
    Refresh();
}

void CPortSetupDlg::Warn(const std::string& error)
{
    QMessageBox::warning(this, QStringLiteral("MFCVemSync"), QString::fromStdString(error));
}
#endif
