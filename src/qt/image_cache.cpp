#include "qt/image_cache.h"

namespace calvorn::qt {
namespace {

QImage Masked(QImage image, dui::Color mask) {
    const QRgb key = mask & 0x00FFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((row[x] & 0x00FFFFFFu) == key) {
                row[x] = 0;
            }
        }
    }
    return image;
}

QImage Tinted(QImage image, dui::Color tint) {
    const int tr = qRed(tint), tg = qGreen(tint), tb = qBlue(tint);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            row[x] =
                qRgba(qRed(p) * tr / 255, qGreen(p) * tg / 255, qBlue(p) * tb / 255, qAlpha(p));
        }
    }
    return image;
}

}  // namespace

const QImage& ImageCache::Get(const std::string& path, std::optional<dui::Color> mask,
                              std::optional<dui::Color> tint) {
    const Key key{path, mask ? static_cast<std::int64_t>(*mask) : -1,
                  tint ? static_cast<std::int64_t>(*tint) : -1};
    auto it = images_.find(key);
    if (it != images_.end()) {
        return it->second;
    }
    QImage image(QString::fromStdString(path));
    if (!image.isNull() && (mask || tint)) {
        // Premultiplied pixels would make the mask comparison and the tint wrong.
        image = image.convertToFormat(QImage::Format_ARGB32);
        if (mask) {
            image = Masked(std::move(image), *mask);
        }
        if (tint) {
            image = Tinted(std::move(image), *tint);
        }
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    return images_.emplace(key, std::move(image)).first->second;
}

std::optional<dui::Size> ImageCache::SizeOf(const std::string& path) {
    const QImage& image = Get(path);
    if (image.isNull()) {
        return std::nullopt;
    }
    return dui::Size{image.width(), image.height()};
}

}  // namespace calvorn::qt
