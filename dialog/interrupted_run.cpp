// The dialog's deferred signal: its end, and the message kept for the next start.
#include "dialog/interrupted_run.h"

#include <QSettings>
#include <QSocketNotifier>

#include <unistd.h>

#include "dialog/mfc_vem_sync_dlg.h"
#include "platform/temp_registry.h"

namespace {

// Beside the dialog's other settings (~/.config/MFCVemSync/MFCVemSync.conf,
// on Windows under HKEY_CURRENT_USER\Software\MFCVemSync).
const char* const SETTINGS_NAME = "MFCVemSync";
const char* const LEFT_TEXT = "interruptedMessage";
const char* const LEFT_DETAIL = "interruptedDetail";

QSettings Settings()
{
    return QSettings(QString::fromUtf8(SETTINGS_NAME), QString::fromUtf8(SETTINGS_NAME));
}

} // namespace

void EndOnInterrupt(CMFCVemSyncDlg& dialog)
{
    const auto end = [&dialog] {
        if (PendingInterrupt() != 0 && !dialog.IsBusy())
            dialog.reject();
    };
    QObject::connect(&dialog, &CMFCVemSyncDlg::CommandFinished, &dialog, end);
    const int wake = InterruptWakeFd();
    if (wake < 0)
        return;
    auto* notifier = new QSocketNotifier(wake, QSocketNotifier::Read, &dialog);
    QObject::connect(notifier, &QSocketNotifier::activated, &dialog, [wake, end] {
        char drained[16];
        while (::read(wake, drained, sizeof drained) > 0) {
        }
        end();
    });
}

void LeaveMessage(const std::string& text, const std::string& detail)
{
    QSettings settings = Settings();
    settings.setValue(QString::fromUtf8(LEFT_TEXT), QString::fromStdString(text));
    settings.setValue(QString::fromUtf8(LEFT_DETAIL), QString::fromStdString(detail));
    settings.sync();
}

void ForgetLeftMessage()
{
    QSettings settings = Settings();
    settings.remove(QString::fromUtf8(LEFT_TEXT));
    settings.remove(QString::fromUtf8(LEFT_DETAIL));
    settings.sync();
}

void ShowLeftMessage(ITransferUi& ui)
{
    const QSettings settings = Settings();
    const QString text = settings.value(QString::fromUtf8(LEFT_TEXT)).toString();
    if (text.isEmpty())
        return;
    ui.ShowWarning(text.toStdString(), settings.value(QString::fromUtf8(LEFT_DETAIL)).toString().toStdString());
    ForgetLeftMessage();
}
