#pragma once

// `CTalvexKeyboardDevice` ("TalvexKeyboardDevice"): the page and device object of an attached
// keyboard. On top of the device base it
// - gates the table reads and the profile push by firmware version (kKeyboardModels);
// - reads the key table and the LED table and maps them onto the 126 logical keys
//   (`kDefaultKeyboardKeys`): the position map (logical key -> key-table position) and the
//   LED map (logical key -> LED index), 255 where the keyboard has no such key;
// - owns the keyboard's profile document (`CKeyboardProfiledata`) in the user device folder;
// - reads and writes the 26-byte settings page (keyboard_settings_page.h), the key table,
//   the macro image (event_image.h) and the custom per-key light blocks;
// - runs the keyboard's light thread over the keyboard light effects, and turns the
//   keyboard's key reports into key reactions.
//
// The main window creates it for the layout class "TalvexKeyboardDevice" with the same
// argument as the device base, fills it like any device page, and on message 3328 applies
// the profile: LoadCurrentProfile, WriteParameters(0, 0, 1, w, h), WriteMacros and
// WriteKeyList(0).
//
// Threads: everything runs on the UI thread except the light thread, which reads the active
// light record (locked) and the primary channel's flags (atomic) and writes the colour array
// (atomic records).

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/key_codes.h"
#include "device/keyboard_light_driver.h"
#include "device/keyboard_settings_page.h"
#include "device/light_parameters.h"
#include "device/usb_device.h"
#include "storage/keyboard_profiledata.h"
#include "storage/light_presets.h"
#include "storage/profile_records.h"

namespace calvorn::device {

inline constexpr std::size_t kKeyTableImageBytes = 512;
inline constexpr std::size_t kLedTableImageBytes = 512;
inline constexpr std::size_t kCustomLightBlockBytes = 512;
inline constexpr int kUnmapped = 255;
// Device information block: number of key positions, macro capacity in 128-byte units.
inline constexpr std::size_t kInfoKeyCountByte = 5;
inline constexpr std::size_t kInfoMacroCapacityByte = 6;
// The custom light effect: per-key colours from the profile.
inline constexpr std::uint8_t kCustomLightEffect = 20;
// The logical key of the Fn key; it cannot be reassigned on the key tab.
inline constexpr int kFnLogicalKey = 110;
// The selector-entry timer that reads the parameters after the keyboard asked for it.
inline constexpr std::uint32_t kParameterReadTimer = 1002;
inline constexpr platform::Millis kKeyboardParameterReadDelay{100};
// Consumer usages of the keyboard: a second parameter-read request, and key press and release
// reports (+ key position).
inline constexpr std::uint16_t kUsageKeyboardReadRequest = 0x0402;
inline constexpr std::uint16_t kUsageKeyPressBase = 0x0500;
inline constexpr std::uint16_t kUsageKeyReleaseBase = 0x0600;

// The keyboard options the page's option controls change.
enum class KeyboardOption {
    kWinLock,      // "winlockflag_option": sent
    kWFlag,        // "wflag_option": sent
    kKey6Flag,     // "6flag_option": sent
    kPollingRate,  // "polling_rate_option_" + i: sent
    kRepeatDelay,  // "repeat_delay_check_" + i: stored only
    kRepeatRate,   // "repeat_rate_slider": stored only
};

class CTalvexKeyboardDevice : public CTalvexUSBDevice {
public:
    // The backend must outlive the device.
    explicit CTalvexKeyboardDevice(hid::HidBackend& backend);
    // Stops the light thread before the members it reads go.
    ~CTalvexKeyboardDevice() override;

    std::string_view GetClass() const override { return "TalvexKeyboardDevice"; }

    // --- profile ---
    // The identifier of the current profile (handed over by the profile panel). Until one is
    // given, the profile list's selected profile is used (made on first use).
    void SetProfileIdentifier(std::string_view identifier) { profile_identifier_ = identifier; }
    // The profile file of the current profile; empty when none can be named.
    std::filesystem::path CurrentProfilePath() const;
    storage::CKeyboardProfiledata& Document() { return document_; }

