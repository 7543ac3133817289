#pragma once

// The kept pictures of layered containers (see the layers of dui::IRenderEngine), one per
// container, for one window. A picture is used again only for the generation, rectangle and
// pixel ratio it was painted for; beyond kMaxLayers the least recently drawn are dropped.
// UI thread only.

#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace calvorn::qt {

class LayerCache {
public:
    static constexpr std::size_t kMaxLayers = 8;

    // `owner`'s picture when it was painted for these, else null.
    const QImage* Find(const void* owner, std::uint64_t generation, const QRect& rect, qreal ratio);
    // Keeps `image` as `owner`'s picture, in place of any earlier one; returns it.
    const QImage& Store(const void* owner, std::uint64_t generation, const QRect& rect,
                        QImage image);
    std::size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        const void* owner = nullptr;
        std::uint64_t generation = 0;
        QRect rect;
        QImage image;
    };

    // Most recently drawn first.
    std::vector<Entry> entries_;
};

}  // namespace calvorn::qt
