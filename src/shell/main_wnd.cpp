#include "shell/main_wnd.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "device/device_base.h"
#include "device/keyboard_device.h"
#include "dui/attributes.h"
#include "dui/button.h"
#include "dui/container.h"
#include "dui/control.h"
#include "dui/option.h"
#include "dui/progress.h"
#include "platform/folders.h"
#include "platform/ipc_endpoint.h"
#include "platform/process_launch.h"
#include "platform/trace.h"
#include "shell/count_format.h"
#include "shell/device_table_record.h"
#include "shell/firmware_gate.h"
#include "shell/screen_placement.h"

namespace calvorn::shell {
namespace {

constexpr platform::Millis kFirstFitDelay{100};
constexpr platform::Millis kTrayMenuDelay{10};
constexpr platform::Millis kTopmostPause{10};

constexpr std::string_view kGameMessageNames[] = {"Game_Start", "Game_End", "Game_Kill",
                                                  "Game_Death"};

constexpr std::string_view kAdmittedNames[] = {kProductName,
                                               kUpdateProgressName,
                                               kLightControlStateName,
                                               kLightControlRequestName,
                                               kDeviceTableQueryName,
                                               "Game_Start",
                                               "Game_End",
                                               "Game_Kill",
                                               "Game_Death"};

constexpr std::string_view kLightControlOnText = "控制灯光";
constexpr std::string_view kLightControlOffText = "不控制灯光";

// The orvum DPI edit's range.
constexpr int kOrvumDpiMin = 200;
constexpr int kOrvumDpiMax = 6500;

// What the external updater is told to do.
const std::vector<std::string> kUpdaterArguments = {"On", "the", "upgrade"};

// Posts one message to every other endpoint in the runtime folder: the counterpart of a
// broadcast to all top-level application windows.
void BroadcastToEndpoints(std::string_view name, platform::WParam wparam, platform::LParam lparam) {
    const std::optional<std::filesystem::path> own = platform::IpcSocketPath(kProductName);
    if (!own) {
        return;
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(own->parent_path(), error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() != ".sock" || path == *own) {
            continue;
        }
        platform::IpcSend(path.stem().string(), name, wparam, lparam);
    }
}

template <typename T>
T* FindAs(const dui::PaintManager& manager, std::string_view name) {
    return dynamic_cast<T*>(manager.FindControl(name));
}

}  // namespace

std::span<const std::string_view> AdmittedMessageNames() {
    return kAdmittedNames;
}

CMainWnd::CMainWnd(dui::UiContext& context, const RegisteredMessages& messages,
                   hid::HidBackend& backend, IMessagePrompt& prompt, MainWndOptions options)
    : context_(context),
      messages_(messages),
      backend_(backend),
      prompt_(prompt),
      options_(std::move(options)),
      manager_(context) {
    for (std::size_t i = 0; i < kThreadSlotCount; ++i) {
        // The scanner's slot pumps sent messages while it waits: the scanner may be blocked
        // in a send to this window.
        slots_[i] = std::make_unique<platform::ThreadSlot>(
            platform::StopTexts::kShutdown, i == kScannerSlot ? &context.Loop() : nullptr);
    }
    for (std::size_t i = 0; i < game_messages_.size(); ++i) {
        game_messages_[i] = platform::RegisterWindowMessage(kGameMessageNames[i]);
    }
    if (options_.updater_program.empty()) {
        options_.updater_program = platform::ProgramFolder() / "Update" / "Pellmor";
    }
}

CMainWnd::~CMainWnd() {
    Shutdown();
    tray_menu_.reset();
    context_.Loop().KillTimers(this);
    if (handle_ != 0) {
        context_.Loop().DestroyWindow(handle_);
    }
    manager_.RemoveNotifier(this);
}

bool CMainWnd::Create() {
    dui::Builder builder(manager_);
    std::unique_ptr<dui::Control> root = builder.Build("XML_MAIN");
    if (!root) {
        return false;
    }
    manager_.AddNotifier(this);
    manager_.SetRoot(std::move(root));
    handle_ = context_.Loop().CreateWindow(this);
    platform::Trace("InitWindow");
    // The built-in language until the saved choice is applied.
    context_.LoadLanguage("lan_cn.xml");
    return true;
}

// --- notifications ---

void CMainWnd::HandleNotify(dui::Notify& notify) {
    const std::string name = notify.sender != nullptr ? notify.sender->GetName() : std::string();
    if (notify.type != "timer") {
        platform::Trace(notify.type);
        platform::Trace(name);
    }
    const NotifyTarget target = RouteNotification(notify.type, name);
    switch (target.route) {
        case NotifyRoute::kWindowInit:
            OnWindowInit();
            break;
        case NotifyRoute::kWindowSize:
            if (display_changed_) {
                display_changed_ = false;
                FitAndShow();
            }
            break;
        case NotifyRoute::kLighting:
            OnLightingNotify(notify);
            break;
        case NotifyRoute::kCloseButton:
        case NotifyRoute::kHideWindow:
            // Closing only hides the window; the program stays in the tray until "exit".
            if (frame_ != nullptr) {
                frame_->Hide();
            }
            break;
        case NotifyRoute::kLightControlToggle:
            SetLightControl(!light_control_on_);
            BroadcastToEndpoints(kLightControlStateName, 1, light_control_on_ ? 1 : 0);
            break;
        case NotifyRoute::kMinimize:
            if (frame_ != nullptr) {
                frame_->Minimize();
            }
            break;
        case NotifyRoute::kMaximize:
            if (frame_ != nullptr) {
                frame_->Maximize();
            }
            break;
        case NotifyRoute::kRestore:
            if (frame_ != nullptr) {
                frame_->Restore();
            }
            break;
        case NotifyRoute::kKeyPicked:
            OnKeyPicked(target.index);
            break;
        case NotifyRoute::kRestoreDefaults:
            OnRestoreDefaults();
            break;
        case NotifyRoute::kFunctionTab:
            if (device::CTalvexUSBDevice* page = CurrentPage()) {
                page->SelectFunctionTab(target.index);
            }
            break;
        case NotifyRoute::kOrvumDpiSlider:
            OnOrvumDpiSlider(target.index);
            break;
        case NotifyRoute::kOrvumDpiEdit:
            OnOrvumDpiEdit(target.index);
            break;
        case NotifyRoute::kKeyboardOptions:
            OnKeyboardOption(notify, name);
            break;
        case NotifyRoute::kMousePage:
            // The polling rate options share their name with the keyboard page's.
            OnKeyboardOption(notify, name);
            break;
        case NotifyRoute::kNone:
        case NotifyRoute::kInputHook:
        case NotifyRoute::kKeySettingPanel:
        case NotifyRoute::kMacroEditor:
        case NotifyRoute::kMacroRecorder:
        case NotifyRoute::kRecoilPanel:
        case NotifyRoute::kHeadsetPanel:
        case NotifyRoute::kProfileList:
        case NotifyRoute::kSettingsWindow:
        case NotifyRoute::kSkinFrame:
        case NotifyRoute::kSystemControlPanel:
        case NotifyRoute::kDeviceListPaging:
            // The program has no such panel or window: the notification ends here.
            break;
    }
}

void CMainWnd::OnLightingNotify(dui::Notify& notify) {
    if (lighting_) {
        lighting_->HandleNotify(notify);
    }
}

void CMainWnd::OnKeyboardOption(const dui::Notify& notify, const std::string& name) {
    auto* keyboard = dynamic_cast<device::CTalvexKeyboardDevice*>(CurrentPage());
    if (keyboard == nullptr || notify.sender == nullptr) {
        return;
    }
    using device::KeyboardOption;
    const auto* option = dynamic_cast<const dui::Option*>(notify.sender);
    const int checked = option != nullptr && option->IsSelected() ? 1 : 0;
    const auto named = [&name](std::string_view expected) {
        return dui::EqualsNoCase(name, expected);
    };
    const std::optional<dui::IndexedName> indexed = dui::SplitIndexedName(name);
    const auto numbered = [&indexed](std::string_view prefix) {
        return indexed && dui::EqualsNoCase(indexed->prefix, prefix);
    };
    if (named("winlockflag_option")) {
        keyboard->SetKeyboardOption(KeyboardOption::kWinLock, checked);
    } else if (named("wflag_option")) {
        keyboard->SetKeyboardOption(KeyboardOption::kWFlag, checked);
    } else if (named("6flag_option")) {
        keyboard->SetKeyboardOption(KeyboardOption::kKey6Flag, checked);
    } else if (numbered("polling_rate_option_") && checked == 1) {
        keyboard->SetKeyboardOption(KeyboardOption::kPollingRate, indexed->index);
    } else if (numbered("repeat_delay_check_") && checked == 1) {
        keyboard->SetKeyboardOption(KeyboardOption::kRepeatDelay, indexed->index);
    } else if (named("repeat_rate_slider")) {
        if (const auto* slider = dynamic_cast<const dui::Progress*>(notify.sender)) {
            keyboard->SetKeyboardOption(KeyboardOption::kRepeatRate, slider->GetValue());
        }
    }
}

void CMainWnd::OnKeyPicked(int key) {
    device::CTalvexUSBDevice* page = CurrentPage();
    // Keys are picked for editing on the page's key tab only.
    if (page == nullptr || page->GetFunctionTab() != 2 || key < 0 || key >= page->KeyCount()) {
        return;
    }
    page->SetSelectedKey(key);
}

void CMainWnd::OnRestoreDefaults() {
    device::CTalvexUSBDevice* page = CurrentPage();
    if (page == nullptr) {
        return;
    }
    MessageRequest request;
    request.text = "message_text_22";
    request.buttons = 1;
    request.dpi = manager_.GetDpi();
    if (prompt_.ShowMessage(request) != 1) {
        return;
    }
    // The page may have gone while the question was open.
    page = CurrentPage();
    if (page == nullptr) {
        return;
    }
    page->RestoreDefaults();
    page->WriteKeyList(0);
    page->WriteParameters(0, 0, 1, screen_size_.cx, screen_size_.cy);
}

void CMainWnd::OnOrvumDpiSlider(int index) {
    const std::string suffix = std::to_string(index);
    auto* slider = FindAs<dui::Progress>(manager_, "orvum_DPI_slider_" + suffix);
    dui::Control* edit = manager_.FindControl("orvum_DPI_edit_" + suffix);
    if (slider == nullptr || edit == nullptr) {
        return;
    }
    edit->SetText(std::to_string(slider->GetValue()));
}

void CMainWnd::OnOrvumDpiEdit(int index) {
    const std::string suffix = std::to_string(index);
    dui::Control* edit = manager_.FindControl("orvum_DPI_edit_" + suffix);
    if (edit == nullptr) {
        return;
    }
    const std::string text = edit->GetText();
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = text.starts_with('-') ? kOrvumDpiMin : kOrvumDpiMax;
    } else if (error != std::errc() || end == text.data()) {
        value = 0;
    }
    const int clamped = static_cast<int>(std::clamp<long long>(value, kOrvumDpiMin, kOrvumDpiMax));
    edit->SetText(std::to_string(clamped));
    if (auto* slider = FindAs<dui::Progress>(manager_, "orvum_DPI_slider_" + suffix)) {
        slider->SetValue(clamped);
    }
}