    // --- what attach and the reads found ---
    const std::array<std::uint8_t, kKeyTableImageBytes>& KeyTableImage() const {
        return key_table_image_;
    }
    const std::array<std::uint8_t, kLedTableImageBytes>& LedTableImage() const {
        return led_table_image_;
    }
    bool KeyTableRead() const { return key_table_read_; }
    // Key-table position / LED index of logical key `key`; kUnmapped when it has none.
    int PositionOf(int key) const;
    int LedOf(int key) const;
    const KeyboardSettingsPage& SettingsPage() const { return settings_page_; }
    const KeyboardOptions& Options() const { return options_; }
    const std::vector<storage::KeyAssignmentPair>& KeyList() const { return key_list_; }
    // The light record the light thread animates. Any thread.
    LightParameters ActiveLight() const { return active_light_.Load(); }
    // The layout variant bound at attach; -1 before or for products without one.
    int LayoutVariant() const { return layout_variant_; }
    const KeyInfoList& KeyInfo() const { return key_info_; }
    const std::vector<std::string>& MacroNames() const { return macro_names_; }
    const storage::LightNameLists& LightNames() const { return light_names_; }

    // --- option controls ---
    // Stores an option in the system words and saves the profile; the options the keyboard
    // knows are also written to it (WriteParameters). For kPollingRate and kRepeatDelay
    // `value` is the option index, for kRepeatRate the slider value, otherwise 0 or 1.
    void SetKeyboardOption(KeyboardOption option, int value);

    // --- custom lighting ---
    // Paints logical key `key` with the light setting's colour while the custom effect runs:
    // stores the group's colours, saves, and sends the group's light block (not over
    // wireless links). False when nothing was painted or the send failed.
    bool PaintCustomKey(int key);
    // Every key takes the static colour (`on`) or black; stored, saved and sent as above.
    bool CustomFill(bool on);

    // Selects tab `v` of "keyboard_device_key_layout" and binds the key buttons of its
    // "keyboard_device_key_light_" + v.
    void BindLayoutVariant(int variant);

    // The current effect's reaction to a press or release of logical key `key` (a key report
    // runs it for press and then release, or for release).
    virtual void KeyReaction(int key, bool press);

    // --- device base operations ---
    // Binds the key buttons of "keyboard_device_key_light_0" and links the page's lighting
    // panel ("LightControlItem"). A page without a layout path binds nothing.
    void BindPage() override;
    int RefreshPage() override;
    void SendLightFrame() override;
    void SyncFromDevice() override;
    void ReadParameters() override;
    int LoadCurrentProfile() override;
    void ApplyProfile() override;
    void ValidateMacroKeys() override;
    void RestoreDefaults() override;
    int WriteKeyTable(int slot, std::span<const std::uint32_t> key_list) override;
    int WriteKeyList(int slot) override;
    int WriteMacros() override;
    int WriteParameters(int slot, int active_profile, int flag, int screen_width,
                        int screen_height) override;
    void PrepareUserData() override;
    void SelectFunctionTab(int tab) override;
    void LoadProfile() override;
    std::string GetProfileName() const override;
    void SaveProfile() override;
    void SetViewValue(int value) override;
    void SetLightParameters(std::uint32_t first, std::uint32_t second, std::uint32_t third,
                            std::uint32_t fourth) override;
    void OnConsumerNotice(std::uint16_t usage) override;

private:
    void ReadKeyTables();
    void BuildKeyMaps();
    // The part of an effect change that needs the profile: the custom effect takes its
    // group's colours from the profile into the colour array.
    void PrepareEffect(const LightParameters& record);
    void RebuildKeyInfo();
    void ShowOptions();
    // Sends the custom group's light block from the colour array; true when sent.
    bool SendCustomFrame(bool scale_by_brightness);
    void StoreCustomColours();
    std::vector<std::uint32_t> KeyListCodes() const;
    // The logical key whose key-table position is `position`; -1 for none.
    int LogicalKeyAtPosition(int position) const;

    std::array<std::uint8_t, kKeyTableImageBytes> key_table_image_{};
    std::array<std::uint8_t, kLedTableImageBytes> led_table_image_{};
    bool key_table_read_ = false;
    SharedLightParameters active_light_;
    KeyboardSettingsPage settings_page_{};
    KeyboardOptions options_;
    std::vector<storage::KeyAssignmentPair> key_list_;
    storage::CKeyboardProfiledata document_;
    std::string profile_identifier_;
    int layout_variant_ = -1;
    KeyInfoList key_info_;
    std::vector<std::string> macro_names_;
    storage::LightNameLists light_names_;
    std::unique_ptr<KeyboardLightDriver> light_driver_;
    LightFrameMark light_frames_;  // the preview frames, for the light thread's pace
};

}  // namespace calvorn::device
