#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "app/transfer_commands.h"

class QComboBox;
class QLineEdit;
class QProgressBar;
class CControllerLink;
class CTraceFeed;
class CTraceWindow;

namespace Ui {
class CMFCVemSyncDlg;
}

// The main window: the data kind, the program number, Read and Write, the
// progress of a transfer and the choice of the serial port. It gathers what
// the user chose and shows what the transfer commands report; the commands
// do the work.
class CMFCVemSyncDlg : public QDialog, public ITransferUi {
    Q_OBJECT

public:
    // The system-menu command of the About box.
    static constexpr unsigned IDM_ABOUTBOX = 0x0010;

    CMFCVemSyncDlg(CControllerLink& link, ControllerInfo& info, TransferBuffer buffer,
                   QWidget* parent = nullptr);
    ~CMFCVemSyncDlg() override;

    // Replaces the standard Open and Save As dialogs, for tests.
    using FileChooser =
        std::function<std::optional<std::string>(FileDialogKind kind, const std::string& filter)>;
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }

    std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter) override;
    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override;
    void ShowInformation(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& question, const std::string& detail) override;
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

    void OnKindSelChange();
    void OnPortSelChange(int index);
    void OnReadClicked();
    void OnWriteClicked();
    void OnSysCommand(unsigned id);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The data exchange between the controls and the member strings: `fetch`
    // reads the controls back, refusing a text longer than its limit;
    // otherwise the strings are shown in the controls.
    bool UpdateData(bool fetch);
    void OnOK();
    void OnInitDialog();
    std::optional<DataKind> SelectedKind() const;

    // The port setup and the line's trace, offered in the context menu, and
    // the watch on serial devices that keeps the port tooltips current.
    void AddPortTools();
    void OnPortSetup();
    void OnTraceWindow();
    // Tooltips: what each port name reaches, and on the status what the
    // chosen one reaches and, when it did not open, why.
    void ShowPortDetails();

    std::unique_ptr<Ui::CMFCVemSyncDlg> m_form;
    CControllerLink& m_link;
    CTransferCommands m_commands;
    FileChooser m_fileChooser;
    QString m_aboutText;

    QIcon m_hIcon;
    QComboBox* m_comboKind = nullptr;
    QLineEdit* m_editNumber = nullptr;
    QString m_strNumber;
    QString m_strPort;
    QString m_strStatus;
    QComboBox* m_comboPort = nullptr;
    QProgressBar* m_progress = nullptr;

    std::unique_ptr<CTraceFeed> m_traceFeed;
    QPointer<CTraceWindow> m_traceWindow;
};
