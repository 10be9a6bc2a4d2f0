// The dialog tests need one QApplication for the whole run. Listing the
// tests (as CTest does while it builds) needs none, and so no display.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "dialog/app_resources.h"
#include "tests/support/posix_compat.h"

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
    // The dialog's settings go to a folder of the run's own, never to the
    // user's (on Windows they go to the registry of the test's wine prefix).
    std::string config = (std::filesystem::temp_directory_path() / "dialog-tests-config-XXXXXX").string();
    if (::mkdtemp(config.data()) == nullptr)
        return 1;
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QApplication app(argc, argv);
    // As the program runs: Qt's own windows speak Russian.
    InstallQtTranslations(app);
    const int status = RUN_ALL_TESTS();
    std::filesystem::remove_all(config);
    return status;
}
