#include "device/keyboard_device.h"

#include <algorithm>

#include "device/event_image.h"
#include "device/light_keyboard_effects.h"
#include "device/light_tables.h"
#include "device/profile_selection.h"
#include "dui/container.h"
#include "dui/edit.h"
#include "dui/option.h"
#include "dui/paint_manager.h"
#include "dui/progress.h"
#include "dui/tab_layout.h"
#include "dui/ui_context.h"
#include "storage/data_folders.h"
#include "transport/report_protocol.h"

namespace calvorn::device {

namespace {

constexpr std::string_view kLightThreadExitTrace = "KB灯光线程设定退出";
constexpr std::size_t kLogicalKeys = kLogicalKeyCount;
// Key positions whose three bytes fit the 512-byte key table image.
constexpr int kMaxKeyPositions = static_cast<int>(kKeyTableImageBytes / 3);
// LED indexes whose three bytes fit a 512-byte custom light block.
constexpr int kMaxCustomLeds = static_cast<int>(kCustomLightBlockBytes / 3);
constexpr int kOptionCount = 4;  // report-rate and repeat-delay options
constexpr int kRepeatDelayStepMs = 250;
// The lighting panel's mode-to-layout table for keyboards, and its slider ranges: the
// brightness levels of the light engine and the five speed levels of its period row.
constexpr int kKeyboardPanelLayout = 1;
constexpr int kBrightnessMax = static_cast<int>(kBrightnessLevels.size()) - 1;
constexpr int kSpeedMax = 4;

int OptionIndex(int value) {
    return value >= 0 && value < kOptionCount ? value : 0;
}

void SetSelected(dui::Control* control, bool selected) {
    if (auto* option = dynamic_cast<dui::Option*>(control)) {
        option->Selected(selected, false);
    }
}

}  // namespace

CTalvexKeyboardDevice::CTalvexKeyboardDevice(hid::HidBackend& backend)
    : CTalvexUSBDevice(backend),
      light_driver_(std::make_unique<KeyboardLightDriver>(Colors(), active_light_, PrimaryChannel(),
                                                          LightDataLock(), led_layers_)) {
    SetKind(discovery::DEVICE_KEYBOARD);
    for (std::size_t key = 0; key < kLogicalKeys; ++key) {
        key_map_a_[static_cast<int>(key)] = kUnmapped;
        key_map_b_[static_cast<int>(key)] = kUnmapped;
    }
}

CTalvexKeyboardDevice::~CTalvexKeyboardDevice() {
    if (Loop() != nullptr) {
        Loop()->KillTimers(this);
    }
    StopLightThread();
}

// --- profile ---

std::filesystem::path CTalvexKeyboardDevice::CurrentProfilePath() const {
    const std::filesystem::path folder = UserDataFolder();
    const std::string identifier = profile_identifier_.empty()
                                       ? SelectedProfileIdentifier(folder, DefaultDataPath())
                                       : profile_identifier_;
    return storage::ProfileFilePath(folder, identifier);
}

void CTalvexKeyboardDevice::LoadProfile() {
    const std::filesystem::path profile = CurrentProfilePath();
    document_.SetDefaultProfilePath(DefaultDataPath());
    document_.SetProfilePath(profile);
    document_.SetPresetListPath(storage::DataFilePath(UserDataFolder(), LightName(), ".config"));
    document_.Load(profile.empty() ? document_.GetProfilePath() : profile);
}

int CTalvexKeyboardDevice::LoadCurrentProfile() {
    LoadProfile();
    key_list_ = document_.ReadKeyAssignments();
    RefreshPage();
    options_ = KeyboardOptions::FromWords(document_.ReadSystemStages());
    return 1;
}

std::string CTalvexKeyboardDevice::GetProfileName() const {
    return document_.GetProfilePath().string();
}

void CTalvexKeyboardDevice::SaveProfile() {
    document_.Save();
}

void CTalvexKeyboardDevice::SetViewValue(int value) {
    CTalvexUSBDevice::SetViewValue(value);
    document_.SetDeviceIndex(0);
}

void CTalvexKeyboardDevice::SetLightParameters(std::uint32_t first, std::uint32_t second,
                                               std::uint32_t third, std::uint32_t fourth) {
    CTalvexUSBDevice::SetLightParameters(first, second, third, fourth);
    document_.WriteLightInfo(
        LightSettingOfRecord(LightParameters::FromWords(first, second, third, fourth)));
}

int CTalvexKeyboardDevice::RefreshPage() {
    const storage::LightSetting setting = document_.ReadLightInfo();
    const LightParameters record = LightRecordOfSetting(setting);
    CTalvexUSBDevice::SetLightParameters(record.FirstWord(), record.SecondWord(),
                                         record.kind_specific, record.custom_slot);
    const LightParameters previous = active_light_.Load();
    active_light_.Store(record);
    const bool effect_changed = record.mode != previous.mode;
    if (effect_changed) {
        PrepareEffect(record);
    }
    light_driver_->Effects().RequestRefresh(record.mode, effect_changed);
    const std::vector<storage::LightEffectRecord> list = document_.ReadLightList();
    std::lock_guard lock(LightDataLock());
    for (std::size_t i = 0; i < led_layers_.size(); ++i) {
        led_layers_[i] = {};
        if (i < list.size()) {
            const storage::LightEffectRecord& area = list[i];
            led_layers_[i] = {area.mode,        area.brightness,  area.speed,  area.direction,
                              area.multi_color, area.red,         area.green,  area.blue,
                              area.reserved[0], area.reserved[1], area.present};
        }
    }
    light_driver_->Effects().Areas().Reset(led_layers_);
    if (ILightingPanel* panel = LightingPanel()) {
        panel->ShowRecord(record.FirstWord(), record.SecondWord(), record.kind_specific);
    }
    return 1;
}

void CTalvexKeyboardDevice::PrepareEffect(const LightParameters& record) {
    if (record.mode != kCustomLightEffect) {
        return;
    }
    const std::vector<LedColor> colours = document_.ReadCustomColours(
        static_cast<int>(record.custom_slot), static_cast<std::size_t>(LedCount()));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        Colors().Set(i, colours[i]);
    }
}

