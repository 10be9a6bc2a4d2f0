#pragma once

#include <QIcon>
#include <QString>

// The application icon (resource 128).
QIcon AppIcon();
// The text of the About item (string 101).
QString AboutMenuText();