// --- start-up ---

void CMainWnd::OnWindowInit() {
    if (initialised_) {
        return;
    }
    BroadcastToEndpoints(kLightControlStateName, 1, 1);
    if (frame_ != nullptr) {
        const dui::Rect monitor = frame_->MonitorGeometry();
        screen_size_ = {monitor.Width(), monitor.Height()};
        frame_->Hide();
    }
    StartDeviceDiscovery();
    StartThreads();
    context_.Loop().SetTimer(
        this, kTimerFirstFit, kFirstFitDelay,
        [this] {
            FitAndShow();
            manager_.Invalidate();
        },
        platform::UiLoop::TimerMode::kOnce);
    initialised_ = true;
}

void CMainWnd::StartDeviceDiscovery() {
    devices_ = std::make_shared<discovery::DeviceList>();
    attach_ = std::make_unique<discovery::DeviceAttach>(
        manager_, devices_, handle_,
        [this](std::string_view class_name) { return CreateControl(class_name); },
        discovery::DeviceAttach::Hooks{{}, [this] { BringToFront(); }});
    lighting_ = std::make_unique<ui::LightingHandlers>(
        ui::LightingHost{.current_page = [this] { return CurrentPage(); },
                         .device_lists = [this] { return ui::DeviceListsOf(attach_.get()); },
                         .screen_size = [this] { return screen_size_; },
                         .select_custom_mode = {},
                         .custom_colouring =
                             [](device::CTalvexUSBDevice& page, bool lit) {
                                 if (auto* keyboard =
                                         dynamic_cast<device::CTalvexKeyboardDevice*>(&page)) {
                                     keyboard->CustomFill(lit);
                                 }
                             }},
        context_.Loop().GetClock());
    scanner_ = std::make_shared<discovery::ScannerThread>(backend_, devices_, context_.Loop(),
                                                          handle_, messages_.instance_activate);
}

