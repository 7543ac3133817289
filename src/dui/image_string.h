#pragma once

// Image strings: a plain file name, or key='value' pairs:
//   file='power/powered.png' source='0,0,20,20' dest='2,2,22,22' corner='4,4,4,4'
//   mask='#FFFF00FF' fade='128' hole='true' xtiled='true' ytiled='true' hsl='true'
//   res='name' restype='png'
// Unknown keys are ignored. "res" is a synonym of "file"; "restype" and "hsl" are accepted
// and have no effect (resources are plain files; there is no hue adjustment).

#include <optional>
#include <string>
#include <string_view>

#include "dui/geometry.h"

namespace calvorn::dui {

struct ImageString {
    std::string file;
    std::optional<Rect> source;  // image pixels
    std::optional<Rect> dest;    // relative to the control, 96-DPI units
    Rect corner;
    std::optional<Color> mask;
    int fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

// Nothing for an empty string, an unterminated quote or a string without a file.
std::optional<ImageString> ParseImageString(std::string_view text);

}  // namespace calvorn::dui
