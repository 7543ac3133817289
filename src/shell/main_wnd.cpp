#include "shell/main_wnd.h"

#include "dui/builder.h"
#include "dui/control.h"
#include "platform/trace.h"

namespace calvorn::shell {
namespace {

// Timer that drops the topmost flag again after BringToFront lifted the window.
constexpr std::uint32_t kTopmostTimer = 1010;
constexpr platform::Millis kTopmostPause{10};

}  // namespace

CMainWnd::CMainWnd(dui::UiContext& context, const RegisteredMessages& messages)
    : context_(context), messages_(messages), manager_(context) {}

CMainWnd::~CMainWnd() {
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
    RefreshNoDeviceNotice();
    initialised_ = true;
}

bool CMainWnd::AnyDevicePresent() const {
    // Device pages arrive with device discovery; until then no keyboard is ever present.
    return false;
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
    if (message == kMsgTrayIcon) {
        OnTrayClick(lparam);
        return 0;
    }
    return 0;
}

}  // namespace calvorn::shell
