#include "ui/lighting/lighting_handlers.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "device/usb_device.h"
#include "discovery/device_attach.h"
#include "discovery/supported_devices.h"
#include "dui/check_box.h"
#include "dui/color_palette.h"
#include "dui/combo.h"
#include "dui/slider.h"
#include "ui/lighting/light_control_ui.h"

namespace calvorn::ui {
namespace {

constexpr int kByteMode = 0;
constexpr int kByteBrightness = 1;
constexpr int kByteSpeed = 2;
constexpr int kByteDirection = 3;
constexpr int kByteMultiColor = 4;
constexpr int kByteRed = 5;
constexpr int kByteGreen = 6;
constexpr int kByteBlue = 7;
constexpr int kByteSecondaryMode = 11;

constexpr std::string_view kPresetPrefix = "color_option_";

using Words = std::array<std::uint32_t, 4>;

Words WordsOf(const device::CTalvexUSBDevice& page) {
    const device::LightParameters params = page.LightParams();
    return {params.FirstWord(), params.SecondWord(), params.kind_specific, params.custom_slot};
}

std::uint8_t GetByte(const Words& words, int byte) {
    return static_cast<std::uint8_t>(words[static_cast<std::size_t>(byte / 4)] >> (8 * (byte % 4)));
}

void SetByte(Words& words, int byte, int value) {
    std::uint32_t& word = words[static_cast<std::size_t>(byte / 4)];
    const int shift = 8 * (byte % 4);
    word = (word & ~(0xFFu << shift)) | (static_cast<std::uint32_t>(value & 0xFF) << shift);
}

void SetColorBytes(Words& words, dui::Color color) {
    SetByte(words, kByteRed, static_cast<int>((color >> 16) & 0xFF));
    SetByte(words, kByteGreen, static_cast<int>((color >> 8) & 0xFF));
    SetByte(words, kByteBlue, static_cast<int>(color & 0xFF));
    SetByte(words, kByteMultiColor, 0);
}

// A colour component typed into an edit: the leading decimal number, 0 when there is none
// (an empty or non-numeric text) or it is negative, 255 when it is larger.
int ParseComponent(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        return text.starts_with('-') ? 0 : 255;
    }
    if (error != std::errc() || end == text.data()) {
        return 0;
    }
    return std::clamp(value, 0, 255);
}

bool IsKeyboard(const device::CTalvexUSBDevice& page) {
    return page.Kind() == discovery::DEVICE_KEYBOARD;
}

// The number N of a "color_option_" N name; -1 for other names.
int PresetIndex(std::string_view name) {
    if (!name.starts_with(kPresetPrefix)) {
        return -1;
    }
    name.remove_prefix(kPresetPrefix.size());
    int n = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), n);
    return error == std::errc() && end == name.data() + name.size() ? n : -1;
}

}  // namespace

LightingDeviceLists DeviceListsOf(const discovery::DeviceAttach* attach) {
    if (attach == nullptr) {
        return {};
    }
    return {attach->Keyboards(), attach->Mice(), attach->Mousepads(), attach->Headsets()};
}

LightingHandlers::LightingHandlers(LightingHost host, const platform::Clock& clock)
    : host_(std::move(host)), clock_(clock) {}

LightingHandlers::~LightingHandlers() {
    sync_->ForgetDevices();
}

platform::ThreadSlot::Body LightingHandlers::SyncThreadBody() const {
    return [sync = sync_, &clock = clock_](platform::ManualResetEvent& stop) {
        RunLightingSyncThread(stop, sync, clock);
    };
}

void LightingHandlers::Commit(device::CTalvexUSBDevice& page, const Words& words, bool leave_sync) {
    if (!leave_sync) {
        page.SetSyncLighting(false);
    }
    page.SetLightParameters(words[0], words[1], words[2], words[3]);
    page.SaveProfile();
    page.RefreshPage();
    const dui::Size screen = host_.screen_size ? host_.screen_size() : dui::Size{};
    page.WriteParameters(0, 0, 1, screen.cx, screen.cy);
}

