// The application's icon and texts from its resources, and Qt's Russian catalogue.
#include "dialog/app_resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resources live in a static library; nothing else would pull them in.
// Q_INIT_RESOURCE must stand outside any namespace.
static void InitResources()
{
    Q_INIT_RESOURCE(mfcvemsync);
}

QIcon AppIcon()
{
    InitResources();
    return QIcon(QStringLiteral(":/icons/128.svg"));
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
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
