#include "shell/main_wnd.h"

#include "device/usb_device.h"
#include "dui/builder.h"
#include "dui/control.h"
#include "platform/trace.h"

namespace calvorn::shell {
namespace {

// Timer that drops the topmost flag again after BringToFront lifted the window.
constexpr std::uint32_t kTopmostTimer = 1010;
constexpr platform::Millis kTopmostPause{10};

}  // namespace

CMainWnd::CMainWnd(dui::UiContext& context, const RegisteredMessages& messages,
                   hid::HidBackend& backend)
    : context_(context),
      messages_(messages),
      backend_(backend),
      manager_(context),
      scanner_slot_(platform::StopTexts::kShutdown, &context.Loop()) {}

CMainWnd::~CMainWnd() {
    StopDeviceDiscovery();
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
    return true;
}

void CMainWnd::HandleNotify(dui::Notify& notify) {
    if (notify.type == "windowinit") {
        OnWindowInit();
        return;
    }
    if (notify.type != "click" || notify.sender == nullptr) {
        return;
    }
    const std::string& name = notify.sender->GetName();
    if (name == "closebtn") {
        // Closing only hides the window; the program stays in the tray until "exit".
        if (frame_ != nullptr) {
            frame_->Hide();
        }
    } else if (name == "minbtn") {
        if (frame_ != nullptr) {
            frame_->Minimize();
        }
    }
}

void CMainWnd::OnWindowInit() {
    StartDeviceDiscovery();
    RefreshNoDeviceNotice();
    initialised_ = true;
}

std::unique_ptr<dui::Control> CMainWnd::CreateControl(std::string_view class_name) {
    // The keyboard page is the device base until the keyboard's own page class exists.
    if (class_name == "TalvexKeyboardDevice") {
        return std::make_unique<device::CTalvexUSBDevice>(backend_);
    }
    return nullptr;
}

void CMainWnd::StartDeviceDiscovery() {
    if (attach_) {
        return;
    }
    devices_ = std::make_shared<discovery::DeviceList>();
    attach_ = std::make_unique<discovery::DeviceAttach>(
        manager_, devices_, handle_,
        [this](std::string_view class_name) { return CreateControl(class_name); },
        discovery::DeviceAttach::Hooks{{}, [this] { BringToFront(); }});
    scanner_ = std::make_shared<discovery::ScannerThread>(backend_, devices_, context_.Loop(),
                                                          handle_, messages_.instance_activate);
    scanner_slot_.Start(
        [scanner = scanner_](platform::ManualResetEvent& stop) { scanner->Run(stop); });
}

void CMainWnd::StopDeviceDiscovery() {
    scanner_slot_.Stop();
    if (attach_) {
        attach_->Shutdown();
    }
}

bool CMainWnd::AnyDevicePresent() const {
    return attach_ && attach_->AnyEntryVisible();
}

void CMainWnd::RefreshNoDeviceNotice() {
    if (dui::Control* notice = manager_.FindControl("No_device_Link")) {
        notice->SetVisible(!AnyDevicePresent());
    }
}

void CMainWnd::BringToFront() {
    RefreshNoDeviceNotice();
    if (frame_ == nullptr) {
        return;
    }
    frame_->Show();
    frame_->Restore();
    frame_->SetTopmost(true);
    context_.Loop().SetTimer(
        this, kTopmostTimer, kTopmostPause,
        [this] {
            if (frame_ != nullptr) {
                frame_->SetTopmost(false);
            }
        },
        platform::UiLoop::TimerMode::kOnce);
}

void CMainWnd::OnTrayClick(platform::LParam mouse_message) {
    if (mouse_message == kTrayRightButtonUp) {
        OpenTrayMenu();
        return;
    }
    if (mouse_message != kTrayLeftButtonUp || frame_ == nullptr) {
        return;
    }
    RefreshNoDeviceNotice();
    if (frame_->IsVisible() && !frame_->IsMinimized()) {
        frame_->Hide();
        return;
    }
    frame_->Show();
    BringToFront();
    manager_.Invalidate();
}

void CMainWnd::OpenTrayMenu() {
    dui::IWindowHost* host = manager_.GetHost();
    if (host == nullptr) {
        return;
    }
    tray_menu_.reset();
    tray_menu_ = dui::Menu::Create(
        manager_, "menu.xml", host->CursorScreenPos(), dui::kMenuAlignLeft | dui::kMenuAlignBottom,
        [this](const dui::MenuCommand& command) { OnMenuCommand(command); });
}

void CMainWnd::OnMenuCommand(const dui::MenuCommand& command) {
    if (command.name == "exit") {
        if (frame_ != nullptr) {
            frame_->Close();
        }
    } else if (command.name == "setwnd_menu" || command.name == "about_menu") {
        BringToFront();
    }
}

platform::LResult CMainWnd::HandleMessage(platform::WindowHandle, platform::MessageId message,
                                          platform::WParam wparam, platform::LParam lparam) {
    if (message == messages_.instance_activate) {
        platform::TraceFormat("软件标示 %u，%lxd%lxd", message, static_cast<unsigned long>(wparam),
                              static_cast<unsigned long>(lparam));
        BringToFront();
        return 0;
    }
    if (attach_ && attach_->HandleMessage(message, wparam)) {
        return 0;
    }
    if (message == kMsgTrayIcon) {
        OnTrayClick(lparam);
        return 0;
    }
    return 0;
}

}  // namespace calvorn::shell
