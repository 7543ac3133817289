#pragma once

// Lets the Qt event loop drive the platform UiLoop: a message queued from any thread wakes the
// Qt loop through a queued call, and the next UiLoop timer is scheduled as a single-shot
// QTimer, so the process sleeps when there is nothing to do.

#include <QObject>
#include <QTimer>
#include <atomic>

#include "platform/ui_loop.h"

namespace calvorn::qt {

class QtLoopDriver final : public QObject {
    Q_OBJECT
public:
    explicit QtLoopDriver(platform::UiLoop& loop, QObject* parent = nullptr);
    ~QtLoopDriver() override;

private:
    void Pump();
    void ScheduleNextTimer();

    platform::UiLoop& loop_;
    QTimer timer_;
    std::atomic<bool> wake_pending_{false};
};

}  // namespace calvorn::qt