void CTalvexKeyboardDevice::RestoreDefaults() {
    storage::CKeyboardProfiledata defaults = document_;
    defaults.SetDefaultProfilePath(DefaultDataPath());
    defaults.Load(DefaultDataPath());
    // Without a shipped default there is nothing to restore; the profile stays as it is.
    if (defaults.Document().isNull()) {
        return;
    }
    document_ = defaults;
    key_list_ = document_.ReadKeyAssignments();
    options_ = KeyboardOptions::FromWords(document_.ReadSystemStages());
    RefreshPage();
    SaveProfile();
    ApplyProfile();
}

void CTalvexKeyboardDevice::ValidateMacroKeys() {
    const std::size_t macros = device::MacroNames(UserDataFolder()).size();
    bool changed = false;
    for (storage::KeyAssignmentPair& pair : key_list_) {
        const bool macro_code = pair.code.type == kCodeMacro || pair.code.type == kCodeMacroRepeat;
        if (macro_code && pair.code.value1 >= macros) {
            pair.code = pair.default_code;
            changed = true;
        }
    }
    if (changed) {
        document_.WriteKeyAssignments(key_list_);
        RebuildKeyInfo();
    }
}

void CTalvexKeyboardDevice::PrepareUserData() {
    storage::RefreshLightNames(light_names_,
                               storage::DefaultDataFolder() / storage::kDefaultLightFileName,
                               UserDataFolder() / storage::kPresetListFileName, GetViewValue());
    macro_names_ = device::MacroNames(UserDataFolder());
    if (ILightingPanel* panel = LightingPanel()) {
        panel->SetLayoutType(kKeyboardPanelLayout);
        panel->Configure(light_names_.effect_names, light_names_.effect_visible, kBrightnessMax,
                         kSpeedMax);
        const LightParameters record = LightParams();
        panel->ShowRecord(record.FirstWord(), record.SecondWord(), record.kind_specific);
    }
}

// --- attach and reads ---

