// Linked into the start-up probes only: once the first window has been
// painted and the event loop has nothing left to do, writes the steady clock
// reading and the peak resident memory so far to standard output and quits,
// so that start-up can be measured from outside without the program itself
// knowing.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// VmHWM from /proc/self/status, in kB.
std::string PeakResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string field;
    std::string value;
    while (status >> field >> value)
        if (field == "VmHWM:")
            return value;
    return "0";
}

class TIdleWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget != nullptr && widget->isWindow()) {
            QCoreApplication::instance()->removeEventFilter(this);
            // A zero timer runs once the events already queued are done.
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("%lld %s\n", static_cast<long long>(now.count()), PeakResidentKilobytes().c_str());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }
};

void WatchForIdle()
{
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new TIdleWatcher(application));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForIdle)
