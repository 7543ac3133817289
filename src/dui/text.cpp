#include "dui/text.h"

namespace calvorn::dui {

Text::Text() {
    SetTextStyle((GetTextStyle() | kTextWordBreak) & ~static_cast<unsigned>(kTextSingleLine));
}

}  // namespace calvorn::dui