bool LightingHandlers::HandleNotify(const dui::Notify& notify) {
    if (notify.sender == nullptr) {
        return false;
    }
    dui::Control& sender = *notify.sender;
    const std::string& name = sender.GetName();
    const std::string_view type = notify.type;

    enum class Edit {
        kNone,
        kMode,
        kCustomMode,
        kBrightness,
        kSpeed,
        kSecondaryMode,
        kPalette,
        kRed,
        kGreen,
        kBlue,
        kMultiColor,
        kPreset,
        kFirst,
        kSecond,
        kCustomLit,
        kCustomOff,
        kSameMode
    };
    Edit edit = Edit::kNone;
    if (type == "itemselect") {
        if (name == "light_combo_modeSelect") {
            edit = Edit::kMode;
        } else if (name == "light_combo_custommodeSelect") {
            edit = Edit::kCustomMode;
        } else if (name == "light_combo_ZZCCmodeSelect") {
            edit = Edit::kSecondaryMode;
        }
    } else if (type == "valuechanged") {
        if (name == "deng_light_slider") {
            edit = Edit::kBrightness;
        } else if (name == "deng_speed_slider") {
            edit = Edit::kSpeed;
        }
    } else if (type == "colorchanged") {
        if (name == "deng_Color_Pallet") {
            edit = Edit::kPalette;
        }
    } else if (type == "killfocus") {
        if (name == "deng_edit_R") {
            edit = Edit::kRed;
        } else if (name == "deng_edit_G") {
            edit = Edit::kGreen;
        } else if (name == "deng_edit_B") {
            edit = Edit::kBlue;
        }
    } else if (type == "selectchanged") {
        if (name == "deng_7color_check") {
            edit = Edit::kMultiColor;
        } else if (name == "deng_FXL_check") {
            edit = Edit::kFirst;
        } else if (name == "deng_FXR_check") {
            edit = Edit::kSecond;
        }
    } else if (type == "click") {
        if (PresetIndex(name) >= 0) {
            edit = Edit::kPreset;
        } else if (name == "custom_bright_color_btn") {
            edit = Edit::kCustomLit;
        } else if (name == "custom_off_color_btn") {
            edit = Edit::kCustomOff;
        } else if (name == "deng_same_mode") {
            edit = Edit::kSameMode;
        }
    }
    if (edit == Edit::kNone) {
        return false;
    }

    device::CTalvexUSBDevice* page = host_.current_page ? host_.current_page() : nullptr;
    if (page == nullptr) {
        return true;
    }
    CLightControlUI* panel = CLightControlUI::Of(*page);
    Words words = WordsOf(*page);
    auto* combo = dynamic_cast<dui::Combo*>(&sender);
    auto* slider = dynamic_cast<dui::Slider*>(&sender);

    switch (edit) {
        case Edit::kMode:
            if (combo == nullptr || combo->GetCurSel() < 0) {
                return true;
            }
            SetByte(words, kByteMode, combo->GetCurSel());
            if (panel != nullptr) {
                panel->ApplyModeLayout(combo->GetCurSel());
            }
            Commit(*page, words, false);
            return true;
        case Edit::kCustomMode:
            if (IsKeyboard(*page) && combo != nullptr && combo->GetCurSel() >= 0 &&
                host_.select_custom_mode) {
                page->SetSyncLighting(false);
                host_.select_custom_mode(*page, combo->GetCurSel());
                page->SaveProfile();
            }
            return true;
        case Edit::kBrightness:
        case Edit::kSpeed:
            if (slider == nullptr) {
                return true;
            }
            SetByte(words, edit == Edit::kBrightness ? kByteBrightness : kByteSpeed,
                    slider->GetValue());
            Commit(*page, words, false);
            return true;
        case Edit::kSecondaryMode:
            if (!IsKeyboard(*page) || combo == nullptr || combo->GetCurSel() < 0) {
                return true;
            }
            SetByte(words, kByteSecondaryMode, combo->GetCurSel());
            Commit(*page, words, true);
            return true;
        case Edit::kPalette:
            if (auto* palette = dynamic_cast<dui::ColorPalette*>(&sender)) {
                OnColorChosen(*page, panel, palette->GetSelectColor(), false);
            }
            return true;
        case Edit::kRed:
            OnComponentEdited(*page, panel, sender, kByteRed);
            return true;
        case Edit::kGreen:
            OnComponentEdited(*page, panel, sender, kByteGreen);
            return true;
        case Edit::kBlue:
            OnComponentEdited(*page, panel, sender, kByteBlue);
            return true;
        case Edit::kMultiColor:
            if (auto* check = dynamic_cast<dui::CheckBox*>(&sender)) {
                SetByte(words, kByteMultiColor, check->GetCheck() ? 1 : 0);
                Commit(*page, words, false);
            }
            return true;
        case Edit::kPreset:
            OnColorChosen(*page, panel, sender.GetBkColor(), true);
            return true;
        case Edit::kFirst:
        case Edit::kSecond:
            OnDirection(*page, panel, edit == Edit::kFirst);
            return true;
        case Edit::kCustomLit:
        case Edit::kCustomOff:
            if (IsKeyboard(*page) && host_.custom_colouring) {
                host_.custom_colouring(*page, edit == Edit::kCustomLit);
            }
            return true;
        case Edit::kSameMode:
            SameMode();
            return true;
        case Edit::kNone:
            break;
    }
    return false;
}

