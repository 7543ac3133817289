#pragma once

// The program's only top-level window: it builds the main layout, answers the messages other
// processes send it (a second start asking it to come to the front), and handles its own
// caption buttons, the tray icon and the tray menu.

#include <memory>

#include "discovery/device_attach.h"
#include "discovery/scanner_thread.h"
#include "discovery/supported_devices.h"
#include "dui/menu.h"
#include "dui/notify_pump.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "hid/hid_backend.h"
#include "platform/thread_slot.h"
#include "platform/ui_loop.h"
#include "shell/registered_messages.h"
#include "shell/window_frame.h"

namespace calvorn::shell {

// Messages the tray icon sends to the main window (lParam is the mouse message).
inline constexpr platform::MessageId kMsgTrayIcon = 1025;
inline constexpr platform::LParam kTrayLeftButtonUp = 514;
inline constexpr platform::LParam kTrayRightButtonUp = 517;

class CMainWnd final : public platform::MessageHandler, public dui::NotifyPump {
public:
    // Devices are found through `backend`, which must outlive the window.
    CMainWnd(dui::UiContext& context, const RegisteredMessages& messages, hid::HidBackend& backend);
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // Builds "XML_MAIN" and creates the window handle. False when the layout cannot be built.
    bool Create();
    void AttachFrame(IWindowFrame* frame) { frame_ = frame; }

    dui::PaintManager& Manager() { return manager_; }
    platform::WindowHandle Handle() const { return handle_; }
    const discovery::DeviceAttach* Devices() const { return attach_.get(); }
    bool IsInitialised() const { return initialised_; }

    // Shows the no-device notice as needed, restores the window and lifts it above the
    // others for a moment.
    void BringToFront();

    platform::LResult HandleMessage(platform::WindowHandle window, platform::MessageId message,
                                    platform::WParam wparam, platform::LParam lparam) override;

protected:
    void HandleNotify(dui::Notify& notify) override;

private:
    void OnWindowInit();
    void OnTrayClick(platform::LParam mouse_message);
    void OpenTrayMenu();
    void OnMenuCommand(const dui::MenuCommand& command);
    void RefreshNoDeviceNotice();
    bool AnyDevicePresent() const;
    std::unique_ptr<dui::Control> CreateControl(std::string_view class_name);
    void StartDeviceDiscovery();
    void StopDeviceDiscovery();

    dui::UiContext& context_;
    RegisteredMessages messages_;
    hid::HidBackend& backend_;
    dui::PaintManager manager_;
    platform::WindowHandle handle_ = 0;
    IWindowFrame* frame_ = nullptr;
    std::unique_ptr<dui::Menu> tray_menu_;
    std::shared_ptr<discovery::DeviceList> devices_;
    std::unique_ptr<discovery::DeviceAttach> attach_;
    std::shared_ptr<discovery::ScannerThread> scanner_;
    // Slot 0 of the main window's worker slots runs the scanner. It pumps the UI loop while it
    // waits, because the scanner may be blocked in a send to this window.
    platform::ThreadSlot scanner_slot_;
    bool initialised_ = false;
};

}  // namespace calvorn::shell