void CMainWnd::StartThreads() {
    if (options_.scanner_thread) {
        slots_[kScannerSlot]->Start(
            [scanner = scanner_](platform::ManualResetEvent& stop) { scanner->Run(stop); });
    }
    if (options_.light_sync) {
        slots_[kLightSyncSlot]->Start(options_.light_sync);
    } else if (lighting_) {
        slots_[kLightSyncSlot]->Start(lighting_->SyncThreadBody());
    }
}

std::unique_ptr<dui::Control> CMainWnd::CreateControl(std::string_view class_name) {
    if (options_.create_page) {
        return options_.create_page(class_name);
    }
    if (class_name == "TalvexKeyboardDevice") {
        return std::make_unique<device::CTalvexKeyboardDevice>(backend_);
    }
    return nullptr;
}

void CMainWnd::Shutdown() {
    if (shut_down_) {
        return;
    }
    shut_down_ = true;
    platform::Trace("退出测试");
    if (frame_ != nullptr) {
        frame_->Hide();
    }
    for (auto& slot : slots_) {
        slot->SignalStop();
    }
    for (auto& slot : slots_) {
        slot->Stop();
    }
    // A synchronisation thread that did not stop in time must not reach the pages removed next.
    if (lighting_) {
        lighting_->ForgetDevices();
    }
    if (attach_) {
        attach_->Shutdown();
    }
}

