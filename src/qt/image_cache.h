#pragma once

// Decoded images by file path, with the variants the skin asks for (a mask colour made
// transparent, a tint) made once and kept. UI thread only.

#include <QImage>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "dui/geometry.h"

namespace calvorn::qt {

class ImageCache {
public:
    // The image at `path` with the variants applied; a null image when it cannot be loaded.
    const QImage& Get(const std::string& path, std::optional<dui::Color> mask = std::nullopt,
                      std::optional<dui::Color> tint = std::nullopt);
    std::optional<dui::Size> SizeOf(const std::string& path);
    void Clear() { images_.clear(); }

private:
    using Key = std::tuple<std::string, std::int64_t, std::int64_t>;
    std::map<Key, QImage> images_;
};

}  // namespace calvorn::qt
