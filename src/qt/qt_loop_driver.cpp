#include "qt/qt_loop_driver.h"

#include <QCoreApplication>
#include <algorithm>

namespace calvorn::qt {

QtLoopDriver::QtLoopDriver(platform::UiLoop& loop, QObject* parent) : QObject(parent), loop_(loop) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtLoopDriver::Pump);
    loop_.SetWakeCallback([this] {
        // Coalesce wake-ups: one queued pump handles everything queued before it runs.
        if (!wake_pending_.exchange(true)) {
            QMetaObject::invokeMethod(this, &QtLoopDriver::Pump, Qt::QueuedConnection);
        }
    });
    QMetaObject::invokeMethod(this, &QtLoopDriver::Pump, Qt::QueuedConnection);
}

QtLoopDriver::~QtLoopDriver() {
    loop_.SetWakeCallback(nullptr);
}

void QtLoopDriver::Pump() {
    wake_pending_ = false;
    loop_.ProcessPending();
    if (loop_.QuitRequested()) {
        QCoreApplication::exit(loop_.ExitCode());
        return;
    }
    ScheduleNextTimer();
}

void QtLoopDriver::ScheduleNextTimer() {
    const std::optional<platform::Millis> due = loop_.NextTimerDue();
    if (!due) {
        timer_.stop();
        return;
    }
    const auto delay = std::max<platform::Millis::rep>(0, (*due - loop_.GetClock().Now()).count());
    timer_.start(static_cast<int>(std::min<platform::Millis::rep>(delay, 24 * 3600 * 1000)));
}

}  // namespace calvorn::qt
