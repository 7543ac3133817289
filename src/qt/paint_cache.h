#pragma once

// Texts the render engine draws again and again, kept laid out: single-line texts by text and
// font. The key picture of a device page repaints every key label 20 times a second while a
// light effect runs, and laying each label out anew was a large part of that cost. Used on
// the GUI thread only.

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QString>

#include "dui/render_engine.h"

namespace calvorn::qt {

class PaintCache {
public:
    // `text` laid out once in `font`, the QFont of `description`.
    const QStaticText& Text(const QString& text, const dui::FontSpec& description,
                            const QFont& font);

private:
    // Drops the least recently used texts beyond this many.
    QCache<QString, QStaticText> texts_{2048};
};

}  // namespace calvorn::qt
