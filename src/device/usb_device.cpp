#include "device/usb_device.h"

#include <algorithm>
#include <optional>

#include "dui/attributes.h"
#include "dui/container.h"
#include "dui/tab_layout.h"
#include "platform/trace.h"
#include "storage/data_folders.h"
#include "transport/report_protocol.h"

namespace calvorn::device {
namespace {

// Posted by the `SyncThread` to the device's notice window; wParam = the consumer usage.
constexpr platform::MessageId kMsgConsumerNotice = platform::kMsgUser + 1;
constexpr int kStopPollMs = 1;

constexpr std::uint32_t kLedButtonWhite = 0xFFFFFF;
// How long light frames are not streamed after a stream failed.
constexpr platform::Millis kStreamBackOff{200};
constexpr int kLedButtonFullBrightness = 255;

// The slot `name` names under `prefix`, when it lies within `slots`.
std::optional<std::size_t> IndexFor(const std::string& text, std::string_view prefix,
                                    std::size_t slots) {
    const std::optional<dui::IndexedName> split = dui::SplitIndexedName(text);
    if (!split || !dui::EqualsNoCase(split->prefix, prefix) ||
        static_cast<std::size_t>(split->index) >= slots) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(split->index);
}

void SelectTab(dui::Control* control, int index) {
    if (auto* tabs = dynamic_cast<dui::TabLayout*>(control)) {
        tabs->SelectItem(index);
    }
}

}  // namespace

CTalvexUSBDevice::CTalvexUSBDevice(hid::HidBackend& backend)
    : primary_(backend), secondary_(std::make_shared<transport::CReportTransport>(backend)) {}

CTalvexUSBDevice::~CTalvexUSBDevice() {
    sync_thread_.Stop();
    light_thread_.Stop();
    primary_.Close();
    {
        std::lock_guard io(secondary_->IoLock());
        secondary_->Close();
    }
    if (loop_ != nullptr && notice_window_ != 0) {
        loop_->DestroyWindow(notice_window_);
    }
}

void CTalvexUSBDevice::OpenSecondary(std::string_view path) {
    if (secondary_->IsOpen()) {
        return;
    }
    // The stop protocol runs before the open, not after it: it releases the old thread by
    // closing the channel, which must not close the channel opened here.
    sync_thread_.Stop();
    {
        std::lock_guard io(secondary_->IoLock());
        secondary_->SetOpen(secondary_->Device().OpenHidDevice(path, true, true, true, false));
    }
    StartSyncThread();
}

void CTalvexUSBDevice::CloseSecondary() {
    if (!secondary_->IsOpen()) {
        return;
    }
    sync_thread_.Stop();
    std::lock_guard io(secondary_->IoLock());
    secondary_->Close();
}

void CTalvexUSBDevice::StartSyncThread() {
    std::shared_ptr<transport::CReportTransport> channel = secondary_;
    platform::UiLoop* loop = loop_;
    const platform::WindowHandle notice_window = notice_window_;
    sync_thread_.Start(
        [channel, loop, notice_window](platform::ManualResetEvent& stop) {
            SyncThreadBody(stop, channel, loop, notice_window);
        },
        [channel] {
            // Aborts the unlimited read the thread may be blocked in.
            std::lock_guard io(channel->IoLock());
            channel->Device().CloseHidDevice();
        });
}

void CTalvexUSBDevice::SyncThreadBody(platform::ManualResetEvent& stop,
                                      const std::shared_ptr<transport::CReportTransport>& channel,
                                      platform::UiLoop* loop,
                                      platform::WindowHandle notice_window) {
    hid::CHidDevice& device = channel->Device();
    std::vector<std::uint8_t> report;
    while (!stop.Wait(kStopPollMs)) {
        if (!channel->IsOpen()) {
            continue;
        }
        {
            std::lock_guard io(channel->IoLock());
            report.assign(device.Capabilities().input_report_length, 0);
        }
        if (report.empty()) {
            continue;
        }
        // The read runs without the io lock: a stop closes the device under that lock, which
        // releases the read at once.
        const hid::CHidDevice::Transfer read =
            device.ReadHidReport(report.data(), report.size(), -1);
        if (!read.ok) {
            continue;
        }
        std::uint16_t usage = 0;
        {
            std::lock_guard io(channel->IoLock());
            device.DecodeInputReport(report.data(), read.bytes);
            const std::span<const hid::HidReportItem> items = device.InputItems();
            if (!items.empty() && items.front().is_button && !items.front().usages.empty()) {
                usage = items.front().usages.front();
            }
        }
        platform::Trace("接收到自动添加设备的同步信息要求  TEST");
        if (usage == kUsageParameterReadRequest) {
            platform::Trace("接收到自动添加设备的同步信息要求");
        }
        if (usage != 0 && loop != nullptr) {
            loop->PostMessage(notice_window, kMsgConsumerNotice, usage, 0);
        }
    }
    platform::Trace("MS设备同步线程设定退出");
}

platform::LResult CTalvexUSBDevice::HandleMessage(platform::WindowHandle,
                                                  platform::MessageId message,
                                                  platform::WParam wparam, platform::LParam) {
    if (message == kMsgConsumerNotice) {
        OnConsumerNotice(static_cast<std::uint16_t>(wparam));
    }
    return 0;
}

void CTalvexUSBDevice::OnConsumerNotice(std::uint16_t usage) {
    if (usage == kUsageParameterReadRequest && selector_entry_ != nullptr) {
        selector_entry_->StartParameterRead();
    }
}

void CTalvexUSBDevice::SetMainWindow(platform::UiLoop* loop, platform::WindowHandle window) {
    if (loop_ != nullptr && notice_window_ != 0) {
        loop_->DestroyWindow(notice_window_);
        notice_window_ = 0;
    }
    loop_ = loop;
    main_window_ = window;
    if (loop_ != nullptr) {
        notice_window_ = loop_->CreateWindow(this);
    }
}

void CTalvexUSBDevice::SetKeyCount(int count) {
    count = std::max(count, 0);
    if (count != key_count_) {
        key_count_ = count;
        key_buttons_.resize(static_cast<std::size_t>(count), nullptr);
    }
}

void CTalvexUSBDevice::SetLedCount(int count) {
    count = std::max(count, 0);
    const auto size = static_cast<std::size_t>(count);
    if (count != led_count_) {
        led_count_ = count;
        led_buttons_.resize(size, nullptr);
    }
    colors_.SetCount(size);
    std::lock_guard lock(light_data_lock_);
    led_layers_.assign(size, {});
}

void CTalvexUSBDevice::SetPowerValue(int value) {
    power_value_ = value;
    if (power_entry_ != nullptr) {
        power_entry_->ShowPowerLayout(power_value_ != 0);
    }
}

void CTalvexUSBDevice::LinkPowerEntry(IDevicePowerEntry* entry) {
    power_entry_ = entry;
    SetPowerValue(power_value_);
}

dui::Control* CTalvexUSBDevice::KeyButton(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < key_buttons_.size()
               ? key_buttons_[static_cast<std::size_t>(index)]
               : nullptr;
}

dui::Control* CTalvexUSBDevice::LedButton(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < led_buttons_.size()
               ? led_buttons_[static_cast<std::size_t>(index)]
               : nullptr;
}

void CTalvexUSBDevice::AttachIdentity(const discovery::SupportedDeviceRecord& record) {
    identity_ = record;
    kind_ = record.kind;
    channel_role_ = record.channel_role;
}

void CTalvexUSBDevice::SetHostLightControl(bool on) {
    host_light_control_.store(on);
    if (on && kind_ == discovery::DEVICE_KEYBOARD) {
        primary_.SendLightControl();
    }
}

LightParameters CTalvexUSBDevice::LightParams() const {
    return LightParameters::FromWords(light_words_[0].load(std::memory_order_relaxed),
                                      light_words_[1].load(std::memory_order_relaxed),
                                      light_words_[2].load(std::memory_order_relaxed),
                                      light_words_[3].load(std::memory_order_relaxed));
}

void CTalvexUSBDevice::SetLightParameters(std::uint32_t first, std::uint32_t second,
                                          std::uint32_t third, std::uint32_t fourth) {
    light_words_[0].store(first, std::memory_order_relaxed);
    light_words_[1].store(second, std::memory_order_relaxed);
    light_words_[2].store(third, std::memory_order_relaxed);
    light_words_[3].store(fourth, std::memory_order_relaxed);
}

std::filesystem::path CTalvexUSBDevice::DefaultDataPath() const {
    return storage::DefaultProfilePath(label_);
}

std::filesystem::path CTalvexUSBDevice::UserDataFolder() const {
    return storage::UserDeviceFolder(label_);
}

void CTalvexUSBDevice::BindPage() {
    if (page_layout_path_.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
        return;
    }
    dui::Control* select_panel = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        if (GetItemAt(i)->GetClass() == "SelectPanel") {
            select_panel = GetItemAt(i);
            break;
        }
    }
    BindKeyButtons(select_panel);
}

