// The application's icon and texts, and Qt's Russian catalogue, from its resources.
#include "dialog/app_resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTranslator>

// The resources live in a static library; nothing else would pull them in.
// Q_INIT_RESOURCE must stand outside any namespace.
static void InitResources()
{
    Q_INIT_RESOURCE(mfcvemsync);
    Q_INIT_RESOURCE(qt_translations);
    Q_INIT_RESOURCE(icons);
}

QIcon AppIcon()
{
    InitResources();
    // One drawing (SVG) where Qt reads SVG, pictures of several sizes where
    // it does not (the Windows build).
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files))
        icon.addFile(icons.filePath(name));
    return icon;
}

QString AboutMenuText()
{
    InitResources();
    QFile file(QStringLiteral(":/strings/101"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

void InstallQtTranslations(QCoreApplication& app)
{
    InitResources();
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral(":/translations/qtbase_ru.qm")))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
