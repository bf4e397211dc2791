#include "ui/TLongLabel.h"

#include <QPainter>

#include <algorithm>

namespace mq {

TLongLabel::TLongLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLongLabel::setEllipsType(TEllipsType type) {
    if (type == ellipsType_) return;
    ellipsType_ = type;
    update();
}

void TLongLabel::setShowAccelChar(bool show) {
    if (show == showAccelChar_) return;
    showAccelChar_ = show;
    update();
}

int TLongLabel::drawFlags() const {
    int flags = int(alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask));
    flags |= wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    if (showAccelChar_) flags |= Qt::TextShowMnemonic;
    return flags;
}

QString TLongLabel::shownText(int width) const {
    const QString full = text();
    // Wrapped text is drawn as it wraps; shortening applies to one line only.
    if (wordWrap() || ellipsType_ == etNone) return full;
    const QFontMetrics metrics(font());
    const int flags = showAccelChar_ ? int(Qt::TextShowMnemonic) : 0;
    if (metrics.horizontalAdvance(full) <= width) return full;
    if (ellipsType_ == etPathEllips) return pathElided(full, width);
    return metrics.elidedText(full, Qt::ElideRight, width, flags);
}

// Keeps the last path component and as much of the beginning as fits before "...".
QString TLongLabel::pathElided(const QString& full, int width) const {
    const QFontMetrics metrics(font());
    const qsizetype cut = std::max(full.lastIndexOf(u'\\'), full.lastIndexOf(u'/'));
    const QString tail = cut < 0 ? QString() : full.mid(cut);
    const QString ellipsis = QStringLiteral("...");
    if (tail.isEmpty() || metrics.horizontalAdvance(ellipsis + tail) > width)
        return metrics.elidedText(cut < 0 ? full : ellipsis + tail, Qt::ElideRight, width);
    qsizetype keep = cut;
    while (keep > 0 && metrics.horizontalAdvance(full.left(keep) + ellipsis + tail) > width) --keep;
    return full.left(keep) + ellipsis + tail;
}

void TLongLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const int flags = drawFlags();
    const QString shown = shownText(area.width());
    painter.setFont(font());
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, flags, shown);
        return;
    }
    // Disabled: an embossed look, highlight one pixel down-right, shadow on top.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(1, 1), flags, shown);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(area, flags, shown);
}

}  // namespace mq
