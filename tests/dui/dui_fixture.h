#pragma once

// A headless window for UI-layer tests: a fake clock and UI loop, a temporary skin folder, a
// context, one paint manager with a FakeWindowHost, and a log of its notifications.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dui/builder.h"
#include "dui/control.h"
#include "dui/fake_window_host.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"

namespace calvorn::dui::testing {

// A skin folder under the system temporary folder, removed at the end of the test.
class TempSkin {
public:
    TempSkin() {
        static std::atomic<int> counter{0};
        root_ = std::filesystem::temp_directory_path() /
                ("calvorn_dui_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(root_);
    }
    ~TempSkin() {
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
    TempSkin(const TempSkin&) = delete;
    TempSkin& operator=(const TempSkin&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // Writes a file under the skin folder, creating its folders.
    void Write(std::string_view relative, std::string_view content) const {
        const std::filesystem::path path = root_ / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

private:
    std::filesystem::path root_;
};

struct NotifyLog : INotifyReceiver {
    struct Entry {
        std::string type;
        std::string name;
        platform::WParam wparam;
        platform::LParam lparam;
    };
    std::vector<Entry> entries;

    void OnNotify(Notify& notify) override {
        entries.push_back({notify.type, notify.sender != nullptr ? notify.sender->GetName() : "",
                           notify.wparam, notify.lparam});
    }
    // "type:name" of every notification except timers, in order.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const Entry& entry : entries) {
            if (entry.type != "timer") {
                lines.push_back(entry.type + ":" + entry.name);
            }
        }
        return lines;
    }
    int Count(std::string_view type, std::string_view name = {}) const {
        int count = 0;
        for (const Entry& entry : entries) {
            if (entry.type == type && (name.empty() || entry.name == name)) {
                ++count;
            }
        }
        return count;
    }
    void Clear() { entries.clear(); }
};

class DuiTest : public ::testing::Test {
protected:
    DuiTest() {
        manager.SetHost(&host);
        manager.AddNotifier(&log);
    }

    // Builds `xml` as the window's layout, sizes the window and lays it out.
    Control* Load(std::string_view xml, Size size = {400, 300},
                  const CreateCallback& callback = {}) {
        std::unique_ptr<Control> root = Builder(manager).BuildFromString(xml, callback);
        if (!root) {
            ADD_FAILURE() << "layout did not build";
            return nullptr;
        }
        manager.SetRoot(std::move(root));
        manager.SetWindowSize(size);
        manager.UpdateLayout();
        return manager.GetRoot();
    }

    template <typename T = Control>
    T* Find(std::string_view name) {
        return dynamic_cast<T*>(manager.FindControl(name));
    }

    static Point Center(const Control* control) {
        const Rect& r = control->GetPos();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    // Button down and up at `point` of `window`, after moving there.
    static void ClickAt(PaintManager& window, Point point, unsigned modifiers = 0) {
        window.OnMouseMove(point, modifiers);
        window.OnButtonDown(point, modifiers);
        window.OnButtonUp(point, modifiers);
    }
    void Click(const Control* control, unsigned modifiers = 0) {
        ClickAt(manager, Center(control), modifiers);
    }

    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    TempSkin skin;
    UiContext context{loop, skin.Root()};
    FakeWindowHost host;
    PaintManager manager{context};
    NotifyLog log;
};

}  // namespace calvorn::dui::testing
