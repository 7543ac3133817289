#pragma once

// Parsing of layout attribute values: booleans, integers, colours, rectangles, sizes and
// attribute lists. Malformed input never throws; each parser says what it yields then.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dui/geometry.h"

namespace calvorn::dui {

// "true" (any case) or "1"; anything else is false.
bool ParseBool(std::string_view value);
// A decimal integer with optional sign and surrounding blanks; `fallback` when there is none.
// Values beyond ±1,000,000 are clamped there.
int ParseInt(std::string_view value, int fallback = 0);
// "#AARRGGBB", "AARRGGBB", "#RRGGBB" (opaque), optionally "0x"; nothing when not hex.
std::optional<Color> ParseColor(std::string_view value);
// "l,t,r,b"; missing numbers are 0.
Rect ParseRect(std::string_view value);
// "cx,cy"; missing numbers are 0.
Size ParseSize(std::string_view value);
// `name="value" name2='value2'` pairs in order. Parsing stops at the first malformed pair.
std::vector<std::pair<std::string, std::string>> ParseAttributeList(std::string_view list);

std::string ToLower(std::string_view text);
// UTF-8 text helpers for the edits.
void AppendUtf8(std::string& text, char32_t code_point);
// Removes the last code point (a stray continuation byte counts as one).
void PopBackUtf8(std::string& text);
std::size_t Utf8Length(std::string_view text);
// The first `count` code points.
std::string Utf8Prefix(std::string_view text, std::size_t count);
bool EqualsNoCase(std::string_view a, std::string_view b);

// A control name of a numbered family ("key_17", "light_3") split at its last underscore into
// the prefix (with the underscore) and a decimal index. Only a non-empty run of digits that
// fits an int makes a name indexed.
struct IndexedName {
    std::string prefix;
    int index = 0;
};
std::optional<IndexedName> SplitIndexedName(std::string_view name);

}  // namespace calvorn::dui
