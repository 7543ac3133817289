#include "qt/qt_render_engine.h"

#include <QPainterPath>
#include <QStaticText>

#include "qt/paint_cache.h"

namespace calvorn::qt {

QColor ToQColor(dui::Color color) {
    return QColor::fromRgba(static_cast<QRgb>(color));
}

QRect ToQRect(const dui::Rect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

namespace {

QRectF ToQRectF(const dui::Rect& rect) {
    return QRectF(rect.left, rect.top, rect.Width(), rect.Height());
}

// One cache for every window. It is never destroyed: its fonts and laid-out texts must not
// outlive the application object, which goes before static objects do.
PaintCache& Cache() {
    static PaintCache* const cache = new PaintCache;
    return *cache;
}

// Anti-aliasing for one shape. It stays off otherwise: rectangles on whole pixels need none,
// and with it on the raster engine sends every rectangle through its scan converter instead of
// filling it directly.
class Antialiased {
public:
    explicit Antialiased(QPainter& painter) : painter_(painter) {
        painter_.setRenderHint(QPainter::Antialiasing, true);
    }
    ~Antialiased() { painter_.setRenderHint(QPainter::Antialiasing, false); }
    Antialiased(const Antialiased&) = delete;
    Antialiased& operator=(const Antialiased&) = delete;

private:
    QPainter& painter_;
};

}  // namespace

QtRenderEngine::QtRenderEngine(QPainter& painter, ImageCache& images, LayerCache* layers,
                               bool painting_layer)
    : painter_(painter), images_(images), layers_(layers), painting_layer_(painting_layer) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void QtRenderEngine::FillRect(const dui::Rect& rect, dui::Color color) {
    if (dui::IsDrawn(color) && !rect.IsEmpty()) {
        painter_.fillRect(ToQRect(rect), ToQColor(color));
    }
}

void QtRenderEngine::DrawRect(const dui::Rect& rect, int width, dui::Color color) {
    if (!dui::IsDrawn(color) || width <= 0 || rect.IsEmpty()) {
        return;
    }
    const QColor c = ToQColor(color);
    const int w = std::min({width, rect.Width(), rect.Height()});
    painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), w), c);
    painter_.fillRect(QRect(rect.left, rect.bottom - w, rect.Width(), w), c);
    painter_.fillRect(QRect(rect.left, rect.top + w, w, rect.Height() - 2 * w), c);
    painter_.fillRect(QRect(rect.right - w, rect.top + w, w, rect.Height() - 2 * w), c);
}

void QtRenderEngine::FillRoundRect(const dui::Rect& rect, int rx, int ry, dui::Color color) {
    if (!dui::IsDrawn(color) || rect.IsEmpty()) {
        return;
    }
    QPainterPath path;
    path.addRoundedRect(ToQRectF(rect), rx, ry);
    const Antialiased antialiased(painter_);
    painter_.fillPath(path, ToQColor(color));
}

void QtRenderEngine::EraseRoundRect(const dui::Rect& rect, int rx, int ry) {
    if (rect.IsEmpty()) {
        return;
    }
    QPainterPath path;
    path.addRoundedRect(ToQRectF(rect), rx, ry);
    const QPainter::CompositionMode mode = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    const Antialiased antialiased(painter_);
    painter_.fillPath(path, Qt::black);
    painter_.setCompositionMode(mode);
}

void QtRenderEngine::DrawRoundRect(const dui::Rect& rect, int width, int rx, int ry,
                                   dui::Color color) {
    if (!dui::IsDrawn(color) || width <= 0 || rect.IsEmpty()) {
        return;
    }
    // The pen is centred on the path: inset by half the width so the border stays inside.
    const double half = width / 2.0;
    const QRectF r = ToQRectF(rect).adjusted(half, half, -half, -half);
    painter_.save();
    painter_.setPen(QPen(ToQColor(color), width));
    painter_.setBrush(Qt::NoBrush);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.drawRoundedRect(r, rx, ry);
    painter_.restore();
}

