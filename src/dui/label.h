#pragma once

#include "dui/control.h"

namespace calvorn::dui {

// A text on one line (or wrapped with "wordbreak"). Hidden labels double as text lookups: set
// a language key as text and read GetText() back.
class Label : public Control {
public:
    std::string_view GetClass() const override { return "Label"; }
    void PaintText(IRenderEngine& engine) override;

protected:
    // Draws `text` in the control less its text padding.
    void DrawTextIn(IRenderEngine& engine, const std::string& text, Color color) const;
};

}  // namespace calvorn::dui
