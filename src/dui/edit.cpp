#include "dui/edit.h"

#include <cctype>

#include "dui/attributes.h"
#include "dui/paint_manager.h"
#include "dui/ui_context.h"

namespace calvorn::dui {

Edit::Edit() {
    SetCursor(kCursorIBeam);
    SetResourceText(false);
}

Edit::~Edit() {
    HideEditor();
}

void Edit::SetText(std::string_view text) {
    Label::SetText(text);
    if (editor_shown_) {
        ShowEditor();
    }
}

std::string Edit::GetTipValue() const {
    if (GetManager() == nullptr) {
        return tip_value_;
    }
    return GetManager()->Context().Language().Resolve(tip_value_);
}

void Edit::ApplyUserText(std::string text) {
    if (number_only_) {
        std::string digits;
        for (char c : text) {
            if (std::isdigit(static_cast<unsigned char>(c))) {
                digits += c;
            }
        }
        text.swap(digits);
    }
    if (max_char_ > 0 && Utf8Length(text) > static_cast<std::size_t>(max_char_)) {
        text = Utf8Prefix(text, static_cast<std::size_t>(max_char_));
    }
    if (text == GetRawText()) {
        return;
    }
    Label::SetText(text);
    SendNotify("textchanged");
}

void Edit::OnEditorTextChanged(const std::string& text) {
    if (!read_only_) {
        ApplyUserText(text);
    }
}

void Edit::OnEditorReturn() {
    SendNotify("return");
}

void Edit::OnEditorFocusLost() {
    editor_shown_ = false;
    if (IsFocused() && GetManager() != nullptr) {
        GetManager()->SetFocus(nullptr);
    }
}

void Edit::ShowEditor() {
    PaintManager* manager = GetManager();
    if (manager == nullptr || manager->GetHost() == nullptr) {
        return;
    }
    TextEditRequest request;
    request.rect = rect_.Deflate(Scale(GetTextPadding()));
    request.text = GetRawText();
    request.font = ResolveFont(GetFont());
    request.text_color = GetTextColor();
    request.background = native_bk_color_;
    request.max_chars = max_char_;
    request.number_only = number_only_;
    request.password = password_;
    request.read_only = read_only_;
    request.multi_line = multi_line_;
    manager->GetHost()->ShowTextEditor(request, this);
    editor_shown_ = true;
}

void Edit::HideEditor() {
    if (!editor_shown_) {
        return;
    }
    editor_shown_ = false;
    if (GetManager() != nullptr && GetManager()->GetHost() != nullptr) {
        GetManager()->GetHost()->HideTextEditor(this);
    }
}

void Edit::SetManager(PaintManager* manager, Control* parent, bool init) {
    if (manager != GetManager()) {
        HideEditor();
    }
    Label::SetManager(manager, parent, init);
}

void Edit::SetPos(const Rect& rect) {
    Label::SetPos(rect);
    if (editor_shown_) {
        ShowEditor();
    }
}

void Edit::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::kSetFocus:
            Label::DoEvent(event);
            if (IsEnabled()) {
                ShowEditor();
            }
            return;
        case EventType::kKillFocus:
            Label::DoEvent(event);
            HideEditor();
            return;
        case EventType::kChar:
            if (!read_only_ && IsEnabled() && event.key >= 0x20 && event.key != 0x7F) {
                std::string text = GetRawText();
                AppendUtf8(text, static_cast<char32_t>(event.key));
                ApplyUserText(std::move(text));
            }
            return;
        case EventType::kKeyDown:
            if (event.key == kKeyBack && !read_only_ && IsEnabled()) {
                std::string text = GetRawText();
                PopBackUtf8(text);
                ApplyUserText(std::move(text));
            } else if (event.key == kKeyReturn) {
                if (multi_line_ && want_return_) {
                    if (!read_only_ && IsEnabled()) {
                        ApplyUserText(GetRawText() + "\n");
                    }
                } else {
                    SendNotify("return");
                }
            }
            return;
        case EventType::kButtonDown:
        case EventType::kDoubleClick:
        case EventType::kButtonUp:
        case EventType::kMouseMove:
            return;
        case EventType::kMouseEnter:
            if (IsEnabled()) {
                SetStateBits(kStateHot, true);
                Invalidate();
            }
            return;
        case EventType::kMouseLeave:
            SetStateBits(kStateHot, false);
            Invalidate();
            return;
        default:
            Label::DoEvent(event);
    }
}

void Edit::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "maxchar") {
        SetMaxChar(ParseInt(value, 255));
    } else if (name == "numberonly") {
        SetNumberOnly(ParseBool(value));
    } else if (name == "password") {
        SetPassword(ParseBool(value));
    } else if (name == "readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == "tipvalue") {
        SetTipValue(value);
    } else if (name == "tipvaluecolor") {
        if (auto c = ParseColor(value)) {
            tip_value_color_ = *c;
        }
    } else if (name == "nativebkcolor") {
        if (auto c = ParseColor(value)) {
            native_bk_color_ = *c;
        }
    } else if (name == "wantreturn") {
        want_return_ = ParseBool(value);
    } else if (name == "normalimage") {
        normal_image_ = value;
    } else if (name == "hotimage") {
        hot_image_ = value;
    } else if (name == "focusedimage") {
        focused_image_ = value;
    } else if (name == "disabledimage") {
        disabled_image_ = value;
    } else {
        Label::SetAttribute(name, value);
    }
}

void Edit::PaintStatusImage(IRenderEngine& engine) {
    const std::string* image = &normal_image_;
    if (!IsEnabled()) {
        if (!disabled_image_.empty()) {
            image = &disabled_image_;
        }
    } else if (IsFocused() && !focused_image_.empty()) {
        image = &focused_image_;
    } else if (IsHot() && !hot_image_.empty()) {
        image = &hot_image_;
    }
    DrawImage(engine, *image);
}

void Edit::PaintText(IRenderEngine& engine) {
    if (editor_shown_) {
        return;  // the native editor shows the text
    }
    const std::string& text = GetRawText();
    if (text.empty()) {
        DrawTextIn(engine, GetTipValue(), tip_value_color_);
        return;
    }
    const Color color = IsEnabled() ? GetTextColor() : GetDisabledTextColor();
    DrawTextIn(engine, password_ ? std::string(Utf8Length(text), '*') : text, color);
}

}  // namespace calvorn::dui