void CTalvexUSBDevice::BindKeyButtons(dui::Control* panel_control) {
    key_selection_panel_ = panel_control;
    std::fill(key_buttons_.begin(), key_buttons_.end(), nullptr);
    std::fill(led_buttons_.begin(), led_buttons_.end(), nullptr);
    auto* panel = dynamic_cast<dui::Container*>(panel_control);
    if (panel == nullptr) {
        return;
    }
    for (int i = 0; i < panel->GetCount(); ++i) {
        dui::Control* button = panel->GetItemAt(i);
        if (button->GetClass() != "DeviceKeyButton") {
            continue;
        }
        if (const auto key = IndexFor(button->GetName(), "key_", key_buttons_.size())) {
            key_buttons_[*key] = button;
        }
        if (const auto led = IndexFor(button->GetUserData(), "light_", led_buttons_.size())) {
            led_buttons_[*led] = button;
            if (auto* light = dynamic_cast<ILedButton*>(button)) {
                light->SetLightColor(kLedButtonWhite, kLedButtonFullBrightness, true);
            }
        }
    }
}

void CTalvexUSBDevice::SetLedColour(int index, LedColor colour) {
    if (index >= 0 && index < led_count_) {
        colors_.Set(static_cast<std::size_t>(index), colour);
    }
}

