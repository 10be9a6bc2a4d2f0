// CMFCVemSyncApp: the Qt application set up in Russian, running the main dialog.
#include "dialog/mfc_vem_sync_app.h"

#include "dialog/app_globals.h"
#include "dialog/app_resources.h"
#include "dialog/mfc_vem_sync_dlg.h"

CMFCVemSyncApp::CMFCVemSyncApp(int& argc, char** argv) : m_app(argc, argv)
{
    QApplication::setApplicationName(QStringLiteral("MFCVemSync"));
    InstallQtTranslations(m_app);
}

int CMFCVemSyncApp::InitInstance()
{
    CMFCVemSyncDlg dlg(theLink, theControllerInfo, theTransferBuffer);
    dlg.exec();
    return 0;
}
