#include "dui/attributes.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace calvorn::dui {

namespace {

constexpr long kIntLimit = 1'000'000;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads comma-separated integers into `out` (up to out.size() of them).
template <std::size_t N>
void ParseInts(std::string_view value, int (&out)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = 0;
    }
    std::size_t index = 0;
    while (index < N) {
        const std::size_t comma = value.find(',');
        out[index++] = ParseInt(value.substr(0, comma));
        if (comma == std::string_view::npos) {
            break;
        }
        value.remove_prefix(comma + 1);
    }
}

}  // namespace

bool ParseBool(std::string_view value) {
    value = Trim(value);
    return value == "1" || EqualsNoCase(value, "true");
}

int ParseInt(std::string_view value, int fallback) {
    value = Trim(value);
    bool negative = false;
    if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    if (value.empty() || !std::isdigit(static_cast<unsigned char>(value.front()))) {
        return fallback;
    }
    long result = 0;
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            break;
        }
        result = result * 10 + (c - '0');
        if (result > kIntLimit) {
            result = kIntLimit;
        }
    }
    return static_cast<int>(negative ? -result : result);
}

std::optional<Color> ParseColor(std::string_view value) {
    value = Trim(value);
    if (!value.empty() && value.front() == '#') {
        value.remove_prefix(1);
    } else if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        value.remove_prefix(2);
    }
    if (value.empty() || value.size() > 8) {
        return std::nullopt;
    }
    Color color = 0;
    for (char c : value) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        color = (color << 4) | static_cast<Color>(digit);
    }
    if (value.size() <= 6) {
        color |= 0xFF000000u;
    }
    return color;
}

Rect ParseRect(std::string_view value) {
    int v[4];
    ParseInts(value, v);
    return {v[0], v[1], v[2], v[3]};
}

Size ParseSize(std::string_view value) {
    int v[2];
    ParseInts(value, v);
    return {v[0], v[1]};
}

std::vector<std::pair<std::string, std::string>> ParseAttributeList(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> result;
    std::size_t i = 0;
    while (true) {
        while (i < list.size() && std::isspace(static_cast<unsigned char>(list[i]))) {
            ++i;
        }
        if (i >= list.size()) {
            break;
        }
        const std::size_t name_start = i;
        while (i < list.size() && list[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(list[i]))) {
            ++i;
        }
        const std::string_view name = list.substr(name_start, i - name_start);
        while (i < list.size() && std::isspace(static_cast<unsigned char>(list[i]))) {
            ++i;
        }
        if (name.empty() || i >= list.size() || list[i] != '=') {
            break;
        }
        ++i;
        while (i < list.size() && std::isspace(static_cast<unsigned char>(list[i]))) {
            ++i;
        }
        if (i >= list.size() || (list[i] != '"' && list[i] != '\'')) {
            break;
        }
        const char quote = list[i++];
        const std::size_t end = list.find(quote, i);
        if (end == std::string_view::npos) {
            break;
        }
        result.emplace_back(std::string(name), std::string(list.substr(i, end - i)));
        i = end + 1;
    }
    return result;
}

std::string ToLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

void AppendUtf8(std::string& text, char32_t code_point) {
    const auto c = static_cast<std::uint32_t>(code_point);
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

void PopBackUtf8(std::string& text) {
    std::size_t end = text.size();
    std::size_t start = end;
    while (start > 0 && end - start < 4) {
        --start;
        if (!IsContinuation(text[start])) {
            break;
        }
    }
    text.erase(start);
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (char c : text) {
        if (!IsContinuation(c)) {
            ++count;
        }
    }
    return count;
}

std::string Utf8Prefix(std::string_view text, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuation(text[i])) {
            if (seen == count) {
                return std::string(text.substr(0, i));
            }
            ++seen;
        }
    }
    return std::string(text);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<IndexedName> SplitIndexedName(std::string_view name) {
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(underscore + 1);
    int index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        digits.front() == '-' || digits.front() == '+') {
        return std::nullopt;
    }
    return IndexedName{std::string(name.substr(0, underscore + 1)), index};
}

}  // namespace calvorn::dui
