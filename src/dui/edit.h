#pragma once

#include <string>

#include "dui/label.h"
#include "dui/window_host.h"

namespace calvorn::dui {

// A single-line text edit. With the focus it asks the host for a native editor over itself;
// the editor's changes come back through ITextEditSink ("textchanged", "return", and the end
// of editing, which takes the focus away: "killfocus"). Without a native editor the control
// edits its own text from char and key events, which is how tests type.
class Edit : public Label, public ITextEditSink {
public:
    Edit();
    ~Edit() override;
    std::string_view GetClass() const override { return "Edit"; }

    // Sets the text without notification; "numberonly" and "maxchar" do not apply.
    void SetText(std::string_view text) override;
    int GetMaxChar() const { return max_char_; }
    void SetMaxChar(int max_chars) { max_char_ = max_chars; }
    bool IsNumberOnly() const { return number_only_; }
    void SetNumberOnly(bool on) { number_only_ = on; }
    bool IsReadOnly() const { return read_only_; }
    void SetReadOnly(bool on) { read_only_ = on; }
    bool IsPassword() const { return password_; }
    void SetPassword(bool on) { password_ = on; }
    bool IsMultiLine() const { return multi_line_; }
    // The hint shown while the text is empty (a language key).
    std::string GetTipValue() const;
    void SetTipValue(std::string_view tip) { tip_value_ = tip; }

    void OnEditorTextChanged(const std::string& text) override;
    void OnEditorReturn() override;
    void OnEditorFocusLost() override;

    void DoEvent(UiEvent& event) override;
    void SetPos(const Rect& rect) override;
    void SetManager(PaintManager* manager, Control* parent, bool init) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(IRenderEngine& engine) override;
    void PaintText(IRenderEngine& engine) override;

protected:
    // Text typed by the user: applies "numberonly" and "maxchar", then notifies "textchanged"
    // when the text changed.
    void ApplyUserText(std::string text);
    void ShowEditor();
    void HideEditor();
    void SetMultiLine(bool on) { multi_line_ = on; }

private:
    int max_char_ = 255;
    bool number_only_ = false;
    bool read_only_ = false;
    bool password_ = false;
    bool multi_line_ = false;
    bool want_return_ = true;
    bool editor_shown_ = false;
    std::string tip_value_;
    Color tip_value_color_ = 0xFFBAC0C5;
    std::string normal_image_;
    std::string hot_image_;
    std::string focused_image_;
    std::string disabled_image_;
    Color native_bk_color_ = 0xFFFFFFFF;
};

}  // namespace calvorn::dui