// --- devices ---

device::CTalvexUSBDevice* CMainWnd::CurrentPage() const {
    auto* selector = FindAs<dui::Container>(manager_, discovery::kSelectorLayoutName);
    if (selector == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < selector->GetCount(); ++i) {
        dui::Control* item = selector->GetItemAt(i);
        auto* entry = dynamic_cast<device::IDeviceSelectorEntry*>(item);
        if (entry != nullptr && item->IsVisible() && entry->IsSelected()) {
            return entry->Device();
        }
    }
    return nullptr;
}

bool CMainWnd::AnyDevicePresent() const {
    return attach_ && attach_->AnyEntryVisible();
}

template <typename Fn>
void CMainWnd::ForEachLightingPage(Fn fn) const {
    if (!attach_) {
        return;
    }
    for (const auto* list : {&attach_->Keyboards(), &attach_->Mice(), &attach_->Mousepads()}) {
        for (device::CTalvexUSBDevice* page : *list) {
            fn(*page);
        }
    }
}

void CMainWnd::SetPagesHostLightControl(bool on) {
    ForEachLightingPage([on](device::CTalvexUSBDevice& page) { page.SetHostLightControl(on); });
}

void CMainWnd::SetPagesRepaint(bool on) {
    ForEachLightingPage([on](device::CTalvexUSBDevice& page) { page.SetRepaintKeyPanel(on); });
}

