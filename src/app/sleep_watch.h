#pragma once

// Tells the main window when the system goes to sleep and when it wakes, from logind's
// PrepareForSleep signal on the system bus (true before suspending, false after resuming).
// Without a system bus or logind nothing is reported and the program runs as if always awake.

#include <QObject>
#include <functional>

namespace calvorn::app {

class SleepWatch final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(bool suspending)>;
    explicit SleepWatch(Handler on_change);

    bool IsConnected() const { return connected_; }

private slots:
    void OnPrepareForSleep(bool suspending);

private:
    Handler on_change_;
    bool connected_ = false;
};

}  // namespace calvorn::app
