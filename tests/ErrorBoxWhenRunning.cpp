// Linked with the program's own start-up (app/main.cpp): once the event loop
// runs, an error of the program's own escapes from it, as one from the
// framework would. The program must show it in its error box and, once the
// box is closed, end with status 0; an error that ended the program instead
// would end it with a signal, and one that was swallowed ends it with 1.

#include "platform/Exception.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char ErrorText[] = "The form could not be shown.";
bool boxShown = false;

// After main returns: status 0 only if the box was shown.
void RequireTheBox()
{
    if (!boxShown) {
        (void)std::fputs("the program ended without showing the error in its error box\n", stderr);
        std::_Exit(1);
    }
}

void RaiseAnErrorOnceRunning()
{
    // Waits for the error box, checks it and presses its OK button.
    auto* boxCloser = new QTimer(qApp);
    QObject::connect(boxCloser, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (box->windowTitle() != QLatin1String("dnspeek") || box->text() != QLatin1String(ErrorText))
            qFatal("the error box says \"%s\": \"%s\"", qPrintable(box->windowTitle()), qPrintable(box->text()));
        std::puts("the error box showed the error");
        boxShown = true;
        box->button(QMessageBox::Ok)->click();
    });
    if (std::atexit(RequireTheBox) != 0)
        qFatal("the check of the error box could not be set up");
    boxCloser->start(10);
    QTimer::singleShot(0, [] { throw dnspeek::Exception(ErrorText); });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(RaiseAnErrorOnceRunning)
