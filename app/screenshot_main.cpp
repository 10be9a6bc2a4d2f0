// Draws the main dialog as a new user first sees it working: connected to a
// controller, program 1 just read. Used by scripts/screenshot.sh for the
// README; run it with QT_QPA_PLATFORM=offscreen.
//
// usage: MFCVemSync-screenshot OUT.png PORT SCRATCH_FOLDER

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>

#include <array>
#include <cstdio>
#include <string>

#include "app/mfc_vem_sync_dlg.h"
#include "link/controller_link.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s OUT.png PORT SCRATCH_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    CControllerLink link(38400, argv[2], 100);
    ControllerInfo info;
    std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> buffer{};
    CMFCVemSyncDlg dlg(link, info, buffer);
    const std::string target = std::string(argv[3]) + "/program1";
    dlg.SetFileChooser([&](FileDialogKind, const std::string&) { return target; });

    auto* kind = dlg.findChild<QComboBox*>(QStringLiteral("comboKind"));
    kind->setCurrentIndex(kind->findText(QStringLiteral("Программа")));
    dlg.OnKindSelChange();
    dlg.findChild<QLineEdit*>(QStringLiteral("editNumber"))->setText(QStringLiteral("1"));
    dlg.show();
    if (link.IsOpen())
        dlg.OnReadClicked();
    QApplication::processEvents();
    if (!dlg.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
