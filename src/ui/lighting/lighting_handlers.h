#pragma once

// `LightingHandlers`: the main window's side of the lighting panel. It turns the panel's
// notifications into changes of the current device page's lighting record: each change is
// stored with SetLightParameters, saved (SaveProfile), shown (RefreshPage) and written to the
// device (WriteParameters with profile 0, first byte 0, flag 1 and the screen size). A change
// takes the page out of synchronised lighting, except a preset colour and the secondary mode.
// It also runs same mode ("deng_same_mode") and owns the values the synchronisation thread
// animates from. UI thread only, except the thread body it hands out.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "dui/event.h"
#include "dui/geometry.h"
#include "platform/clock.h"
#include "platform/thread_slot.h"
#include "ui/lighting/lighting_sync.h"

namespace calvorn::device {
class CTalvexUSBDevice;
}

namespace calvorn::discovery {
class DeviceAttach;
}

namespace calvorn::ui {

class CLightControlUI;

// The main window's device lists by kind.
struct LightingDeviceLists {
    std::span<device::CTalvexUSBDevice* const> keyboards;
    std::span<device::CTalvexUSBDevice* const> mice;
    std::span<device::CTalvexUSBDevice* const> mousepads;
    std::span<device::CTalvexUSBDevice* const> headsets;
};

// The lists of `attach`; all empty without it.
LightingDeviceLists DeviceListsOf(const discovery::DeviceAttach* attach);

// What the handlers need from the main window.
struct LightingHost {
    // The device page shown now; null while none is.
    std::function<device::CTalvexUSBDevice*()> current_page;
    std::function<LightingDeviceLists()> device_lists;
    // The screen size handed to WriteParameters.
    std::function<dui::Size()> screen_size;
    // Keyboard pages: switch to custom lighting mode `index` (the page saves its profile).
    // Unset: the custom mode combo does nothing.
    std::function<void(device::CTalvexUSBDevice& page, int index)> select_custom_mode;
    // Keyboard pages: the custom colouring takes the lit colour (true) or the off colour.
    // Unset: the two buttons do nothing.
    std::function<void(device::CTalvexUSBDevice& page, bool lit)> custom_colouring;
};

class LightingHandlers {
public:
    // `clock` paces the synchronisation thread and must outlive it.
    explicit LightingHandlers(LightingHost host,
                              const platform::Clock& clock = platform::SteadyClock::Instance());
    // Takes the devices away from a synchronisation thread that may still run.
    ~LightingHandlers();
    LightingHandlers(const LightingHandlers&) = delete;
    LightingHandlers& operator=(const LightingHandlers&) = delete;

    // Handles a notification of the lighting panel; false when it is not one.
    bool HandleNotify(const dui::Notify& notify);

    // Same mode from the current page: copies its lighting to every open device and marks
    // them synchronised. A page whose mode has no common effect changes nothing.
    void SameMode();

    // The synchronisation thread's body for the main window's thread slot.
    platform::ThreadSlot::Body SyncThreadBody() const;
    // Call before the device pages are destroyed (after stopping the thread).
    void ForgetDevices() { sync_->ForgetDevices(); }
    const LightingSync& Sync() const { return *sync_; }

private:
    using Words = std::array<std::uint32_t, 4>;

    // Stores `words` on `page` and runs save, refresh and the parameter write.
    void Commit(device::CTalvexUSBDevice& page, const Words& words, bool leave_sync);
    void OnComponentEdited(device::CTalvexUSBDevice& page, CLightControlUI* panel,
                           dui::Control& edit, int byte);
    void OnColorChosen(device::CTalvexUSBDevice& page, CLightControlUI* panel, dui::Color color,
                       bool leave_sync);
    void OnDirection(device::CTalvexUSBDevice& page, CLightControlUI* panel, bool first);

    LightingHost host_;
    const platform::Clock& clock_;
    std::shared_ptr<LightingSync> sync_ = std::make_shared<LightingSync>();
};

}  // namespace calvorn::ui
