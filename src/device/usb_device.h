#pragma once

// `CTalvexUSBDevice`: one device's page in the user interface and, at the same time, the
// owner of that device's two report channels. The keyboard, mouse, mousepad and headset
// classes derive from it and override its virtual operations; the main window creates them by
// layout class name when a device page layout is built, fills them (attach logic) and owns
// them through the page container until shutdown.
//
// What the base provides:
// - the primary channel (vendor collection, every command) and the secondary channel
//   (consumer collection, read only by the `SyncThread`), with their opening and closing;
// - the identity (the device-list entry the device was attached with), kind and channel role;
// - the binding of the page's "DeviceKeyButton" controls to key and LED indexes;
// - the per-LED colour array and the light parameters that the light thread reads;
// - the `SyncThread`, which turns the device's "read my parameters" notice (usage 0x0401 on
//   the consumer collection) into a parameter read 500 ms later on the UI thread;
// - the start and stop of the kind's light thread;
// - the paths of the device's default data and user data.
//
// Threads: everything runs on the UI thread except the `SyncThread` (reads the secondary
// channel, posts to the device's notice window) and the kind's light thread (renders into the
// colour array, reads the light parameters, composes the LED layer records under the
// light-data lock). The colour array and the light parameters are atomic per record and per
// word, so the render path takes no lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/color_array.h"
#include "device/device_base.h"
#include "device/light_engine.h"
#include "device/light_parameters.h"
#include "device/light_reactive.h"
#include "discovery/supported_devices.h"
#include "dui/horizontal_layout.h"
#include "hid/hid_backend.h"
#include "platform/thread_slot.h"
#include "platform/ui_loop.h"
#include "transport/report_transport.h"

namespace calvorn::device {

// Messages a device sends to the main window (blocking).
// After a kind has read the device's current parameters; wParam = profile index.
inline constexpr platform::MessageId kMsgDeviceParametersRead = 3328;
// After a power status poll; wParam = status byte 4.
inline constexpr platform::MessageId kMsgDevicePowerStatus = 3329;
// A keyboard's firmware is too old; wParam = product ID, lParam = firmware version.
inline constexpr platform::MessageId kMsgDeviceFirmwareTooOld = 3331;

// The consumer usage with which a device asks the host to read its parameters again.
inline constexpr std::uint16_t kUsageParameterReadRequest = 0x0401;

inline constexpr std::size_t kDeviceInfoBytes = 34;
inline constexpr std::size_t kLedLayerRecordBytes = 13;
inline constexpr std::size_t kPowerStatusBytes = 6;

class CTalvexUSBDevice : public dui::HorizontalLayout, public platform::MessageHandler {
public:
    // The backend must outlive the device.
    explicit CTalvexUSBDevice(hid::HidBackend& backend);
    // Stops the `SyncThread` and the light thread and closes both channels.
    ~CTalvexUSBDevice() override;

    std::string_view GetClass() const override { return "TalvexUSBDevice"; }

    // --- channels ---
    transport::CReportTransport& PrimaryChannel() { return primary_; }
    transport::CReportTransport& SecondaryChannel() { return *secondary_; }
    // If the secondary channel is closed: opens `path` on it under its io lock (read, write,
    // shared) and (re)starts the `SyncThread`, which idles while the open failed.
    void OpenSecondary(std::string_view path);
    // If the secondary channel is open: stops the `SyncThread`, then closes the channel under
    // its io lock.
    void CloseSecondary();
    bool IsSyncThreadRunning() const { return sync_thread_.HasThread(); }

    // --- set-up by the main window ---
    void SetPageLayoutPath(std::string_view path) { page_layout_path_ = path; }
    const std::string& PageLayoutPath() const { return page_layout_path_; }
    // The receiver of the device's messages. Also creates the device's notice window on the
    // same loop, through which the `SyncThread` reaches the UI thread. Set before the device's
    // threads start: the light thread reads the loop's clock.
    void SetMainWindow(platform::UiLoop* loop, platform::WindowHandle window);
    platform::WindowHandle MainWindow() const { return main_window_; }
    void SetProfileName(std::string_view name) { profile_name_ = name; }
    const std::string& ProfileName() const { return profile_name_; }
    void SetLightName(std::string_view name) { light_name_ = name; }
    const std::string& LightName() const { return light_name_; }
    // Names the device's default-data file and user folder ("keyboard").
    void SetLabel(std::string_view label) { label_ = label; }
    const std::string& Label() const { return label_; }

