// CMFCVemSyncApp: the application object that shows the main dialog modally.
#pragma once

#include <QApplication>

// The application object: shows the main dialog modally and ends the program
// when it closes.
class CMFCVemSyncApp {
public:
    CMFCVemSyncApp(int& argc, char** argv);
    int InitInstance();

private:
    QApplication m_app;
};
