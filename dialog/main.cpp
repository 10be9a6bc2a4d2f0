// MFCVemSync: the dialog program, with interrupt clean-up installed first.
#include "dialog/mfc_vem_sync_app.h"
#include "platform/temp_registry.h"

int main(int argc, char** argv)
{
    // A session that ends under the dialog (SIGHUP), or SIGINT / SIGTERM,
    // lets the block in flight finish and ends the program once the command
    // has said what it left (dialog/interrupted_run.h); a second signal ends
    // it at once and takes the command's temporary files with it.
    InstallDeferredInterrupts();
    CMFCVemSyncApp app(argc, argv);
    return app.InitInstance();
}
