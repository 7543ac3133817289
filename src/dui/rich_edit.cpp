#include "dui/rich_edit.h"

namespace calvorn::dui {

RichEdit::RichEdit() {
    SetMultiLine(true);
    SetMaxChar(0);
    SetTextStyle((GetTextStyle() | kTextWordBreak | kTextTop) &
                 ~static_cast<unsigned>(kTextSingleLine | kTextVCenter));
}

}  // namespace calvorn::dui
