#include "qt/tray_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace calvorn::qt {
namespace {

constexpr long kLeftButtonUp = 514;
constexpr long kRightButtonUp = 517;

}  // namespace

TrayIcon::TrayIcon(const QIcon& icon, const QString& tooltip, ClickHandler on_click)
    : icon_(icon), on_click_(std::move(on_click)) {
    icon_.setToolTip(tooltip);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (!on_click_) {
                    return;
                }
                if (reason == QSystemTrayIcon::Trigger) {
                    on_click_(kLeftButtonUp);
                } else if (reason == QSystemTrayIcon::Context) {
                    on_click_(kRightButtonUp);
                }
            });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        icon_.show();
    }
}

QIcon MakeAppIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(0, 0, size, size);
        QPainterPath body;
        body.addRoundedRect(frame.adjusted(size * 0.04, size * 0.04, -size * 0.04, -size * 0.04),
                            size * 0.22, size * 0.22);
        painter.fillPath(body, QColor(0x15, 0x18, 0x1E));
        // A "C" ring in the accent colour, open to the right.
        QPen pen(QColor(0x2E, 0xC5, 0xFF), size * 0.14, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        const QRectF ring = frame.adjusted(size * 0.26, size * 0.26, -size * 0.26, -size * 0.26);
        painter.drawArc(ring, 45 * 16, 270 * 16);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace calvorn::qt
