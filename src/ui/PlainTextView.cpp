#include "ui/PlainTextView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace mq {

namespace {

constexpr int Margin = 4;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

PlainTextView::PlainTextView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void PlainTextView::showText(std::string text) {
    text_ = std::move(text);
    lineStarts_.clear();
    longestLine_ = 0;
    for (std::size_t start = 0; start < text_.size() || lineStarts_.empty();) {
        std::size_t end = text_.find('\n', start);
        if (end == std::string::npos) end = text_.size();
        // A long line is cut into pieces, never inside a character.
        std::size_t cut = std::min(end, start + LongestLine);
        while (cut < end && cut > start + 1 && isContinuationByte(text_[cut])) --cut;
        lineStarts_.push_back(start);
        longestLine_ = std::max(longestLine_, cut - start);
        start = cut == end ? end + 1 : cut;
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

std::string_view PlainTextView::line(std::size_t index) const {
    const std::size_t start = lineStarts_[index];
    std::size_t end = index + 1 < lineStarts_.size() ? lineStarts_[index + 1] : text_.size();
    end = std::min(end, text_.size());
    std::string_view piece(text_.data() + start, end - start);
    if (piece.ends_with('\n')) piece.remove_suffix(1);
    return piece;
}

void PlainTextView::updateScrollBars() {
    const int lineHeight = fontMetrics().lineSpacing();
    const int visible = std::max(1, (viewport()->height() - Margin) / lineHeight);
    const auto lines = static_cast<int>(std::min<std::size_t>(lineStarts_.size(), INT_MAX));
    verticalScrollBar()->setRange(0, std::max(0, lines - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    const int width = static_cast<int>(longestLine_) * fontMetrics().averageCharWidth();
    horizontalScrollBar()->setRange(0, std::max(0, width + 2 * Margin - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().averageCharWidth() * 4);
}

void PlainTextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics = fontMetrics();
    const int x = Margin - horizontalScrollBar()->value();
    int y = Margin + metrics.ascent();
    for (auto index = static_cast<std::size_t>(verticalScrollBar()->value());
         index < lineStarts_.size() && y - metrics.ascent() < viewport()->height(); ++index) {
        const std::string_view bytes = line(index);
        QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        text.replace(QLatin1Char('\t'), QStringLiteral("        "));
        painter.drawText(x, y, text);
        y += metrics.lineSpacing();
    }
}

void PlainTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PlainTextView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home && event->modifiers() & Qt::ControlModifier) {
        verticalScrollBar()->setValue(0);
    } else if (event->key() == Qt::Key_End && event->modifiers() & Qt::ControlModifier) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

}  // namespace mq
