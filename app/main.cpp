#include "app/mfc_vem_sync_app.h"

int main(int argc, char** argv)
{
    CMFCVemSyncApp app(argc, argv);
    return app.InitInstance();
}
