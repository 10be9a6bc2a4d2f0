// Draws the main dialog as a new user sees it working: connected to a
// controller, program 1 being written, the bar counting the blocks; and,
// given TRACE.png, the trace window after that write and a read of the same
// program. Used by scripts/screenshot.sh for the docs; run it with
// QT_QPA_PLATFORM=offscreen.
//
// usage: MFCVemSync-screenshot OUT.png PORT SCRATCH_FOLDER [TRACE.png]

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>

#include "dialog/app_resources.h"
#include "dialog/dialog_messages.h"
#include "dialog/mfc_vem_sync_dlg.h"
#include "dialog/trace_window.h"
#include "link/controller_link.h"

namespace {

// A program of this many words goes in blocks of five; the picture is taken
// when the bar reaches SHOWN_BLOCK.
constexpr int PROGRAM_WORDS = 60;
constexpr int SHOWN_BLOCK = 5;

const char* const WORDS[] = {"G90", "G0", "X12.345F100", "Y-0.500F05", "G1", "Z-2.000F200"};

bool WriteProgram(const std::string& path)
{
    std::ofstream file(path, std::ios::binary);
    for (int i = 0; i < PROGRAM_WORDS - 1; ++i)
        file << WORDS[i % std::size(WORDS)] << "\r\n";
    file << "M30\r\n";
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s OUT.png PORT SCRATCH_FOLDER [TRACE.png]\n", argv[0]);
        return 2;
    }
    const char* tracePicture = argc == 5 ? argv[4] : nullptr;
    QApplication app(argc, argv);
    InstallQtTranslations(app);
    CControllerLink link(38400, argv[2], 100);
    ControllerInfo info;
    std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> buffer{};
    CMFCVemSyncDlg dlg(link, info, buffer);
    const std::string source = std::string(argv[3]) + "/program1.prgVem730";
    if (!link.IsOpen() || !WriteProgram(source)) {
        std::fprintf(stderr, "no controller on %s or no room in %s\n", argv[2], argv[3]);
        return 1;
    }
    const std::string readBack = std::string(argv[3]) + "/read1.prgVem730";
    dlg.SetFileChooser([&](FileDialogKind kind, const std::string&) {
        return kind == FileDialogKind::Open ? source : readBack;
    });

    auto* kind = dlg.findChild<QComboBox*>(QStringLiteral("comboKind"));
    const int program = kind->findText(QString::fromUtf8(DialogMsg::KIND_PROGRAM));
    kind->setCurrentIndex(program);
    Q_EMIT kind->activated(program);
    dlg.findChild<QLineEdit*>(QStringLiteral("editNumber"))->setText(QStringLiteral("1"));
    dlg.show();

    // The worker waits while the window shows each block, so the picture is
    // of the bar at exactly that block.
    bool saved = false;
    auto* bar = dlg.findChild<QProgressBar*>(QStringLiteral("progress"));
    QObject::connect(bar, &QProgressBar::valueChanged, &dlg, [&](int value) {
        if (value == SHOWN_BLOCK && !saved)
            saved = dlg.grab().save(QString::fromLocal8Bit(argv[1]));
    });
    if (tracePicture != nullptr) {
        for (QAction* action : dlg.actions())
            if (action->text() == QString::fromUtf8(DialogMsg::MENU_TRACE))
                action->trigger();
    }
    bool readToo = tracePicture != nullptr;
    QObject::connect(&dlg, &CMFCVemSyncDlg::CommandFinished, &app, [&] {
        // Not quit(), which would close the windows still to be drawn.
        if (!readToo) {
            QApplication::exit(0);
            return;
        }
        readToo = false;
        dlg.findChild<QPushButton*>(QStringLiteral("buttonRead"))->click();
    });
    dlg.findChild<QPushButton*>(QStringLiteral("buttonWrite"))->click();
    app.exec();
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (tracePicture != nullptr) {
        // The last rows come through the event queue.
        QApplication::processEvents();
        auto* trace = dlg.findChild<CTraceWindow*>();
        if (trace == nullptr || !trace->grab().save(QString::fromLocal8Bit(tracePicture))) {
            std::fprintf(stderr, "cannot write %s\n", tracePicture);
            return 1;
        }
    }
    return 0;
}
