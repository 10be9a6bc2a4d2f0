// CMFCVemSyncApp: the Qt application set up in Russian, running the main dialog.
#include "dialog/mfc_vem_sync_app.h"

#include "dialog/app_globals.h"
#include "dialog/app_resources.h"
#include "dialog/interrupted_run.h"
#include "dialog/mfc_vem_sync_dlg.h"
#include "platform/temp_registry.h"

CMFCVemSyncApp::CMFCVemSyncApp(int& argc, char** argv) : m_app(argc, argv)
{
    QApplication::setApplicationName(QStringLiteral("MFCVemSync"));
    InstallQtTranslations(m_app);
}

int CMFCVemSyncApp::InitInstance()
{
    CMFCVemSyncDlg dlg(theLink, theControllerInfo, theTransferBuffer);
    ShowLeftMessage(dlg);
    EndOnInterrupt(dlg);
    dlg.exec();
    // Ended by a signal: as the signal would have ended it.
    constexpr int SIGNAL_EXIT_BASE = 128;
    const int signal = PendingInterrupt();
    return signal != 0 ? SIGNAL_EXIT_BASE + signal : 0;
}
