#include "shell/msg_wnd.h"

#include <memory>

#include "dui/builder.h"
#include "dui/control.h"
#include "dui/paint_manager.h"
#include "platform/trace.h"

namespace calvorn::shell {
namespace {

// Turns the window's button clicks into the answer and ends the modal run.
class AnswerReceiver final : public dui::INotifyReceiver {
public:
    AnswerReceiver(dui::PaintManager& window, IModalRunner& runner)
        : window_(window), runner_(runner) {}

    void OnNotify(dui::Notify& notify) override {
        if (notify.type != "click" || notify.sender == nullptr || answered_) {
            return;
        }
        const std::string& name = notify.sender->GetName();
        if (name == "confirm_btn") {
            Answer(1);
        } else if (name == "cancel_btn" || name == "closebtn") {
            Answer(0);
        }
    }
    int Result() const { return result_; }

private:
    void Answer(int result) {
        answered_ = true;
        result_ = result;
        runner_.EndModal(window_);
    }

    dui::PaintManager& window_;
    IModalRunner& runner_;
    bool answered_ = false;
    int result_ = 0;
};

}  // namespace

int CMsgWnd::ShowMessage(const MessageRequest& request) {
    dui::PaintManager window(context_);
    std::unique_ptr<dui::Control> root = dui::Builder(window).Build("XML_MSG");
    if (!root) {
        return 0;
    }
    window.SetRoot(std::move(root));
    if (!window.SetDpi(request.dpi)) {
        platform::Trace("MSG_WND DPI SET ERROR");
        window.SetDpi(96);
    }
    if (!request.title.empty()) {
        if (dui::Control* title = window.FindControl("MessageTitle")) {
            title->SetText(request.title);
        }
    }
    if (!request.text.empty()) {
        if (dui::Control* text = window.FindControl("MessageText")) {
            text->SetResourceText(request.text_is_key);
            text->SetText(request.text);
        }
    }
    if (dui::Control* confirm = window.FindControl("confirm_btn")) {
        confirm->SetVisible(true);
    }
    if (dui::Control* cancel = window.FindControl("cancel_btn")) {
        cancel->SetVisible(request.buttons == 1);
    }
    AnswerReceiver answer(window, runner_);
    window.AddNotifier(&answer);
    runner_.RunModal(window, "msgwnd");
    window.RemoveNotifier(&answer);
    return answer.Result();
}

}  // namespace calvorn::shell