void CTalvexKeyboardDevice::SyncFromDevice() {
    transport::CReportTransport& channel = PrimaryChannel();
    bool push = false;
    if (channel.IsOpen()) {
        const hid::HidAttributes& attributes = channel.Device().Attributes();
        if (const std::optional<KeyboardModel> model = KeyboardModelOf(attributes.product_id)) {
            if (attributes.version_number < model->table_read_version) {
                SendToMainWindow(kMsgDeviceFirmwareTooOld, attributes.product_id,
                                 attributes.version_number);
            } else {
                ReadKeyTables();
            }
            push = attributes.version_number >= model->profile_push_version;
        }
    }
    BuildKeyMaps();
    LoadCurrentProfile();
    if (const std::optional<KeyboardModel> model = KeyboardModelOf(Identity().product_id)) {
        BindLayoutVariant(model->layout_variant);
    }
    ReadParameters();
    KeyboardLightDriver* driver = light_driver_.get();
    const platform::Clock* clock = &DeviceClock();
    const LightFrameMark* frames = &light_frames_;
    StartLightThread([driver, clock, frames](platform::ManualResetEvent& stop) {
        RunLightThread(*driver, *clock, stop, kLightThreadExitTrace, frames);
    });
    if (push) {
        SendToMainWindow(kMsgDeviceParametersRead, 0, 0);
    }
}

void CTalvexKeyboardDevice::ReadKeyTables() {
    transport::CReportTransport& channel = PrimaryChannel();
    channel.BeginSession();
    channel.ReadDeviceInfo(device_info_);
    const unsigned keys = device_info_[kInfoKeyCountByte];
    // A refused size ends the read; the session is closed all the same, so the keyboard is
    // not left waiting in it.
    if (channel.SetBlockSize(keys * 3)) {
        key_table_read_ = channel.ReadKeyTable(key_table_image_) == transport::RESULT_OK;
        channel.ReadKeyBytes(led_table_image_);
    }
    channel.EndSession();
}

void CTalvexKeyboardDevice::BuildKeyMaps() {
    const int keys = std::min<int>(device_info_[kInfoKeyCountByte], kMaxKeyPositions);
    for (std::size_t key = 0; key < kLogicalKeys; ++key) {
        const AssignmentCode code = kDefaultKeyboardKeys[key];
        int position = kUnmapped;
        for (int k = 0; k < keys; ++k) {
            const auto at = static_cast<std::size_t>(k) * 3;
            if (key_table_image_[at] == code.type && key_table_image_[at + 1] == code.value1 &&
                key_table_image_[at + 2] == code.value2) {
                position = k;
                break;
            }
        }
        key_map_a_[static_cast<int>(key)] = position;
        key_map_b_[static_cast<int>(key)] =
            position == kUnmapped ? kUnmapped
                                  : led_table_image_[static_cast<std::size_t>(position)];
    }
}

int CTalvexKeyboardDevice::PositionOf(int key) const {
    const auto found = key_map_a_.find(key);
    return found == key_map_a_.end() ? kUnmapped : found->second;
}

int CTalvexKeyboardDevice::LedOf(int key) const {
    const auto found = key_map_b_.find(key);
    return found == key_map_b_.end() ? kUnmapped : found->second;
}

int CTalvexKeyboardDevice::LogicalKeyAtPosition(int position) const {
    for (const auto& [key, at] : key_map_a_) {
        if (at == position && at != kUnmapped) {
            return key;
        }
    }
    return -1;
}

