#pragma once

// The main window's frame operations over the Qt host window.

#include <QGuiApplication>
#include <QScreen>
#include <functional>

#include "qt/host_window.h"
#include "shell/window_frame.h"

namespace calvorn::app {

class QtWindowFrame final : public shell::IWindowFrame {
public:
    QtWindowFrame(qt::HostWindow& window, std::function<void()> on_close)
        : window_(window), on_close_(std::move(on_close)) {}

    void Show() override { window_.show(); }
    void Hide() override { window_.hide(); }
    bool IsVisible() const override { return window_.isVisible(); }
    bool IsMinimized() const override { return window_.isMinimized(); }
    void Minimize() override { window_.showMinimized(); }
    void Maximize() override { window_.showMaximized(); }
    void Restore() override {
        if (window_.isMinimized() || window_.isMaximized()) {
            window_.showNormal();
        } else {
            window_.show();
        }
        // The offscreen platform (screenshots, tests) has no stacking order to change.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
            window_.raise();
            window_.activateWindow();
        }
    }
    void SetTopmost(bool topmost) override {
        const bool visible = window_.isVisible();
        window_.setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
        if (visible) {
            window_.show();  // changing window flags hides a window
        }
    }
    void CenterOnScreen() override { window_.CenterOnScreen(); }
    dui::Rect MonitorGeometry() const override {
        return ToRect(Screen() != nullptr ? Screen()->geometry() : QRect());
    }
    dui::Rect AvailableGeometry() const override {
        return ToRect(Screen() != nullptr ? Screen()->availableGeometry() : QRect());
    }
    void Close() override { on_close_(); }

private:
    const QScreen* Screen() const {
        return window_.screen() != nullptr ? window_.screen() : QGuiApplication::primaryScreen();
    }
    static dui::Rect ToRect(const QRect& rect) {
        return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    }

    qt::HostWindow& window_;
    std::function<void()> on_close_;
};

}  // namespace calvorn::app