LedColor CTalvexUSBDevice::GetLedColour(int index) const {
    if (index < 0 || index >= led_count_) {
        return {};
    }
    return colors_.Get(static_cast<std::size_t>(index));
}

void CTalvexUSBDevice::RenderBlink() {
    renderer_.RenderBlink(colors_, LightParams(), DeviceClock().Now());
}

void CTalvexUSBDevice::RenderBlink4() {
    renderer_.RenderBlink4(colors_, LightParams(), DeviceClock().Now());
}

void CTalvexUSBDevice::SendLightFrame() {
    if (!host_light_control_.load()) {
        return;
    }
    BuildLightFrame(colors_, frame_);
    PaintLedButtons();
    if (primary_.LongTimeout()) {
        return;
    }
    // A failing device is given a rest instead of a frame every 50 ms; the UI thread is not
    // held up meanwhile.
    const platform::Millis now = DeviceClock().Now();
    if (now < stream_paused_until_) {
        return;
    }
    const int result = primary_.StreamLightFrame(std::span(frame_.bytes.data(), frame_.size));
    if (result != transport::RESULT_OK) {
        stream_paused_until_ = now + kStreamBackOff;
    }
}

void CTalvexUSBDevice::PaintLedButtons() {
    const int count = std::min(led_count_, static_cast<int>(led_buttons_.size()));
    for (int i = 0; i < count; ++i) {
        dui::Control* button = led_buttons_[static_cast<std::size_t>(i)];
        auto* light = dynamic_cast<ILedButton*>(button);
        if (light != nullptr && button->IsVisible()) {
            const LedColor colour = colors_.Get(static_cast<std::size_t>(i));
            light->SetLightColor(ButtonColorValue(colour), colour.brightness, true);
        }
    }
}

