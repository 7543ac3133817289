#pragma once

// `CMsgWnd`: the message window, built from "XML_MSG". The title goes into "MessageTitle",
// the text into "MessageText" (a language key is resolved, literal text shown as it is);
// "confirm_btn" answers 1, "cancel_btn" and "closebtn" answer 0. With one button the cancel
// button is hidden.

#include "dui/event.h"
#include "dui/ui_context.h"
#include "shell/message_prompt.h"

namespace calvorn::shell {

class CMsgWnd final : public IMessagePrompt {
public:
    // The context and the runner must outlive the object.
    CMsgWnd(dui::UiContext& context, IModalRunner& runner) : context_(context), runner_(runner) {}

    // Builds a fresh window for each request. Returns 0 when "XML_MSG" cannot be built.
    int ShowMessage(const MessageRequest& request) override;

private:
    dui::UiContext& context_;
    IModalRunner& runner_;
};

}  // namespace calvorn::shell
