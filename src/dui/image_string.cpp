#include "dui/image_string.h"

#include <algorithm>
#include <cctype>

#include "dui/attributes.h"

namespace calvorn::dui {

std::optional<ImageString> ParseImageString(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    text.remove_prefix(begin);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    ImageString image;
    if (text.find('=') == std::string_view::npos) {
        image.file = text;
        return image;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        const std::size_t equals = text.find('=', i);
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view key = text.substr(i, equals - i);
        while (!key.empty() && std::isspace(static_cast<unsigned char>(key.back()))) {
            key.remove_suffix(1);
        }
        i = equals + 1;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        if (i >= text.size() || (text[i] != '\'' && text[i] != '"')) {
            return std::nullopt;
        }
        const char quote = text[i++];
        const std::size_t end = text.find(quote, i);
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view value = text.substr(i, end - i);
        i = end + 1;

        if (key == "file" || key == "res") {
            image.file = value;
        } else if (key == "source") {
            image.source = ParseRect(value);
        } else if (key == "dest") {
            image.dest = ParseRect(value);
        } else if (key == "corner") {
            image.corner = ParseRect(value);
        } else if (key == "mask") {
            image.mask = ParseColor(value);
        } else if (key == "fade") {
            image.fade = std::clamp(ParseInt(value, 255), 0, 255);
        } else if (key == "hole") {
            image.hole = ParseBool(value);
        } else if (key == "xtiled") {
            image.xtiled = ParseBool(value);
        } else if (key == "ytiled") {
            image.ytiled = ParseBool(value);
        }
    }
    if (image.file.empty()) {
        return std::nullopt;
    }
    return image;
}

}  // namespace calvorn::dui