void QtRenderEngine::FillEllipse(const dui::Rect& rect, dui::Color color) {
    if (!dui::IsDrawn(color) || rect.IsEmpty()) {
        return;
    }
    painter_.save();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(color));
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.drawEllipse(ToQRectF(rect));
    painter_.restore();
}

void QtRenderEngine::FillPie(const dui::Rect& rect, double start_degrees, double sweep_degrees,
                             dui::Color color) {
    if (!dui::IsDrawn(color) || rect.IsEmpty() || sweep_degrees == 0.0) {
        return;
    }
    // Qt measures angles counter-clockwise in 1/16 degree; ours run clockwise on screen.
    painter_.save();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(color));
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.drawPie(ToQRectF(rect), static_cast<int>(-start_degrees * 16.0),
                     static_cast<int>(-sweep_degrees * 16.0));
    painter_.restore();
}

QFont QtRenderEngine::ToQFont(const dui::FontSpec& font) {
    QFont f(QString::fromStdString(font.face));
    f.setPixelSize(std::max(1, font.size));
    f.setBold(font.bold);
    f.setUnderline(font.underline);
    f.setItalic(font.italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void QtRenderEngine::DrawText(const dui::Rect& rect, std::string_view text,
                              const dui::FontSpec& font, dui::Color color, unsigned format) {
    if (!dui::IsDrawn(color) || text.empty() || rect.IsEmpty()) {
        return;
    }
    int flags = 0;
    flags |= (format & dui::kTextCenter)  ? Qt::AlignHCenter
             : (format & dui::kTextRight) ? Qt::AlignRight
                                          : Qt::AlignLeft;
    flags |= (format & dui::kTextVCenter)  ? Qt::AlignVCenter
             : (format & dui::kTextBottom) ? Qt::AlignBottom
                                           : Qt::AlignTop;
    const bool single_line = (format & dui::kTextSingleLine) != 0;
    if ((format & dui::kTextWordBreak) && !single_line) {
        flags |= Qt::TextWordWrap;
    }
    const QFont qfont = ToQFont(font);
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (single_line) {
        string.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    if (format & dui::kTextEndEllipsis) {
        const QFontMetrics metrics(qfont);
        string = metrics.elidedText(string, Qt::ElideRight, rect.Width());
    }
    painter_.save();
    painter_.setFont(qfont);
    painter_.setPen(ToQColor(color));
    if (single_line && !string.contains(QLatin1Char('\t'))) {
        // A single line is laid out once and then only drawn: labels repaint often.
        const QStaticText& laid_out = Cache().Text(string, font, qfont);
        const QSizeF size = laid_out.size();
        const QRect box = ToQRect(rect);
        const double x = (flags & Qt::AlignHCenter) ? box.left() + (box.width() - size.width()) / 2
                         : (flags & Qt::AlignRight) ? box.right() + 1 - size.width()
                                                    : box.left();
        const double y = (flags & Qt::AlignVCenter) ? box.top() + (box.height() - size.height()) / 2
                         : (flags & Qt::AlignBottom) ? box.bottom() + 1 - size.height()
                                                     : box.top();
        painter_.setClipRect(box, Qt::IntersectClip);
        painter_.drawStaticText(QPointF(x, y), laid_out);
        painter_.restore();
        return;
    }
    painter_.drawText(ToQRect(rect), flags, string);
    painter_.restore();
}

void QtRenderEngine::DrawPart(const QImage& image, const QRect& dest, const QRect& source,
                              bool xtiled, bool ytiled) {
    if (dest.isEmpty() || source.isEmpty()) {
        return;
    }
    if (!xtiled && !ytiled) {
        painter_.drawImage(dest, image, source);
        return;
    }
    const int step_x = xtiled ? source.width() : dest.width();
    const int step_y = ytiled ? source.height() : dest.height();
    painter_.save();
    painter_.setClipRect(dest, Qt::IntersectClip);
    for (int y = dest.top(); y < dest.top() + dest.height(); y += step_y) {
        for (int x = dest.left(); x < dest.left() + dest.width(); x += step_x) {
            painter_.drawImage(QRect(x, y, step_x, step_y), image, source);
        }
    }
    painter_.restore();
}

void QtRenderEngine::DrawImage(const dui::ImageDraw& draw) {
    if (draw.dest.IsEmpty() || draw.fade <= 0) {
        return;
    }
    const QImage& image = images_.Get(draw.path, draw.mask, draw.tint);
    if (image.isNull()) {
        return;
    }
    QRect source = draw.source ? ToQRect(*draw.source) : image.rect();
    source = source.intersected(image.rect());
    if (source.isEmpty()) {
        return;
    }
    const QRect dest = ToQRect(draw.dest);
    painter_.save();
    painter_.setOpacity(painter_.opacity() * std::clamp(draw.fade, 0, 255) / 255.0);

    const dui::Rect& c = draw.corner;
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        DrawPart(image, dest, source, draw.xtiled, draw.ytiled);
    } else {
        // Nine-patch: the corners keep their size, the edges stretch (or tile) one way, the
        // centre both ways (or is left out for a hole).
        const int sx[4] = {source.left(), source.left() + c.left, source.right() + 1 - c.right,
                           source.right() + 1};
        const int sy[4] = {source.top(), source.top() + c.top, source.bottom() + 1 - c.bottom,
                           source.bottom() + 1};
        const int dx[4] = {dest.left(), dest.left() + c.left, dest.right() + 1 - c.right,
                           dest.right() + 1};
        const int dy[4] = {dest.top(), dest.top() + c.top, dest.bottom() + 1 - c.bottom,
                           dest.bottom() + 1};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (draw.hole && row == 1 && col == 1) {
                    continue;
                }
                const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
                const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
                DrawPart(image, d, s, draw.xtiled && col == 1, draw.ytiled && row == 1);
            }
        }
    }
    painter_.restore();
}

