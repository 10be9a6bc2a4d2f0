// The application icon, the About item's text, and Qt's own texts in Russian.
#pragma once

#include <QIcon>
#include <QString>

class QCoreApplication;

// The application icon (resource 128).
QIcon AppIcon();
// The text of the About item (string 101).
QString AboutMenuText();
// Puts Qt's own texts (the file dialogs, the standard buttons and questions)
// into Russian, like the rest of the program, from the catalogue built into
// it, whatever Qt folder the machine has.
void InstallQtTranslations(QCoreApplication& app);
