#pragma once

// `CMainWnd`: the program's only top-level window and its switchboard. It builds the main
// layout, starts and stops the device machinery (the scanner in worker slot 0, the lighting
// synchronisation thread in slot 8), fits itself to the screen, lives in the tray until a
// device arrives or the user opens it, answers the messages of the device pages and of other
// processes, runs its timers and routes every UI notification to the current device page, its
// panels or its own features (see notify_routes.h). docs/main-window.md describes the whole
// message table.

#include <array>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

#include "device/usb_device.h"
#include "discovery/device_attach.h"
#include "discovery/scanner_thread.h"
#include "discovery/supported_devices.h"
#include "dui/builder.h"
#include "dui/menu.h"
#include "dui/notify_pump.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"
#include "hid/hid_backend.h"
#include "platform/thread_slot.h"
#include "platform/ui_loop.h"
#include "shell/message_prompt.h"
#include "shell/notify_routes.h"
#include "shell/registered_messages.h"
#include "shell/window_frame.h"
#include "ui/lighting/lighting_handlers.h"

namespace calvorn::shell {

// Window messages the main window answers (Win32 numbers where the protocol has one).
inline constexpr platform::MessageId kMsgActivate = 0x0006;        // wParam 0: deactivated
inline constexpr platform::MessageId kMsgDisplayChange = 0x007E;   // the screen changed
inline constexpr platform::MessageId kMsgPowerBroadcast = 0x0218;  // wParam: kPower*
inline constexpr platform::MessageId kMsgMouseHover = 0x02A1;
inline constexpr platform::MessageId kMsgMouseLeave = 0x02A3;
inline constexpr platform::MessageId kMsgDpiChanged = 0x02E0;  // low word of wParam: DPI
inline constexpr platform::MessageId kMsgTrayIcon = 1025;      // lParam: mouse message
inline constexpr platform::MessageId kMsgInputHook = 1054;     // wParam 1 install, 0 remove
inline constexpr platform::MessageId kMsgDpiTrace = 1224;
inline constexpr platform::MessageId kMsgShowProgress = 3072;   // show "setting_progress"
inline constexpr platform::MessageId kMsgApplyLanguage = 3089;  // wParam: language index
inline constexpr platform::MessageId kMsgOpenSettings = 3093;
inline constexpr platform::MessageId kMsgClearUpdateMark = 3094;
inline constexpr platform::WParam kPowerSuspend = 4;
inline constexpr platform::WParam kPowerResumeAutomatic = 18;
inline constexpr platform::LParam kTrayLeftButtonUp = 514;
inline constexpr platform::LParam kTrayRightButtonUp = 517;

// Timers of the main window (owner timers on the UI loop).
inline constexpr std::uint32_t kTimerFirstFit = 1011;    // 100 ms after "windowinit"
inline constexpr std::uint32_t kTimerTrayMenu = 1032;    // 10 ms after a right click
inline constexpr std::uint32_t kTimerTopmostOff = 1010;  // 10 ms after lifting the window

inline constexpr std::size_t kThreadSlotCount = 20;
inline constexpr std::size_t kScannerSlot = 0;
inline constexpr std::size_t kLightSyncSlot = 8;

// The endpoint of the companion tool that asks for the device table.
inline constexpr std::string_view kCompanionEndpoint = "ViraVide";

struct MainWndOptions {
    // Run the scanner on its own thread in slot 0. Tests that step discovery by hand turn it
    // off and call Scanner()->Cycle() on the UI thread.
    bool scanner_thread = true;
    // The lighting synchronisation thread, started in slot 8 at "windowinit" when given.
    platform::ThreadSlot::Body light_sync;
    // The external firmware updater; it runs in its own folder. Empty: "Update/Pellmor" in
    // the program folder.
    std::filesystem::path updater_program;
    // Makes the device pages by layout class name instead of the built-in classes.
    dui::CreateCallback create_page;
};

class CMainWnd final : public platform::MessageHandler, public dui::NotifyPump {
public:
    // `backend` and `prompt` must outlive the window.
    CMainWnd(dui::UiContext& context, const RegisteredMessages& messages, hid::HidBackend& backend,
             IMessagePrompt& prompt, MainWndOptions options = {});
    ~CMainWnd() override;
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // Builds "XML_MAIN" and creates the window handle. False when the layout cannot be built.
    bool Create();
    void AttachFrame(IWindowFrame* frame) { frame_ = frame; }