void CTalvexUSBDevice::DecayReactive(int key, bool fine) {
    if (key >= 0) {
        reactive_.DecayReactive(static_cast<std::size_t>(key), fine);
    }
}

void CTalvexUSBDevice::PollPowerStatus() {
    if (!primary_.IsOpen()) {
        return;
    }
    std::array<std::uint8_t, kPowerStatusBytes> status{};
    if (primary_.ReadParamWindow(status, 0) != transport::RESULT_OK) {
        return;
    }
    status[3] = primary_.LongTimeout() ? 1 : 0;
    if (power_entry_ != nullptr) {
        power_entry_->ShowStatus(status);
    }
    SendToMainWindow(kMsgDevicePowerStatus, status[4], 0);
}

int CTalvexUSBDevice::WriteKeyTable(int, std::span<const std::uint32_t>) {
    return 0;
}

int CTalvexUSBDevice::WriteKeyList(int) {
    return 0;
}

int CTalvexUSBDevice::WriteParameters(int, int, int, int, int) {
    return 0;
}

void CTalvexUSBDevice::SelectFunctionTab(int tab) {
    function_tab_ = tab;
    if (function_switch_ == nullptr) {
        function_switch_ = FindSubControl("device_function_switch");
    }
    if (key_function_switch_ == nullptr) {
        key_function_switch_ = FindSubControl("device_key_function_switch");
    }
    if (function_switch_ == nullptr || key_function_switch_ == nullptr) {
        return;
    }
    struct Switch {
        int function = 0;
        int key_function = -1;  // -1 leaves the key-function switch alone
        const char* style = nullptr;
    };
    const bool keyboard_or_mouse =
        kind_ == discovery::DEVICE_KEYBOARD || kind_ == discovery::DEVICE_MOUSE;
    Switch target;
    switch (tab) {
        case 1:
            target = {0, 0, "light_bk_style"};
            break;
        case 2:
            target = {0, 1, "key_bk_style"};
            break;
        case 3:
            target = {1, -1, "macro_bk_style"};
            break;
        case 4:
            target = keyboard_or_mouse ? Switch{3, -1, "function_bk_style"} : Switch{0, 2, nullptr};
            break;
        case 5:
            target = {2, -1, nullptr};
            break;
        case 6:
            target = {0, 1, nullptr};
            break;
        case 7:
            target = {0, 2, nullptr};
            break;
        case 8:
            target = {1, -1, nullptr};
            break;
        default:
            target = {0, 0, nullptr};
            break;
    }
    SelectTab(function_switch_, target.function);
    if (target.key_function >= 0) {
        SelectTab(key_function_switch_, target.key_function);
    }
    if (target.style != nullptr) {
        function_switch_->SetAttribute("style", target.style);
    }
}

bool CTalvexUSBDevice::StartLightThread(platform::ThreadSlot::Body body) {
    return light_thread_.Start(std::move(body));
}

const platform::Clock& CTalvexUSBDevice::DeviceClock() const {
    if (loop_ != nullptr) {
        return loop_->GetClock();
    }
    return platform::SteadyClock::Instance();
}

platform::LResult CTalvexUSBDevice::SendToMainWindow(platform::MessageId message,
                                                     platform::WParam wparam,
                                                     platform::LParam lparam) {
    if (loop_ == nullptr || main_window_ == 0) {
        return 0;
    }
    return loop_->SendMessage(main_window_, message, wparam, lparam);
}

}  // namespace calvorn::device