void CMainWnd::SetLightControl(bool on) {
    light_control_on_ = on;
    if (dui::Control* status = manager_.FindControl("control_light_status")) {
        status->SetText(on ? kLightControlOnText : kLightControlOffText);
    }
    SetPagesHostLightControl(on);
}

void CMainWnd::OnLightControlRequest(platform::LParam lparam) {
    if (lparam == 0 || lparam == 1) {
        SetLightControl(lparam == 1);
    }
}

void CMainWnd::AnswerDeviceTableQuery() {
    const auto record = MakeDeviceTableRecord(discovery::kSupportedDevices);
    platform::IpcSend(kCompanionEndpoint, kDeviceTableQueryName, handle_, kDeviceTableRecordTag,
                      record);
}

void CMainWnd::OnGameEvent(platform::WParam wparam, platform::LParam lparam) {
    device::CTalvexUSBDevice* page = CurrentPage();
    if (wparam > 2 || page == nullptr || lparam < 0 || lparam > 0xFF) {
        return;
    }
    if (device::IDeviceSelectorEntry* entry = page->SelectorEntry()) {
        entry->SetSynchronised(false);
    }
    page->SetSyncLighting(false);
    device::LightParameters parameters = page->LightParams();
    parameters.mode = static_cast<std::uint8_t>(lparam);
    page->SetLightParameters(parameters.FirstWord(), parameters.SecondWord(),
                             parameters.kind_specific, parameters.custom_slot);
    page->SaveProfile();
    page->RefreshPage();
    page->WriteParameters(0, 0, 1, screen_size_.cx, screen_size_.cy);
}

void CMainWnd::ApplyProfileToDevice() {
    device::CTalvexUSBDevice* page = CurrentPage();
    if (page == nullptr) {
        return;
    }
    page->LoadCurrentProfile();
    page->WriteParameters(0, 0, 1, screen_size_.cx, screen_size_.cy);
    const int upload = page->WriteMacros();
    if (upload < 0) {
        MessageRequest request;
        request.text = "message_text_7";
        request.dpi = manager_.GetDpi();
        prompt_.ShowMessage(request);
    } else if (upload > 0) {
        // The translated text is a format for the count; the hidden label resolves it.
        std::string format = "message_text_16";
        if (dui::Control* label = manager_.FindControl("str_test")) {
            label->SetText("message_text_16");
            format = label->GetText();
        }
        MessageRequest request;
        request.text = FormatCount(format, upload);
        request.text_is_key = false;
        request.dpi = manager_.GetDpi();
        prompt_.ShowMessage(request);
    }
    // The message may have been answered after the page went away.
    if (device::CTalvexUSBDevice* current = CurrentPage(); current == page) {
        page->WriteKeyList(0);
    }
}

void CMainWnd::CheckFirmware(platform::WParam product_id, platform::LParam version) {
    if (product_id > 0xFFFF) {
        return;
    }
    const std::optional<FirmwareRule> rule =
        FindFirmwareRule(static_cast<std::uint16_t>(product_id));
    if (!rule) {
        return;
    }
    if (version >= rule->minimum_version) {
        firmware_accepted_ = true;
        return;
    }
    firmware_accepted_ = false;
    SetNoDeviceNotice(true);
    MessageRequest request;
    request.text = "KB_Update_Text";
    request.dpi = manager_.GetDpi();
    const bool confirmed = prompt_.ShowMessage(request) == 1;
    switch (rule->after_prompt) {
        case FirmwareAfterPrompt::kExitWhenConfirmed:
            if (confirmed) {
                ExitProgram();
            }
            break;
        case FirmwareAfterPrompt::kExitAlways:
            ExitProgram();
            break;
        case FirmwareAfterPrompt::kUpdaterOrExit:
            if (confirmed) {
                LaunchUpdater();
            } else {
                ExitProgram();
            }
            break;
    }
}

