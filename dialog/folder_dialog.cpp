// The folder chooser of the whole-controller backup and restore.
#include "dialog/folder_dialog.h"

#include <QFileInfo>

#include "dialog/window_placement.h"

CFolderDialog::CFolderDialog(QWidget* parent, const QString& title, const QString& start,
                             bool takesNewName)
    : QFileDialog(parent, title, start), m_takesNewName(takesNewName)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    FitIntoScreen(*this, parent);
}

void CFolderDialog::accept()
{
    const QStringList chosen = selectedFiles();
    if (m_takesNewName && chosen.size() == 1) {
        const QFileInfo info(chosen.first());
        // Nothing of that name, not even a link that leads nowhere: Qt's own
        // dialog would refuse it as not found.
        if (!info.exists() && !info.isSymLink() && QFileInfo(info.absolutePath()).isDir()) {
            QDialog::accept();
            return;
        }
    }
    QFileDialog::accept();
}
