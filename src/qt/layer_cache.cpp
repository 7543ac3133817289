#include "qt/layer_cache.h"

#include <algorithm>
#include <utility>

namespace calvorn::qt {

const QImage* LayerCache::Find(const void* owner, std::uint64_t generation, const QRect& rect,
                               qreal ratio) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [owner](const Entry& entry) { return entry.owner == owner; });
    if (it == entries_.end() || it->generation != generation || it->rect != rect ||
        it->image.devicePixelRatio() != ratio) {
        return nullptr;
    }
    std::rotate(entries_.begin(), it, it + 1);
    return &entries_.front().image;
}

const QImage& LayerCache::Store(const void* owner, std::uint64_t generation, const QRect& rect,
                                QImage image) {
    std::erase_if(entries_, [owner](const Entry& entry) { return entry.owner == owner; });
    entries_.insert(entries_.begin(), Entry{owner, generation, rect, std::move(image)});
    if (entries_.size() > kMaxLayers) {
        entries_.pop_back();
    }
    return entries_.front().image;
}

}  // namespace calvorn::qt