void CTalvexKeyboardDevice::ReadParameters() {
    transport::CReportTransport& channel = PrimaryChannel();
    channel.SetLightHold(false);
    std::array<std::uint8_t, 1> active{};
    KeyboardSettingsPage page{};
    // Only a page that was really read replaces the profile's lighting and options.
    const bool read =
        channel.IsOpen() && channel.ReadParams(active, 0) == transport::RESULT_OK &&
        channel.ReadParams(page, active[0] * kKeyboardPageStride) == transport::RESULT_OK;
    if (read) {
        page[0] = active[0];
        settings_page_ = page;
        settings_page_[16] = 0;
        const LightParameters record = LightRecordOfPage(page);
        storage::LightSetting setting = LightSettingOfRecord(record);
        setting.custom_group = document_.ReadLightInfo().custom_group;
        const LightParameters previous = active_light_.Load();
        active_light_.Store(record);
        if (record.mode != previous.mode) {
            PrepareEffect(record);
            light_driver_->Effects().RequestRefresh(record.mode, true);
        }
        options_ = OptionsAfterReadBack(page, options_);
        const storage::KeyboardSystemWords words = options_.Words();
        document_.WriteSystemStages(words[0], words[1], words[2]);
        document_.WriteLightInfo(setting);
        document_.Save();
    }
    ApplyProfile();
}

void CTalvexKeyboardDevice::ApplyProfile() {
    PrepareUserData();
    RebuildKeyInfo();
    ShowOptions();
}

void CTalvexKeyboardDevice::RebuildKeyInfo() {
    key_info_.Clear();
    const std::size_t count = std::min(key_list_.size(), kLogicalKeys);
    for (std::size_t key = 0; key < count; ++key) {
        key_info_.SetRow(key, std::string(KeyboardKeyName(kDefaultKeyboardKeys[key])),
                         CodeText(key_list_[key].code, macro_names_));
    }
}

void CTalvexKeyboardDevice::ShowOptions() {
    SetSelected(FindSubControl("winlockflag_option"), options_.win_flag != 0);
    SetSelected(FindSubControl("wflag_option"), options_.w_flag != 0);
    SetSelected(FindSubControl("6flag_option"), options_.key6_flag != 0);
    if (auto* slider = dynamic_cast<dui::Progress*>(FindSubControl("repeat_rate_slider"))) {
        slider->SetValue(options_.repeat);
    }
    const int delay = OptionIndex(options_.repeat_delay);
    SetSelected(FindSubControl("repeat_delay_check_" + std::to_string(delay)), true);
    if (dui::Control* label = FindSubControl("repeat_delay_time_label1")) {
        const std::string key = "Repeat_Delay_Time";
        const std::string text =
            GetManager() != nullptr ? GetManager()->Context().Language().Resolve(key) : key;
        label->SetResourceText(false);
        label->SetText(text + std::to_string(kRepeatDelayStepMs * (delay + 1)) + "ms");
    }
    if (auto* edit = dynamic_cast<dui::Edit*>(FindSubControl("repeat_input_richedit"))) {
        edit->SetText("");
        edit->SetTipValue("Repeat_input_text");
    }
    SetSelected(
        FindSubControl("polling_rate_option_" + std::to_string(OptionIndex(options_.polling_rate))),
        true);
}

void CTalvexKeyboardDevice::SetKeyboardOption(KeyboardOption option, int value) {
    const auto half = static_cast<std::uint16_t>(value);
    bool send = true;
    switch (option) {
        case KeyboardOption::kWinLock:
            options_.win_flag = value != 0 ? 1 : 0;
            break;
        case KeyboardOption::kWFlag:
            options_.w_flag = value != 0 ? 1 : 0;
            break;
        case KeyboardOption::kKey6Flag:
            options_.key6_flag = value != 0 ? 1 : 0;
            break;
        case KeyboardOption::kPollingRate:
            options_.polling_rate = half;
            break;
        case KeyboardOption::kRepeatDelay:
            options_.repeat_delay = half;
            send = false;
            break;
        case KeyboardOption::kRepeatRate:
            options_.repeat = half;
            send = false;
            break;
    }
    const storage::KeyboardSystemWords words = options_.Words();
    document_.WriteSystemStages(words[0], words[1], words[2]);
    SaveProfile();
    if (send) {
        WriteParameters(0, 0, 1, 0, 0);
    }
}

// --- writes ---