void QtRenderEngine::DrawLayer(const void* owner, std::uint64_t generation, const dui::Rect& rect,
                               const std::function<void(dui::IRenderEngine&)>& paint) {
    const QRect area = ToQRect(rect);
    if (layers_ == nullptr || area.isEmpty()) {
        paint(*this);
        return;
    }
    const qreal ratio = painter_.device()->devicePixelRatio();
    const QImage* picture = layers_->Find(owner, generation, area, ratio);
    if (picture == nullptr) {
        QImage image(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter layer_painter(&image);
        layer_painter.translate(-area.topLeft());
        QtRenderEngine layer(layer_painter, images_, nullptr, true);
        paint(layer);
        layer_painter.end();
        picture = &layers_->Store(owner, generation, area, std::move(image));
    }
    // The picture matches the device pixel for pixel. Without smooth scaling asked for, the
    // raster engine blends it in one pass instead of span by span on its thread pool.
    const bool smooth = painter_.testRenderHint(QPainter::SmoothPixmapTransform);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.drawImage(area.topLeft(), *picture);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

// Only the clip changes between a push and its pop (every other state change is undone where
// it is made), so the clip is set directly instead of saving the painter's whole state.
void QtRenderEngine::PushClip(const dui::Rect& rect) {
    QRect clip = ToQRect(rect);
    if (!clips_.empty()) {
        clip = clip.intersected(clips_.back());
    }
    clips_.push_back(clip);
    painter_.setClipRect(clip);
}

void QtRenderEngine::PopClip() {
    if (clips_.empty()) {
        return;
    }
    clips_.pop_back();
    if (clips_.empty()) {
        painter_.setClipping(false);
    } else {
        painter_.setClipRect(clips_.back());
    }
}

}  // namespace calvorn::qt
