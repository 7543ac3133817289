#include "app/sleep_watch.h"

#include <QDBusConnection>

#include "platform/trace.h"

namespace calvorn::app {

SleepWatch::SleepWatch(Handler on_change) : on_change_(std::move(on_change)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    connected_ = bus.isConnected() && bus.connect(QStringLiteral("org.freedesktop.login1"),
                                                  QStringLiteral("/org/freedesktop/login1"),
                                                  QStringLiteral("org.freedesktop.login1.Manager"),
                                                  QStringLiteral("PrepareForSleep"), this,
                                                  SLOT(OnPrepareForSleep(bool)));
    if (!connected_) {
        platform::Trace("no logind on the system bus: suspend and resume are not seen");
    }
}

void SleepWatch::OnPrepareForSleep(bool suspending) {
    on_change_(suspending);
}

}  // namespace calvorn::app
