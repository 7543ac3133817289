#include "qt/paint_cache.h"

#include <memory>

namespace calvorn::qt {

const QStaticText& PaintCache::Text(const QString& text, const dui::FontSpec& description,
                                    const QFont& font) {
    // Built from the description rather than QFont::key(), which formats every attribute.
    const int style = (description.size << 3) | (description.bold ? 4 : 0) |
                      (description.underline ? 2 : 0) | (description.italic ? 1 : 0);
    QString key = QString::fromStdString(description.face);
    key += QLatin1Char('\x1f');
    key += QString::number(style);
    key += QLatin1Char('\x1f');
    key += text;
    if (QStaticText* cached = texts_.object(key)) {
        return *cached;
    }
    auto laid_out = std::make_unique<QStaticText>(text);
    laid_out->setTextFormat(Qt::PlainText);
    laid_out->setPerformanceHint(QStaticText::AggressiveCaching);
    laid_out->prepare(QTransform(), font);
    QStaticText* stored = laid_out.get();
    texts_.insert(key, laid_out.release());
    return *stored;
}

}  // namespace calvorn::qt