    // When `count` differs: stores it and resizes the key-button slots.
    void SetKeyCount(int count);
    int KeyCount() const { return key_count_; }
    // When `count` differs: stores it and resizes the LED-button slots, the colour array and
    // the LED layer records. In every case zeroes the colour records and layer records.
    void SetLedCount(int count);
    int LedCount() const { return led_count_; }
    // Stores the power value and forwards it to the power entry, if linked.
    void SetPowerValue(int value);
    int PowerValue() const { return power_value_; }
    // Links the power entry and forwards the power value to it.
    void LinkPowerEntry(IDevicePowerEntry* entry);
    IDevicePowerEntry* PowerEntry() const { return power_entry_; }
    // Stores the selector entry (called by the entry when it links itself to the device).
    void LinkSelectorEntry(IDeviceSelectorEntry* entry) { selector_entry_ = entry; }
    IDeviceSelectorEntry* SelectorEntry() const { return selector_entry_; }
    void SetLightingPanel(ILightingPanel* panel) { lighting_panel_ = panel; }
    ILightingPanel* LightingPanel() const { return lighting_panel_; }
    // The page's "SelectPanel", found by BindPage; null before or when the page has none.
    dui::Control* KeySelectionPanel() const { return key_selection_panel_; }
    // The bound buttons; null where no button is bound.
    dui::Control* KeyButton(int index) const;
    dui::Control* LedButton(int index) const;

    // Copies `record` into the identity; kind and channel role follow it.
    void AttachIdentity(const discovery::SupportedDeviceRecord& record);
    const discovery::SupportedDeviceRecord& Identity() const { return identity_; }
    int Kind() const { return kind_; }
    int ChannelRole() const { return channel_role_; }

    // Whether the application drives the lights. Setting it on a keyboard also tells the
    // keyboard (command 0x1C on the primary channel).
    void SetHostLightControl(bool on);
    bool HostLightControl() const { return host_light_control_.load(); }
    // Repaint the key-selection panel after each light frame.
    void SetRepaintKeyPanel(bool on) { repaint_key_panel_ = on; }
    bool RepaintKeyPanel() const { return repaint_key_panel_; }
    // Set while the host animates this page's lights together with the other devices (same
    // mode); the page's own lighting edits clear it. Written on the UI thread, read by the
    // lighting synchronisation thread.
    void SetSyncLighting(bool on) { sync_lighting_.store(on); }
    bool SyncLighting() const { return sync_lighting_.load(); }

    // --- colours and light parameters (any thread) ---
    ColorArray& Colors() { return colors_; }
    const ColorArray& Colors() const { return colors_; }
    LightParameters LightParams() const;
    // Guards the kind's preset steps between the UI thread and the light thread.
    std::mutex& DeviceLock() { return device_lock_; }
    // Guards the LED layer records (the light effect list) while the light thread composes.
    std::mutex& LightDataLock() { return light_data_lock_; }

    // --- folders ---
    // The folders of the stored data (storage/data_folders.h). Both are empty for a label that
    // could leave its folder.
    // <program folder>/DefaultData/<label>.Json: the shipped default profile.
    std::filesystem::path DefaultDataPath() const;
    // <local application data>/Calvorn/<label>/, created when missing.
    std::filesystem::path UserDataFolder() const;

    // --- virtual operations (the UI calls these; kinds override them) ---