void CMainWnd::LaunchUpdater() {
    const std::filesystem::path& program = options_.updater_program;
    if (!platform::LaunchProcess(program, kUpdaterArguments, program.parent_path())) {
        platform::TraceFormat("cannot start the firmware updater %s", program.c_str());
    }
}

void CMainWnd::ExitProgram() {
    if (frame_ != nullptr) {
        frame_->Hide();
        frame_->Close();
    } else {
        context_.Loop().Quit(0);
    }
}

// --- window placement ---

void CMainWnd::SetNoDeviceNotice(bool shown) {
    if (dui::Control* notice = manager_.FindControl(discovery::kNoDeviceNoticeName)) {
        notice->SetVisible(shown);
    }
}

void CMainWnd::LiftAboveOthers() {
    if (frame_ == nullptr) {
        return;
    }
    frame_->SetTopmost(true);
    context_.Loop().SetTimer(
        this, kTimerTopmostOff, kTopmostPause,
        [this] {
            if (frame_ != nullptr) {
                frame_->SetTopmost(false);
            }
        },
        platform::UiLoop::TimerMode::kOnce);
}

void CMainWnd::BringToFront() {
    SetNoDeviceNotice(!AnyDevicePresent());
    if (frame_ == nullptr) {
        return;
    }
    frame_->Restore();
    LiftAboveOthers();
}

void CMainWnd::FitAndShow() {
    if (frame_ == nullptr) {
        return;
    }
    const bool shown = frame_->IsVisible() && !frame_->IsMinimized();
    if (!shown) {
        frame_->Restore();
    }
    const dui::Rect monitor = frame_->MonitorGeometry();
    const int dpi = DpiForMonitor({monitor.Width(), monitor.Height()});
    context_.SetDpiForAll(96);
    manager_.SetWindowSize(kMainWindowBaseSize);
    if (dui::IWindowHost* host = manager_.GetHost()) {
        host->ResizeWindow(kMainWindowBaseSize);
    }
    context_.SetDpiForAll(dpi);
    frame_->CenterOnScreen();
    if (shown) {
        frame_->Show();
    } else {
        frame_->Hide();
    }
}

// --- tray ---

void CMainWnd::OnTrayClick(platform::LParam mouse_message) {
    if (mouse_message == kTrayRightButtonUp) {
        context_.Loop().SetTimer(
            this, kTimerTrayMenu, kTrayMenuDelay, [this] { OpenTrayMenu(); },
            platform::UiLoop::TimerMode::kOnce);
        return;
    }
    if (mouse_message != kTrayLeftButtonUp || frame_ == nullptr) {
        return;
    }
    const bool shown = frame_->IsVisible() && !frame_->IsMinimized();
    if (!AnyDevicePresent()) {
        SetNoDeviceNotice(true);
    } else if (firmware_accepted_) {
        SetNoDeviceNotice(false);
    }
    if (shown) {
        frame_->Hide();
        return;
    }
    frame_->Show();
    FitAndShow();
    frame_->Restore();
    LiftAboveOthers();
    manager_.NeedUpdate();
    manager_.Invalidate();
}

void CMainWnd::OpenTrayMenu() {
    dui::IWindowHost* host = manager_.GetHost();
    if (host == nullptr) {
        return;
    }
    tray_menu_.reset();
    const dui::Rect area = frame_ != nullptr ? frame_->AvailableGeometry() : dui::Rect{};
    const MenuPlacement placement = TrayMenuPlacement(host->CursorScreenPos(), area);
    tray_menu_ =
        dui::Menu::Create(manager_, "menu.xml", placement.point, placement.align,
                          [this](const dui::MenuCommand& command) { OnMenuCommand(command); });
}

