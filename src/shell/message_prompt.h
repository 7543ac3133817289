#pragma once

// The program's modal prompt, as the main window sees it: a question with one or two buttons
// that returns when the user has answered. CMsgWnd shows the real window; tests answer with a
// scripted responder.

#include <string>
#include <string_view>

namespace calvorn::dui {
class PaintManager;
}

namespace calvorn::shell {

struct MessageRequest {
    std::string title;        // empty: the layout's title stays
    std::string text;         // empty: the layout's text stays
    bool text_is_key = true;  // `text` is a language key rather than literal text
    int buttons = 0;          // 0: "confirm_btn" only; 1: "confirm_btn" and "cancel_btn"
    int dpi = 96;             // the owner window's DPI

    bool operator==(const MessageRequest&) const = default;
};

class IMessagePrompt {
public:
    virtual ~IMessagePrompt() = default;
    // Shows the request and waits for the answer: 1 when confirmed, 0 otherwise.
    virtual int ShowMessage(const MessageRequest& request) = 0;
};

// Runs a window modally over the main window. The host's implementation shows a native window
// for `window` and keeps the event loop running until EndModal(window) or until the user
// closes the window by other means.
class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    virtual void RunModal(dui::PaintManager& window, std::string_view title) = 0;
    virtual void EndModal(dui::PaintManager& window) = 0;
};

}  // namespace calvorn::shell