    // Binds the page's key buttons: the first direct child of class "SelectPanel" becomes the
    // key-selection panel; each of its "DeviceKeyButton" children named "key_" + n (any case)
    // becomes key button n, and one whose user data is "light_" + n becomes LED button n and
    // is lit white at full brightness. Indexes outside the slots are ignored. A page without
    // a layout path has no keys and no LEDs.
    virtual void BindPage();
    // Refreshes the page from the profile. Base: nothing, 0.
    virtual int RefreshPage() { return 0; }
    // The base renderers: one step of the effect into the colour array, from the light
    // parameters. Light thread only (the renderer state belongs to it).
    virtual void RenderBreathing() { renderer_.RenderBreathing(colors_, LightParams()); }
    virtual void RenderBreathing4() { renderer_.RenderBreathing4(colors_, LightParams()); }
    virtual void RenderStatic() { LightRenderer::RenderStatic(colors_, LightParams()); }
    virtual void RenderSpectrum() { renderer_.RenderSpectrum(colors_, LightParams()); }
    virtual void RenderBlink();
    virtual void RenderBlink4();
    virtual void RenderOff() { LightRenderer::RenderOff(colors_); }
    // While host light control is on: gives every visible LED button its record's colour
    // and brightness, and streams the frame on the primary channel (not over wireless
    // links). After a failed stream no frame is streamed for 200 ms. UI thread.
    virtual void SendLightFrame();
    // Colour record `index`, ignored outside 0..LED count - 1.
    virtual void SetLedColour(int index, LedColor colour);
    // Colour record `index`, or all zero outside 0..LED count - 1.
    virtual LedColor GetLedColour(int index) const;
    // The full read after the primary channel attached (kinds also start their light
    // thread here). Base: nothing.
    virtual void SyncFromDevice() {}
    // Reads the device's current parameters (the device asked for it). Base: nothing.
    virtual void ReadParameters() {}
    // Reads the 6-byte power status window (command 0x1A) when the primary channel is open;
    // on success marks byte 3 with the wireless flag (the channel's long timeouts), hands the
    // window to the power entry and sends 3329 with byte 4 to the main window. The same for
    // every kind.
    virtual void PollPowerStatus();
    // Loads the current profile document. Base: nothing, 0.
    virtual int LoadCurrentProfile() { return 0; }
    // Brings the device in line with the profile. Base: nothing.
    virtual void ApplyProfile() {}
    // Gives keys assigned to macros that no longer exist their default code back. Base:
    // nothing.
    virtual void ValidateMacroKeys() {}
    // Reloads the shipped default profile and applies it. Base: nothing.
    virtual void RestoreDefaults() {}
    // Sends a key table (assignments as type × 65536 + value 1 × 256 + value 2). Base: 0.
    virtual int WriteKeyTable(int slot, std::span<const std::uint32_t> key_list);
    // Sends the stored key list. Base: 0.
    virtual int WriteKeyList(int slot);
    // Sends the macro image. Base: 0.
    virtual int WriteMacros() { return 0; }
    // Writes the parameter block. Base: 0.
    virtual int WriteParameters(int slot, int active_profile, int flag, int screen_width,
                                int screen_height);
    // Prepares the kind's data files. Base: nothing.
    virtual void PrepareUserData() {}
    // Replaces the third key map with a copy of `map`.
    virtual void SetKeyMapC(const std::map<int, int>& map) { key_map_c_ = map; }
    // Reactive lighting (see ReactiveBuffer).
    virtual void DecayReactive(int key, bool fine);
    virtual void TriggerReactive() { reactive_.TriggerReactive(); }
    virtual void ShiftReactiveQueue(bool forward) { reactive_.ShiftReactiveQueue(forward); }
    virtual void ClearReactive() { reactive_.ClearReactive(); }
    // Stores `tab` and switches the page's "device_function_switch" and
    // "device_key_function_switch" tab layouts (nothing while either is missing).
    virtual void SelectFunctionTab(int tab);
    virtual int GetFunctionTab() const { return function_tab_; }
    // Loads the profile document from its file. Base: nothing.
    virtual void LoadProfile() {}
    // The profile's name. Base: empty.
    virtual std::string GetProfileName() const { return {}; }
    // Writes the profile document to its file. Base: nothing.
    virtual void SaveProfile() {}
    // A kind-specific value from the device-option table.
    virtual void SetViewValue(int value) { view_value_ = value; }
    virtual int GetViewValue() const { return view_value_; }
    // Stores the four light words (kinds also store them in their profile).
    virtual void SetLightParameters(std::uint32_t first, std::uint32_t second, std::uint32_t third,
                                    std::uint32_t fourth);
    // The key being edited, -1 for none.
    virtual void SetSelectedKey(int index) { selected_key_ = index; }
    int SelectedKey() const { return selected_key_; }

