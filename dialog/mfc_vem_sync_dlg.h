// CMFCVemSyncDlg: the main window, from which the user runs every transfer.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "dialog/gui_thread_ui.h"
#include "backup/backup_commands.h"
#include "transfer/transfer_commands.h"

class QAction;
class QComboBox;
class QLineEdit;
class QMessageBox;
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

    // How a command ended, for the bar: a failure empties it and says so, a
    // question answered No empties it and says the command was refused, and
    // a success or a difference shows `summary` ("" leaves the bar as the
    // command left it). A file dialog left starts no command at all.
    struct CommandEnd {
        CommandResult result = CommandResult::Done;
        std::string summary;
    };
    // A command of the dialog: it talks to the user only through `ui`.
    using Command = std::function<CommandEnd(ITransferUi& ui)>;
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

    // Enter: closes the dialog unless the port field holds more than a port
    // name can be.
    void accept() override;
    void done(int result) override;

Q_SIGNALS:
    void CommandFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void OnKindSelChange();
    void OnPortSelChange(int index);
    void OnReadClicked();
    void OnWriteClicked();
    // Context-menu commands: compare the controller with a file for the
    // selected kind and number, and the check after every write.
    void OnCompare();
    void OnVerifyToggled(bool verify);
    // The context menu's whole-controller backup and restore.
    void OnBackupAll();
    void OnRestoreAll();
    void OnAbout();
    // The port setup and the line's trace.
    void OnPortSetup();
    void OnTraceWindow();
    // Tooltips: what each port name reaches, and on the status what the
    // chosen one reaches and, when it did not open or was lost, why.
    void ShowPortDetails();
    // Devices came or went: an idle port that hung up is closed, a lost one
    // opened again when its device is back.
    void OnDevicesChanged();

private:
    void FillLists();
    void AddMenu();
    void FinishCommand();
    // The bar once a command has ended, as CommandEnd says.
    void ShowEnd(const CommandEnd& end);
    // Puts the name of the port in use back into the port field, in place
    // of any text typed there and not chosen from the list.
    void ShowPortInUse();
    // The status after the link may have lost its port or found it again:
    // "Открыт" when open, "Не открыт" when lost; anything else stays as the
    // last port choice left it.
    void ShowPortStatus();
    // Opens a lost port again, if it is, and shows the status; whether the
    // port is open.
    bool ReopenLostPort();
    QString StartFolder() const;
    // Whether the user lets Read replace the existing file `name`.
    bool ConfirmReplace(const QString& name);
    std::optional<DataKind> SelectedKind() const;
    // `creates`: a name typed for a folder that does not exist yet is taken,
    // for the job to create.
    std::optional<std::string> ChooseFolder(const char* title, bool creates);
    void RunOnChosenFolder(const char* title, bool creates,
                           std::function<CommandEnd(const std::string& folder)> job);
    // A command on the selected kind and number and the file chosen for it.
    using SelectionCommand = std::function<CommandEnd(DataKind kind, const std::string& number,
                                                      const std::string& file)>;
    // With the port open, asks for the file of `fileKind` and runs `command`
    // on the worker; with the port closed the command runs with no file and
    // says so itself.
    void RunOnSelection(FileDialogKind fileKind, SelectionCommand command);
    // The chosen path, or nothing when the user cancelled. `filter` is in
    // the form "Description (*.ext);;All Files (*)".
    std::optional<std::string> ChooseFile(FileDialogKind kind, const std::string& filter);
    // Shows the menu at `where`, in global coordinates.
    void PopUpMenu(const QPoint& where);
    // Keeps a setting for the next run; says so when the file refuses it.
    void KeepSetting(const char* key, const char* name, bool value);

    std::unique_ptr<Ui::CMFCVemSyncDlg> m_form;
    CControllerLink& m_link;
    CGuiThreadUi m_workerUi;
    CTransferCommands m_commands;
    CBackupCommands m_backup;
    FileChooser m_fileChooser;
    FolderChooser m_folderChooser;
    QAction* m_verify = nullptr;

    bool m_busy = false;
    std::thread m_worker;
    CommandEnd m_end;      // written by the worker, read after it has ended
    QString m_lastFolder;  // of the last file chosen in this run
    // The port last chosen from the list, which the port field shows
    // whenever it is left.
    QString m_chosenPort;
    // The answer to the close button while a command runs; it goes when the
    // command ends.
    QPointer<QMessageBox> m_busyBox;

    QComboBox* m_comboKind = nullptr;
    QLineEdit* m_editNumber = nullptr;
    QComboBox* m_comboPort = nullptr;
    QProgressBar* m_progress = nullptr;

    std::unique_ptr<CTraceFeed> m_traceFeed;
    QPointer<CTraceWindow> m_traceWindow;
};
