// Linked with the program's own start-up (app/main.cpp): once the event loop
// runs, closes the main window as its close button does, so that a test can
// expect the program to end with status 0. The window must be the desktop
// entry's, matched by the application id.

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

void CloseTheMainWindowOnceRunning()
{
    // A zero timer runs once the event loop does, after the form is shown.
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("Form1") && window->isVisible()) {
                if (QGuiApplication::desktopFileName() != QLatin1String(DNSPEEK_APP_ID))
                    qFatal("the desktop file name is \"%s\", not the application id", qPrintable(QGuiApplication::desktopFileName()));
                window->close();
                return;
            }
        }
        qFatal("the main window is not shown");
    });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(CloseTheMainWindowOnceRunning)