    // A consumer usage the `SyncThread` read from the secondary channel, handed over on the UI
    // thread. Base: the parameter-read request (0x0401) starts the selector entry's 500 ms
    // parameter read; other usages do nothing.
    virtual void OnConsumerNotice(std::uint16_t usage);

    // The device's notice window (UI thread).
    platform::LResult HandleMessage(platform::WindowHandle window, platform::MessageId message,
                                    platform::WParam wparam, platform::LParam lparam) override;

protected:
    // Subclasses preset their kind (the headset sets 7).
    void SetKind(int kind) { kind_ = kind; }
    // Starts the kind's light thread after the stop protocol for a running one. The body
    // must only use what outlives an abandoned thread (see ThreadSlot).
    bool StartLightThread(platform::ThreadSlot::Body body);
    void StopLightThread() { light_thread_.Stop(); }
    // Sends a message to the main window (blocking); 0 without one.
    platform::LResult SendToMainWindow(platform::MessageId message, platform::WParam wparam,
                                       platform::LParam lparam);

    // The last block read with ReadDeviceInfo (layout per kind).
    std::array<std::uint8_t, kDeviceInfoBytes> device_info_{};
    // Light composition state, one record per LED, under LightDataLock().
    std::vector<std::array<std::uint8_t, kLedLayerRecordBytes>> led_layers_;
    ReactiveBuffer& Reactive() { return reactive_; }
    // The base renderers' state; light thread only.
    LightRenderer& Renderer() { return renderer_; }
    // The clock of the main window's loop (steady time without one).
    const platform::Clock& DeviceClock() const;
    // The main window's loop; null before SetMainWindow.
    platform::UiLoop* Loop() const { return loop_; }
    // Makes `panel` the key-selection panel and binds its "DeviceKeyButton" children as
    // BindPage describes; earlier bindings are dropped first. A null panel binds nothing.
    void BindKeyButtons(dui::Control* panel);
    // Gives every visible LED button its colour record's colour and brightness.
    void PaintLedButtons();

    // Kind-specific key index maps.
    std::map<int, int> key_map_a_;
    std::map<int, int> key_map_b_;
    std::map<int, int> key_map_c_;

private:
    void StartSyncThread();
    static void SyncThreadBody(platform::ManualResetEvent& stop,
                               const std::shared_ptr<transport::CReportTransport>& channel,
                               platform::UiLoop* loop, platform::WindowHandle notice_window);

    transport::CReportTransport primary_;
    // Shared with the `SyncThread`, so that even an abandoned thread never reads a freed
    // channel.
    std::shared_ptr<transport::CReportTransport> secondary_;

    IDevicePowerEntry* power_entry_ = nullptr;
    IDeviceSelectorEntry* selector_entry_ = nullptr;
    ILightingPanel* lighting_panel_ = nullptr;
    dui::Control* key_selection_panel_ = nullptr;
    dui::Control* function_switch_ = nullptr;
    dui::Control* key_function_switch_ = nullptr;

    std::string page_layout_path_;
    platform::UiLoop* loop_ = nullptr;
    platform::WindowHandle main_window_ = 0;
    platform::WindowHandle notice_window_ = 0;
    std::string profile_name_;
    std::string light_name_;
    std::string label_;

    int kind_ = 0;
    int channel_role_ = 0;
    int key_count_ = 0;
    int led_count_ = 0;
    int selected_key_ = -1;
    int function_tab_ = 1;
    int power_value_ = 0;
    int view_value_ = 0;
    std::vector<dui::Control*> key_buttons_;
    std::vector<dui::Control*> led_buttons_;

    ColorArray colors_;
    std::array<std::atomic<std::uint32_t>, 4> light_words_{};
    LightRenderer renderer_;
    ReactiveBuffer reactive_;
    LightFrame frame_;  // UI thread
    platform::Millis stream_paused_until_{0};
    std::mutex device_lock_;
    std::mutex light_data_lock_;
    std::atomic<bool> host_light_control_{true};
    std::atomic<bool> sync_lighting_{false};
    bool repaint_key_panel_ = true;

    discovery::SupportedDeviceRecord identity_;

    platform::ThreadSlot sync_thread_;
    platform::ThreadSlot light_thread_;
};

}  // namespace calvorn::device
