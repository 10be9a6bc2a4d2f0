// The folder chooser of the whole-controller backup and restore.
#pragma once

#include <QFileDialog>

// Qt's own folder dialog (the same on every system), sized to the screen.
// One that `takesNewName` also takes the name of a folder not made yet,
// typed in its name field, when the folder it would go in exists: the job
// it is chosen for creates it, and only once there is something to put in.
class CFolderDialog : public QFileDialog {
    Q_OBJECT

public:
    CFolderDialog(QWidget* parent, const QString& title, const QString& start, bool takesNewName);

    void accept() override;

private:
    bool m_takesNewName;
};
