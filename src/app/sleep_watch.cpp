#include "app/sleep_watch.h"

#include <QDBusConnection>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/trace.h"

namespace calvorn::app {
namespace {

// Whether a system bus can be there at all. Asking Qt for the bus starts its bus thread, so
// machines without one (containers, build servers) are not asked.
bool SystemBusMayExist() {
    std::error_code error;
    return std::getenv("DBUS_SYSTEM_BUS_ADDRESS") != nullptr ||
           std::filesystem::exists("/run/dbus/system_bus_socket", error) ||
           std::filesystem::exists("/var/run/dbus/system_bus_socket", error);
}

}  // namespace

SleepWatch::SleepWatch(Handler on_change) : on_change_(std::move(on_change)) {
    if (!SystemBusMayExist()) {
        platform::Trace("no system bus: suspend and resume are not seen");
        return;
    }
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
