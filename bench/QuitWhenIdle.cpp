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
#include <utility>

namespace {

// VmHWM from /proc/self/status, in kB.
std::string PeakResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:"))
            return line.substr(line.find_first_not_of(" \t", 6));
    return "0";
}

// Counts paints from the window's first one on, and looks again from a zero
// timer, which runs once the events already queued are done: a look that
// finds no paint since the last means the window is drawn and the loop idle.
class TIdleWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        ++paints_;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (!looking_ && widget != nullptr && widget->isWindow()) {
            looking_ = true;
            LookAgain();
        }
        return false;
    }

private:
    void LookAgain()
    {
        QTimer::singleShot(0, this, [this] {
            if (std::exchange(paints_, 0) > 0) {
                LookAgain();
                return;
            }
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            (void)std::printf("%lld %s\n", static_cast<long long>(now.count()), PeakResidentKilobytes().c_str());
            (void)std::fflush(stdout);
            QCoreApplication::quit();
        });
    }

    bool looking_ = false;
    int paints_ = 0;
};

void WatchForIdle()
{
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new TIdleWatcher(application));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForIdle)
