#pragma once

// Points, sizes, rectangles and colours of the UI layer. Rectangles are half-open: a control
// at {10, 10, 20, 20} covers pixels 10 to 19 in each direction.

#include <algorithm>
#include <cstdint>

namespace calvorn::dui {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const Rect&) const = default;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    // Whether `o` lies wholly inside this rectangle; an empty `o` lies inside any.
    bool Contains(const Rect& o) const {
        return o.IsEmpty() ||
               (o.left >= left && o.top >= top && o.right <= right && o.bottom <= bottom);
    }
    bool Intersects(const Rect& o) const {
        return !IsEmpty() && !o.IsEmpty() && left < o.right && o.left < right && top < o.bottom &&
               o.top < bottom;
    }
    // The common part, or an empty rectangle.
    Rect Intersect(const Rect& o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.IsEmpty() ? Rect{} : r;
    }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // Shrinks by the four margins of `m` (left, top, right, bottom).
    Rect Deflate(const Rect& m) const {
        return {left + m.left, top + m.top, right - m.right, bottom - m.bottom};
    }
};

// 32-bit ARGB. Alpha 0 means "no colour": nothing is drawn with it.
using Color = std::uint32_t;

inline constexpr Color kNoColor = 0;
inline constexpr bool IsDrawn(Color c) {
    return (c >> 24) != 0;
}

}  // namespace calvorn::dui