int CTalvexKeyboardDevice::WriteParameters(int slot, int active_profile, int, int, int) {
    const KeyboardSettingsPage page =
        BuildSettingsPage(static_cast<std::uint8_t>(active_profile), document_.ReadLightInfo(),
                          KeyboardOptions::FromWords(document_.ReadSystemStages()));
    transport::CReportTransport& channel = PrimaryChannel();
    if (channel.IsOpen()) {
        channel.BeginSession();
        channel.WriteParams(page,
                            static_cast<std::size_t>(std::max(slot, 0)) * kKeyboardPageStride);
        channel.EndSession();
    }
    return 1;
}

std::vector<std::uint32_t> CTalvexKeyboardDevice::KeyListCodes() const {
    std::vector<std::uint32_t> codes;
    codes.reserve(key_list_.size());
    for (const storage::KeyAssignmentPair& pair : key_list_) {
        codes.push_back(AssignmentFromCode(pair.code));
    }
    return codes;
}

int CTalvexKeyboardDevice::WriteKeyTable(int slot, std::span<const std::uint32_t> key_list) {
    transport::CReportTransport& channel = PrimaryChannel();
    // Without a key table read from this keyboard there is nothing to lay the assignments
    // over: sending the empty image would clear every key.
    if (!channel.IsOpen() || !key_table_read_) {
        return 0;
    }
    channel.ReadDeviceInfo(device_info_);
    std::array<std::uint8_t, kKeyTableImageBytes> buffer = key_table_image_;
    const std::size_t count = std::min(key_list.size(), kLogicalKeys);
    for (std::size_t key = 0; key < count; ++key) {
        const int position = PositionOf(static_cast<int>(key));
        if (position == kUnmapped || position >= kMaxKeyPositions) {
            continue;
        }
        const AssignmentCode code = CodeFromAssignment(key_list[key]);
        const auto at = static_cast<std::size_t>(position) * 3;
        buffer[at] = code.type;
        buffer[at + 1] = code.value1;
        buffer[at + 2] = code.value2;
    }
    channel.BeginSession();
    channel.WriteKeyTable(buffer, slot);
    channel.EndSession();
    return 1;
}

int CTalvexKeyboardDevice::WriteKeyList(int slot) {
    const std::vector<std::uint32_t> codes = KeyListCodes();
    return WriteKeyTable(slot, codes);
}

int CTalvexKeyboardDevice::WriteMacros() {
    transport::CReportTransport& channel = PrimaryChannel();
    if (channel.IsOpen()) {
        channel.ReadDeviceInfo(device_info_);
    }
    const MacroImage macros =
        BuildMacroImage(UserDataFolder(), device_info_[kInfoMacroCapacityByte]);
    if (macros.result != 0 || macros.image.empty()) {
        return macros.result;
    }
    channel.BeginSession();
    channel.WriteMacroData(macros.image);
    channel.EndSession();
    return 0;
}

// --- custom lighting ---

void CTalvexKeyboardDevice::StoreCustomColours() {
    std::vector<LedColor> colours(static_cast<std::size_t>(LedCount()));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = Colors().Get(i);
    }
    document_.WriteCustomColours(colours, document_.ReadLightInfo().custom_group);
}

bool CTalvexKeyboardDevice::SendCustomFrame(bool scale_by_brightness) {
    transport::CReportTransport& channel = PrimaryChannel();
    if (!channel.IsOpen() || channel.LongTimeout()) {
        return false;
    }
    std::array<std::uint8_t, kCustomLightBlockBytes> frame{};
    for (std::size_t key = 0; key < kLogicalKeys; ++key) {
        const int led = LedOf(static_cast<int>(key));
        if (led == kUnmapped || led >= kMaxCustomLeds) {
            continue;
        }
        const LedColor colour = Colors().Get(key);
        const auto scale = [&](std::uint8_t component) {
            return scale_by_brightness
                       ? static_cast<std::uint8_t>(component * colour.brightness / 256)
                       : component;
        };
        const auto at = static_cast<std::size_t>(led) * 3;
        frame[at] = scale(colour.red);
        frame[at + 1] = scale(colour.green);
        frame[at + 2] = scale(colour.blue);
    }
    const std::size_t size = std::min(key_map_b_.size() * 3, frame.size());
    return channel.WriteCustomLight(std::span(frame.data(), size),
                                    document_.ReadLightInfo().custom_group,
                                    kCustomLightBlockBytes) == transport::RESULT_OK;
}

