#include "ui/PaintedIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace mq {

namespace {

const QColor Ink(60, 60, 60);
const QColor Paper(255, 255, 255);
const QColor EnvelopeFill(250, 236, 190);
const QColor Accent(30, 100, 190);
const QColor Stop(200, 50, 40);

void drawDownArrow(QPainter& p, qreal x, qreal y, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({{x + 1.5, y},
                             {x + 4.5, y},
                             {x + 4.5, y + 3},
                             {x + 6.5, y + 3},
                             {x + 3, y + 7},
                             {x - 0.5, y + 3},
                             {x + 1.5, y + 3}}));
}

}  // namespace

QIcon paintIcon(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void drawEnvelope(QPainter& p) {
    p.setPen(QPen(Ink, 1));
    p.setBrush(EnvelopeFill);
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{1.5, 3.5}, {8, 9}, {14.5, 3.5}}));
}

void drawPage(QPainter& p, qreal x, qreal y) {
    p.setPen(QPen(Ink, 1));
    p.setBrush(Paper);
    p.drawPolygon(QPolygonF({{x + 0.5, y + 0.5},
                             {x + 6.5, y + 0.5},
                             {x + 9.5, y + 3.5},
                             {x + 9.5, y + 12.5},
                             {x + 0.5, y + 12.5}}));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal line = y + 5.5; line < y + 12; line += 2)
        p.drawLine(QPointF(x + 2, line), QPointF(x + 8, line));
}

void drawAt(QPainter& p, qreal x, qreal y, const QColor& colour) {
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(x, y, 9, 9), Qt::AlignCenter, QStringLiteral("@"));
}

QIcon saveIndividualFilesIcon() {
    return paintIcon([](QPainter& p) {
        drawPage(p, 5, 0.5);
        drawPage(p, 1, 2.5);
        drawDownArrow(p, 9, 8.5, Accent);
    });
}

QIcon saveSingleFileIcon() {
    return paintIcon([](QPainter& p) {
        drawPage(p, 2, 1.5);
        drawDownArrow(p, 9, 8.5, Accent);
    });
}

QIcon extractReplyToIcon() {
    return paintIcon([](QPainter& p) {
        p.setPen(QPen(Accent, 1.6));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(12, 6);
        arrow.cubicTo(12, 2, 6, 2, 3, 5);
        p.drawPath(arrow);
        p.drawPolyline(QPolygonF({{2.5, 1.5}, {2.5, 5.5}, {6.5, 5.5}}));
        drawAt(p, 6, 6.5, Ink);
    });
}

QIcon extractBodyIcon() {
    return paintIcon([](QPainter& p) {
        drawPage(p, 1, 1.5);
        drawAt(p, 7, 6.5, Accent);
    });
}

QIcon extractBothIcon() {
    return paintIcon([](QPainter& p) {
        drawEnvelope(p);
        drawAt(p, 7, 6.5, Accent);
    });
}

QIcon selectAllIcon() {
    return paintIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(120, 160, 220));
        for (int row = 0; row < 4; ++row) p.drawRect(QRectF(1, 1.5 + row * 3.5, 14, 2.5));
        p.setPen(QPen(Ink, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, 15, 15));
    });
}

QIcon exitIcon() {
    return paintIcon([](QPainter& p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(200, 170, 120));
        p.drawRect(QRectF(2.5, 1.5, 8, 13));
        p.setPen(QPen(Stop, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(14.5, 8));
        p.drawPolyline(QPolygonF({{12, 5.5}, {14.5, 8}, {12, 10.5}}));
    });
}

QIcon helpIcon() {
    return paintIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont font;
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Paper);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    });
}

}  // namespace mq