void CMainWnd::OnMenuCommand(const dui::MenuCommand& command) {
    if (command.name == "exit") {
        ExitProgram();
    }
    // "about_menu", "setwnd_menu" and the macro recorder's items open windows and editors
    // that the program does not have yet.
}

// --- messages ---

bool CMainWnd::HandleSystemMessage(platform::MessageId message, platform::WParam wparam,
                                   platform::LParam lparam) {
    if (message == kMsgActivate) {
        active_ = hovered_ = wparam != 0;
        SetPagesRepaint(hovered_);
    } else if (message == kMsgMouseLeave || message == kMsgMouseHover) {
        platform::Trace(message == kMsgMouseLeave ? "鼠标移出" : "鼠标移入");
        if (!active_) {
            hovered_ = message == kMsgMouseHover;
            SetPagesRepaint(hovered_);
        }
    } else if (message == messages_.instance_activate && message != 0) {
        platform::TraceFormat("软件标示 %u，%lxd%lxd", message, static_cast<unsigned long>(wparam),
                              static_cast<unsigned long>(lparam));
        // The scanner's first pass (lParam 0) only brings the window forward when it found a
        // device; a program started without one stays in the tray.
        if (lparam != 0 || AnyDevicePresent()) {
            BringToFront();
        } else {
            SetNoDeviceNotice(true);
        }
    } else if (message == messages_.light_control_request && message != 0) {
        if (wparam == 1) {
            OnLightControlRequest(lparam);
        }
    } else if (message == messages_.device_table_query && message != 0) {
        AnswerDeviceTableQuery();
    } else if (message == platform::kMsgDestroy) {
        Shutdown();
        context_.Loop().Quit(0);
    } else if (message == kMsgPowerBroadcast) {
        if (wparam == kPowerResumeAutomatic) {
            system_awake_ = true;
            SetPagesHostLightControl(light_control_on_);
        } else if (wparam == kPowerSuspend) {
            system_awake_ = false;
            SetPagesHostLightControl(false);
        }
    } else {
        return false;
    }
    return true;
}

platform::LResult CMainWnd::HandleMessage(platform::WindowHandle, platform::MessageId message,
                                          platform::WParam wparam, platform::LParam lparam) {
    if (HandleSystemMessage(message, wparam, lparam) || !system_awake_) {
        return 0;
    }
    if (message == kMsgDisplayChange) {
        platform::Trace("显示器分辨率发生变化");
        display_changed_ = true;
        FitAndShow();
    } else if (message == kMsgDpiChanged) {
        if (manager_.SetDpi(static_cast<int>(wparam & 0xFFFF)) && frame_ != nullptr) {
            frame_->CenterOnScreen();
        }
        manager_.NeedUpdate();
        platform::Trace("界面 DPI 发生变化");
    } else if (message == kMsgTrayIcon) {
        OnTrayClick(lparam);
    } else if (message == kMsgDpiTrace) {
        platform::Trace("界面 DPI 1发生变化");
    } else if (message == kMsgShowProgress) {
        if (dui::Control* progress = manager_.FindControl("setting_progress")) {
            progress->SetVisible(true);
        }
    } else if (message == kMsgClearUpdateMark) {
        if (auto* button = FindAs<dui::Button>(manager_, "setbtn")) {
            button->SetForeImage("");
        }
    } else if (attach_ && attach_->HandleMessage(message, wparam)) {
        // Device arrival and removal; every arrival ends with BringToFront.
    } else if (message == device::kMsgDeviceParametersRead) {
        ApplyProfileToDevice();
    } else if (message == device::kMsgDeviceFirmwareTooOld) {
        CheckFirmware(wparam, lparam);
    } else if (std::find(game_messages_.begin(), game_messages_.end(), message) !=
               game_messages_.end()) {
        OnGameEvent(wparam, lparam);
    }
    // 1054 (input hook), 3089 (language), 3093 (settings window), the update progress and the
    // input-hook messages have no receiver in this program yet.
    return 0;
}

}  // namespace calvorn::shell
