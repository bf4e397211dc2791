#include "ui/ImageList1.h"

#include "ui/PaintedIcons.h"

#include <QPainter>
#include <QPolygonF>

#include <array>

namespace mq {

namespace {

void drawTriangle(QPainter& p, bool up) {
    const QPolygonF shape = up ? QPolygonF({{3.5, 11.5}, {12.5, 11.5}, {8, 4}})
                               : QPolygonF({{3.5, 4.5}, {12.5, 4.5}, {8, 12}});
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(110, 110, 110));
    p.drawPolygon(shape);
}

std::array<QIcon, ImageList1::Count> makeImages() {
    return {paintIcon([](QPainter& p) { drawTriangle(p, true); }),
            paintIcon([](QPainter& p) { drawTriangle(p, false); }), paintIcon(drawEnvelope)};
}

}  // namespace

QIcon ImageList1::icon(int index) {
    static const std::array<QIcon, Count> images = makeImages();
    if (index < 0 || index >= Count) return {};
    return images[static_cast<std::size_t>(index)];
}

}  // namespace mq