void LightingHandlers::OnComponentEdited(device::CTalvexUSBDevice& page, CLightControlUI* panel,
                                         dui::Control& edit, int byte) {
    const std::string text = edit.GetText();
    const int value = ParseComponent(text);
    const std::string shown = std::to_string(value);
    if (text != shown) {
        edit.SetText(shown);
    }
    Words words = WordsOf(page);
    SetByte(words, byte, value);
    SetByte(words, kByteMultiColor, 0);
    if (panel != nullptr) {
        panel->ShowColor(0xFF000000u | (static_cast<dui::Color>(GetByte(words, kByteRed)) << 16) |
                         (static_cast<dui::Color>(GetByte(words, kByteGreen)) << 8) |
                         GetByte(words, kByteBlue));
    }
    Commit(page, words, false);
}

void LightingHandlers::OnColorChosen(device::CTalvexUSBDevice& page, CLightControlUI* panel,
                                     dui::Color color, bool leave_sync) {
    const dui::Color opaque = 0xFF000000u | (color & 0x00FFFFFFu);
    Words words = WordsOf(page);
    SetColorBytes(words, opaque);
    if (panel != nullptr) {
        panel->ShowColor(opaque);
    }
    Commit(page, words, leave_sync);
}

void LightingHandlers::OnDirection(device::CTalvexUSBDevice& page, CLightControlUI* panel,
                                   bool first) {
    Words words = WordsOf(page);
    SetByte(words, kByteDirection, first ? 1 : 0);
    if (panel != nullptr) {
        panel->ShowDirection(first);
    }
    Commit(page, words, false);
}

void LightingHandlers::SameMode() {
    device::CTalvexUSBDevice* source = host_.current_page ? host_.current_page() : nullptr;
    if (source == nullptr) {
        return;
    }
    const Words record = WordsOf(*source);
    const std::optional<CommonEffect> effect =
        CommonEffectOf(source->Kind(), GetByte(record, kByteMode));
    if (!effect) {
        return;
    }
    sync_->StoreEffect(SyncEffect{*effect, GetByte(record, kByteBrightness),
                                  GetByte(record, kByteSpeed), GetByte(record, kByteDirection),
                                  GetByte(record, kByteMultiColor), GetByte(record, kByteRed),
                                  GetByte(record, kByteGreen), GetByte(record, kByteBlue)});

    const LightingDeviceLists lists =
        host_.device_lists ? host_.device_lists() : LightingDeviceLists{};
    // Frames reach the mice, mousepads, headsets and then keyboards.
    std::vector<device::CTalvexUSBDevice*> frame_order;
    for (auto list : {lists.mice, lists.mousepads, lists.headsets, lists.keyboards}) {
        frame_order.insert(frame_order.end(), list.begin(), list.end());
    }
    sync_->SetDevices(std::move(frame_order));

    for (auto list : {lists.keyboards, lists.mice, lists.mousepads, lists.headsets}) {
        for (device::CTalvexUSBDevice* device : list) {
            if (device == nullptr || !device->PrimaryChannel().IsOpen()) {
                continue;
            }
            Words words = record;
            words[3] = WordsOf(*device)[3];
            SetByte(words, kByteMode, ModeOfEffect(device->Kind(), *effect));
            device->SetSyncLighting(true);
            if (CLightControlUI* panel = CLightControlUI::Of(*device)) {
                panel->ShowRecord(words[0], words[1], words[2]);
            }
            Commit(*device, words, true);
        }
    }
}

}  // namespace calvorn::ui
