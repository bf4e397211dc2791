#include "ui/FixedDialog.h"

#include <QDialog>
#include <QFontMetricsF>
#include <QLabel>

#include <algorithm>

namespace mq {

namespace {

constexpr qreal DesignedCharWidth = 6;
constexpr qreal DesignedTextHeight = 13;

QRect scaled(const QRect& rect, qreal across, qreal down) {
    const auto x = [across](int value) { return qRound(value * across); };
    const auto y = [down](int value) { return qRound(value * down); };
    // Edges, not sizes, are scaled, so controls that met in the design still meet.
    return QRect(QPoint(x(rect.left()), y(rect.top())),
                 QPoint(x(rect.right() + 1) - 1, y(rect.bottom() + 1) - 1));
}

}  // namespace

void makeFixedDialog(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    const QFontMetricsF metrics(dialog.font());
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const qreal across = std::max<qreal>(
        1, metrics.horizontalAdvance(alphabet) / alphabet.size() / DesignedCharWidth);
    const qreal down = std::max<qreal>(1, metrics.height() / DesignedTextHeight);
    for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = scaled(control->geometry(), across, down);
        // A picture keeps its proportions: it only moves.
        const auto* picture = qobject_cast<QLabel*>(control);
        if (picture != nullptr && picture->hasScaledContents())
            control->move(place.topLeft());
        else
            control->setGeometry(place);
    }
    dialog.setFixedSize(qRound(dialog.width() * across), qRound(dialog.height() * down));
}

}  // namespace mq
