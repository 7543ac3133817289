#pragma once

// Runs the program's modal windows (the message window) as native Qt windows with a nested
// event loop, which keeps the platform loop, the device timers and the scanner's sends moving
// while the user answers.

#include <QEventLoop>
#include <QString>
#include <map>
#include <string_view>

#include "qt/host_window.h"
#include "shell/message_prompt.h"

namespace calvorn::app {

class QtModalRunner final : public shell::IModalRunner {
public:
    void RunModal(dui::PaintManager& window, std::string_view title) override {
        qt::HostWindow host(window, qt::HostWindow::Kind::kTopLevel);
        host.setWindowTitle(QString::fromUtf8(title.data(), static_cast<int>(title.size())));
        host.setWindowModality(Qt::ApplicationModal);
        host.SetCaptionHeight(window.Scale(40));
        QEventLoop loop;
        loops_[&window] = &loop;
        host.SetCloseHandler([&loop] { loop.quit(); });
        host.CenterOnScreen();
        host.show();
        loop.exec();
        loops_.erase(&window);
    }

    void EndModal(dui::PaintManager& window) override {
        const auto it = loops_.find(&window);
        if (it != loops_.end()) {
            it->second->quit();
        }
    }

private:
    std::map<dui::PaintManager*, QEventLoop*> loops_;
};

}  // namespace calvorn::app
