#pragma once

#include <string>
#include <vector>

#include "dui/list_element.h"

namespace calvorn::dui {

// A list row with text columns of equal width. Column 0 is the control's text.
class ListTextElement : public ListElement {
public:
    std::string_view GetClass() const override { return "ListTextElement"; }

    // The shown text of a column (empty when there is none).
    std::string GetColumnText(int column) const;
    void SetColumnText(int column, std::string_view text);
    int GetColumnCount() const;

    void PaintText(IRenderEngine& engine) override;

private:
    std::vector<std::string> more_columns_;  // columns 1...
};

}  // namespace calvorn::dui