bool CTalvexKeyboardDevice::PaintCustomKey(int key) {
    if (active_light_.Load().mode != kCustomLightEffect || key < 0 || key >= LedCount()) {
        return false;
    }
    const storage::LightSetting setting = document_.ReadLightInfo();
    LedColor colour = Colors().Get(static_cast<std::size_t>(key));
    colour.red = setting.red;
    colour.green = setting.green;
    colour.blue = setting.blue;
    Colors().Set(static_cast<std::size_t>(key), colour);
    StoreCustomColours();
    SaveProfile();
    return SendCustomFrame(false);
}

bool CTalvexKeyboardDevice::CustomFill(bool on) {
    const storage::LightSetting setting = document_.ReadLightInfo();
    for (std::size_t key = 0; key < static_cast<std::size_t>(LedCount()); ++key) {
        LedColor colour = Colors().Get(key);
        colour.red = on ? setting.red : 0;
        colour.green = on ? setting.green : 0;
        colour.blue = on ? setting.blue : 0;
        Colors().Set(key, colour);
    }
    StoreCustomColours();
    SaveProfile();
    return active_light_.Load().mode == kCustomLightEffect && SendCustomFrame(true);
}

// --- page ---

void CTalvexKeyboardDevice::BindPage() {
    if (PageLayoutPath().empty()) {
        CTalvexUSBDevice::BindPage();
        return;
    }
    BindKeyButtons(FindSubControl("keyboard_device_key_light_0"));
    if (auto* panel = dynamic_cast<ILightingPanel*>(FindSubControl("LightControlItem"))) {
        SetLightingPanel(panel);
    }
}

void CTalvexKeyboardDevice::BindLayoutVariant(int variant) {
    if (auto* layouts =
            dynamic_cast<dui::TabLayout*>(FindSubControl("keyboard_device_key_layout"))) {
        layouts->SelectItem(variant);
    }
    layout_variant_ = variant;
    dui::Control* panel = FindSubControl("keyboard_device_key_light_" + std::to_string(variant));
    if (panel == nullptr) {
        return;
    }
    BindKeyButtons(panel);
    if (SelectorEntry() != nullptr) {
        SelectorEntry()->SetKeySelectionPanel(panel);
    }
}

void CTalvexKeyboardDevice::SelectFunctionTab(int tab) {
    CTalvexUSBDevice::SelectFunctionTab(tab);
    if (dui::Control* fn = KeyButton(kFnLogicalKey); fn != nullptr && (tab == 1 || tab == 2)) {
        fn->SetEnabled(tab == 1);
    }
}

void CTalvexKeyboardDevice::SendLightFrame() {
    if (HostLightControl()) {
        PaintLedButtons();
        light_frames_.Mark(DeviceClock().Now());
    }
}

// --- keyboard notices ---

void CTalvexKeyboardDevice::OnConsumerNotice(std::uint16_t usage) {
    if (usage == kUsageParameterReadRequest || usage == kUsageKeyboardReadRequest) {
        if (Loop() != nullptr) {
            Loop()->SetTimer(
                this, kParameterReadTimer, kKeyboardParameterReadDelay,
                [this] { ReadParameters(); }, platform::UiLoop::TimerMode::kOnce);
        }
        return;
    }
    const bool press = usage >= kUsageKeyPressBase && usage < kUsageKeyReleaseBase;
    const bool release = usage >= kUsageKeyReleaseBase && usage < kUsageKeyReleaseBase + 0x100;
    if (!press && !release) {
        return;
    }
    const int key =
        LogicalKeyAtPosition((usage - (press ? kUsageKeyPressBase : kUsageKeyReleaseBase)));
    if (key < 0) {
        return;
    }
    if (press) {
        KeyReaction(key, true);
    }
    KeyReaction(key, false);
}

void CTalvexKeyboardDevice::KeyReaction(int key, bool press) {
    light_driver_->Effects().KeyReaction(active_light_.Load().mode, static_cast<std::size_t>(key),
                                         press);
}

}  // namespace calvorn::device
