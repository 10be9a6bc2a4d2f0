// CMFCVemSyncDlg: the main window, from which the user runs every transfer.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "dialog/gui_thread_ui.h"
#include "backup/backup_commands.h"
#include "transfer/transfer_commands.h"

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
// do the work, on a worker thread, so that the window keeps repainting and
// answering the window manager while the line is busy.
enum class FileDialogKind {
    SaveAs, // Read: the file the controller's data go to
    Open,   // Write and Compare: the file sent or compared
};

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
    // Replaces the standard folder dialog, for tests.
    using FolderChooser = std::function<std::optional<std::string>(const std::string& title)>;
    void SetFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }

    // A command of the dialog: it talks to the user only through `ui` and
    // returns the line the progress bar shows after it, or "" to leave the
    // bar as the command left it.
    using Command = std::function<std::string(ITransferUi& ui)>;
    // Runs `command` on the worker thread and returns at once; false, with
    // nothing run, while another command runs. Until it ends, the window
    // takes no input and cannot be closed, its menu entries are off and
    // nothing typed or clicked meanwhile is carried out afterwards; the
    // command owns the link alone. CommandFinished() follows its end.
    bool RunCommand(Command command);
    bool IsBusy() const { return m_busy; }

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
    // Context-menu commands: compare the controller with a file for the
    // selected kind and number, and the check after every write.
    void OnCompare();
    void OnVerifyToggled(bool verify);
    void OnSysCommand(unsigned id);
    // The context menu's whole-controller backup and restore.
    void OnBackupAll();
    void OnRestoreAll();

    void done(int result) override;

Q_SIGNALS:
    void CommandFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FinishCommand();
    // Puts the name of the port in use back into the port field, in place
    // of any text typed there and not chosen from the list.
    void ShowPortInUse();
    QString StartFolder() const;
    // Whether the user lets Read replace the existing file `name`.
    bool ConfirmReplace(const QString& name);
    // The data exchange between the controls and the member strings: `fetch`
    // reads the controls back, refusing a text longer than its limit;
    // otherwise the strings are shown in the controls.
    bool UpdateData(bool fetch);
    void OnOK();
    void OnInitDialog();
    std::optional<DataKind> SelectedKind() const;
    void AddCheckActions();
    std::optional<std::string> ChooseFolder(const char* title);
    void RunOnChosenFolder(const char* title, std::function<void(const std::string& folder)> job);
    // Fetches the kind and number as a command's start does and runs
    // `command` on them on the worker; the line it returns goes to the bar.
    // A command on the selected kind and number and the file chosen for it.
    using SelectionCommand = std::function<std::string(DataKind kind, const std::string& number,
                                                       const std::string& file)>;
    // Fetches the selection and, with the port open, asks for the file of
    // `fileKind` before the command runs; with the port closed the command
    // runs with no file and says so itself.
    void RunOnSelection(bool fetchWhenClosed, FileDialogKind fileKind, SelectionCommand command);
    // The chosen path, or nothing when the user cancelled. `filter` is in
    // the form "Description (*.ext);;All Files (*)".
    std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter);

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
    CGuiThreadUi m_workerUi;
    CTransferCommands m_commands;
    CBackupCommands m_backup;
    FileChooser m_fileChooser;
    FolderChooser m_folderChooser;
    QString m_aboutText;

    bool m_busy = false;
    std::thread m_worker;
    std::string m_summary; // written by the worker, read after it has ended
    QString m_lastFolder;  // of the last file chosen in this run

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
