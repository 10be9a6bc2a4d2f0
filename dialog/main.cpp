// MFCVemSync: the dialog program, with interrupt clean-up installed first.
#include "dialog/mfc_vem_sync_app.h"
#include "platform/temp_registry.h"

int main(int argc, char** argv)
{
    // A session that ends under the dialog (SIGHUP), or SIGINT / SIGTERM,
    // takes the command's temporary files with it.
    InstallInterruptCleanup();
    CMFCVemSyncApp app(argc, argv);
    return app.InitInstance();
}