    dui::PaintManager& Manager() { return manager_; }
    platform::WindowHandle Handle() const { return handle_; }
    const discovery::DeviceAttach* Devices() const { return attach_.get(); }
    discovery::ScannerThread* Scanner() const { return scanner_.get(); }
    bool IsInitialised() const { return initialised_; }
    bool LightControlOn() const { return light_control_on_; }
    bool SystemAwake() const { return system_awake_; }
    bool FirmwareAccepted() const { return firmware_accepted_; }
    bool IsHovered() const { return hovered_; }
    // The screen size read at "windowinit", passed to every device settings write.
    dui::Size ScreenSize() const { return screen_size_; }

    // The page of the visible, selected entry of the device selector, or null.
    device::CTalvexUSBDevice* CurrentPage() const;

    // Shows the no-device notice as needed, shows and restores the window and lifts it above
    // the others for a moment.
    void BringToFront();
    // Sizes the window for its monitor's DPI and centres it; its visibility stays.
    void FitAndShow();
    // Stops every worker slot (signalled together, then waited for one by one) and removes
    // the device pages. Runs once; the destructor calls it too.
    void Shutdown();

    platform::LResult HandleMessage(platform::WindowHandle window, platform::MessageId message,
                                    platform::WParam wparam, platform::LParam lparam) override;

protected:
    void HandleNotify(dui::Notify& notify) override;

private:
    // The lighting panel's notifications ("light_combo_*", "deng_*", "color_option_" N,
    // "custom_*_color_btn", "deng_same_mode", "colorchanged" on "deng_Color_Pallet"). The
    // lighting panel's handlers connect here.
    void OnLightingNotify(dui::Notify& notify);
    void OnKeyboardOption(const dui::Notify& notify, const std::string& name);

    void OnWindowInit();
    void StartThreads();
    bool HandleSystemMessage(platform::MessageId message, platform::WParam wparam,
                             platform::LParam lparam);
    void OnTrayClick(platform::LParam mouse_message);
    void OpenTrayMenu();
    void OnMenuCommand(const dui::MenuCommand& command);
    void OnLightControlRequest(platform::LParam lparam);
    void SetLightControl(bool on);
    void SetPagesHostLightControl(bool on);
    void SetPagesRepaint(bool on);
    void AnswerDeviceTableQuery();
    void OnGameEvent(platform::WParam wparam, platform::LParam lparam);
    void ApplyProfileToDevice();
    void CheckFirmware(platform::WParam product_id, platform::LParam version);
    void LaunchUpdater();
    void ExitProgram();
    void OnKeyPicked(int key);
    void OnRestoreDefaults();
    void OnOrvumDpiSlider(int index);
    void OnOrvumDpiEdit(int index);
    void LiftAboveOthers();
    void SetNoDeviceNotice(bool shown);
    bool AnyDevicePresent() const;
    std::unique_ptr<dui::Control> CreateControl(std::string_view class_name);
    void StartDeviceDiscovery();
    template <typename Fn>
    void ForEachLightingPage(Fn fn) const;

    dui::UiContext& context_;
    RegisteredMessages messages_;
    hid::HidBackend& backend_;
    IMessagePrompt& prompt_;
    MainWndOptions options_;
    dui::PaintManager manager_;
    platform::WindowHandle handle_ = 0;
    IWindowFrame* frame_ = nullptr;
    std::unique_ptr<dui::Menu> tray_menu_;
    std::shared_ptr<discovery::DeviceList> devices_;
    std::unique_ptr<discovery::DeviceAttach> attach_;
    std::unique_ptr<ui::LightingHandlers> lighting_;
    std::shared_ptr<discovery::ScannerThread> scanner_;
    std::array<std::unique_ptr<platform::ThreadSlot>, kThreadSlotCount> slots_;

    // The game-event messages, registered by name.
    std::array<platform::MessageId, 4> game_messages_{};

    dui::Size screen_size_;
    bool active_ = false;
    bool hovered_ = false;
    bool display_changed_ = false;
    bool light_control_on_ = true;
    bool system_awake_ = true;
    bool firmware_accepted_ = false;
    bool initialised_ = false;
    bool shut_down_ = false;
};

// The registered names that other processes may send to the main window's endpoint: the
// activation, the cooperation messages and the game events.
std::span<const std::string_view> AdmittedMessageNames();

}  // namespace calvorn::shell
