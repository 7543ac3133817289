#pragma once

// The notification-area icon. Clicks are reported as the mouse messages the main window
// expects (left button up 514, right button up 517). Where the desktop has no tray the icon
// is simply not shown.

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

namespace calvorn::qt {

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    using ClickHandler = std::function<void(long mouse_message)>;
    TrayIcon(const QIcon& icon, const QString& tooltip, ClickHandler on_click);

    bool IsShown() const { return icon_.isVisible(); }

private:
    QSystemTrayIcon icon_;
    ClickHandler on_click_;
};

// The program's icon, drawn rather than loaded so it exists at every size.
QIcon MakeAppIcon();

}  // namespace calvorn::qt
