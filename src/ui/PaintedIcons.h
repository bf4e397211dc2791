#pragma once

#include <QIcon>

#include <functional>

class QPainter;

namespace mq {

// Icons drawn in code on a 16 by 16 grid (the program ships no image files of its own
// besides the desktop icon), at one and two times the size for sharp scaling.
QIcon paintIcon(const std::function<void(QPainter&)>& draw);

// The pieces the icons are built from, each on the 16 by 16 grid.
void drawEnvelope(QPainter& p);
void drawPage(QPainter& p, qreal x, qreal y);
void drawAt(QPainter& p, qreal x, qreal y, const QColor& colour);

// The speed bar's buttons.
QIcon saveIndividualFilesIcon();
QIcon saveSingleFileIcon();
QIcon extractReplyToIcon();
QIcon extractBodyIcon();
QIcon extractBothIcon();
QIcon selectAllIcon();
QIcon exitIcon();
QIcon helpIcon();

}  // namespace mq
