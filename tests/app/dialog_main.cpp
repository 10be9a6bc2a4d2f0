// The dialog tests need one QApplication for the whole run. Listing the
// tests (as CTest does while it builds) needs none, and so no display.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/app_resources.h"

namespace {

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform says so whenever a window is raised or a popup
// grabs the keyboard; neither matters to a test.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    g_defaultHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    // As the program runs: Qt's own windows speak Russian.
    InstallQtTranslations(app);
    return RUN_ALL_TESTS();
}
