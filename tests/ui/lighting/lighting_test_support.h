#pragma once

// A window with device pages for the lighting tests: each page is a device that records the
// calls the lighting code makes on it and carries the real lighting panel layout.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/usb_device.h"
#include "discovery/supported_devices.h"
#include "dui/builder.h"
#include "dui/fake_window_host.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "dui/vertical_layout.h"
#include "hid/virtual_hid_backend.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "ui/controls/custom_controls.h"
#include "ui/lighting/light_control_ui.h"
#include "ui/lighting/lighting_handlers.h"

namespace calvorn::ui::testing {

inline constexpr dui::Size kScreen{1920, 1080};

// Records the page operations in call order, e.g. "SetLightParameters", "SaveProfile",
// "RefreshPage", "WriteParameters 0 0 1 1920 1080".
class RecordingDevice : public device::CTalvexUSBDevice {
public:
    RecordingDevice(hid::HidBackend& backend, int kind) : CTalvexUSBDevice(backend) {
        discovery::SupportedDeviceRecord identity;
        identity.kind = static_cast<std::uint16_t>(kind);
        AttachIdentity(identity);
    }

    void SetLightParameters(std::uint32_t first, std::uint32_t second, std::uint32_t third,
                            std::uint32_t fourth) override {
        calls.push_back("SetLightParameters");
        CTalvexUSBDevice::SetLightParameters(first, second, third, fourth);
    }
    void SaveProfile() override { calls.push_back("SaveProfile"); }
    int RefreshPage() override {
        calls.push_back("RefreshPage");
        return 0;
    }
    int WriteParameters(int slot, int active_profile, int flag, int width, int height) override {
        calls.push_back("WriteParameters " + std::to_string(slot) + " " +
                        std::to_string(active_profile) + " " + std::to_string(flag) + " " +
                        std::to_string(width) + " " + std::to_string(height));
        return 1;
    }

    // Byte `index` of the light record (bytes numbered from the first word's low byte).
    std::uint8_t RecordByte(int index) const {
        const device::LightParameters p = LightParams();
        const std::uint32_t words[4] = {p.FirstWord(), p.SecondWord(), p.kind_specific,
                                        p.custom_slot};
        return static_cast<std::uint8_t>(words[index / 4] >> (8 * (index % 4)));
    }
    void SetRecord(std::uint32_t first, std::uint32_t second, std::uint32_t third = 0,
                   std::uint32_t fourth = 0) {
        CTalvexUSBDevice::SetLightParameters(first, second, third, fourth);
    }

    std::vector<std::string> calls;
};

inline const std::vector<std::string> kCommitCalls = {
    "SetLightParameters", "SaveProfile", "RefreshPage", "WriteParameters 0 0 1 1920 1080"};

class LightingWindow : public ::testing::Test {
protected:
    LightingWindow() {
        RegisterCustomControls(context.Factory());
        manager.SetHost(&host);
        auto root = std::make_unique<dui::VerticalLayout>();
        root_ = root.get();
        manager.SetRoot(std::move(root));
        manager.SetWindowSize({800, 600});
    }

    // Adds a device page of `kind` with the lighting panel of the skin.
    RecordingDevice* AddPage(int kind, int layout_type = 1) {
        auto page = std::make_unique<RecordingDevice>(backend, kind);
        std::unique_ptr<dui::Control> built =
            dui::Builder(manager).Build("XML\\CustomControlXML\\LightControl.xml");
        auto* panel = dynamic_cast<CLightControlUI*>(built.get());
        if (panel == nullptr) {
            ADD_FAILURE() << "the lighting panel layout did not build a CLightControlUI";
            return nullptr;
        }
        panel->SetLayoutType(layout_type);
        page->Add(std::move(built));
        auto* raw = static_cast<RecordingDevice*>(root_->Add(std::move(page)));
        manager.UpdateLayout();
        return raw;
    }

    static CLightControlUI& Panel(RecordingDevice* page) {
        CLightControlUI* panel = CLightControlUI::Of(*page);
        EXPECT_NE(panel, nullptr);
        return *panel;
    }

    template <typename T = dui::Control>
    static T* In(RecordingDevice* page, std::string_view name) {
        return dynamic_cast<T*>(Panel(page).FindSubControl(name));
    }

    // Sends notification `type` from `name` in the page's panel to `handlers`.
    static bool Send(LightingHandlers& handlers, RecordingDevice* page, std::string_view type,
                     std::string_view name) {
        dui::Control* sender = Panel(page).FindSubControl(name);
        EXPECT_NE(sender, nullptr) << name;
        dui::Notify notify;
        notify.type = type;
        notify.sender = sender;
        return handlers.HandleNotify(notify);
    }

    hid::VirtualHidBackend backend;
    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    dui::UiContext context{loop, std::filesystem::path(CALVORN_SOURCE_DIR) / "skin"};
    dui::testing::FakeWindowHost host;
    dui::PaintManager manager{context};

private:
    dui::VerticalLayout* root_ = nullptr;
};

}  // namespace calvorn::ui::testing
