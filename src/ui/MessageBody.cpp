#include "ui/MessageBody.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <vector>

namespace mq {

namespace {

// The name every picture of a shown text is given: the layout asks for it by that name,
// which is no address and no path the sender chose.
const QString PictureNotLoaded = QStringLiteral("mailquarry-picture-not-loaded");

QImage placeholder() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter painter(&image);
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    painter.drawRect(0, 0, 15, 15);
    return image;
}

// A document that loads nothing: every resource it asks for is answered here, so neither
// Qt's file loading nor a resource provider is ever reached.
class SealedDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl&) override {
        static const QImage picture = placeholder();
        if (type == QTextDocument::ImageResource) return picture;
        return QString();
    }
};

template <class Format>
bool clearBackgroundPicture(Format& format) {
    if (!format.hasProperty(QTextFormat::BackgroundImageUrl)) return false;
    format.clearProperty(QTextFormat::BackgroundImageUrl);
    return true;
}

void sealFrame(QTextFrame& frame) {
    QTextFrameFormat format = frame.frameFormat();
    if (clearBackgroundPicture(format)) frame.setFrameFormat(format);
    if (auto* table = qobject_cast<QTextTable*>(&frame)) {
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(row, column);
                QTextCharFormat cellFormat = cell.format();
                if (clearBackgroundPicture(cellFormat)) cell.setFormat(cellFormat);
            }
        }
    }
    for (QTextFrame* child : frame.childFrames()) sealFrame(*child);
}

// Renames every picture and drops every background picture before the document is laid out:
// the layout looks for a picture's name in files (variants for high-resolution screens
// among them) before it asks the document.
void sealPictures(QTextDocument& document) {
    struct Change {
        int position;
        int length;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    std::vector<int> blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat blockFormat = block.blockFormat();
        if (clearBackgroundPicture(blockFormat)) blocks.push_back(block.position());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            const bool picture = format.isImageFormat();
            if (picture) format.setProperty(QTextFormat::ImageName, PictureNotLoaded);
            if (clearBackgroundPicture(format) || picture)
                changes.push_back({fragment.position(), fragment.length(), format});
        }
    }
    // Applied after the walk: a changed format may join fragments the walk still visits.
    QTextCursor cursor(&document);
    for (const int position : blocks) {
        cursor.setPosition(position);
        QTextBlockFormat format = cursor.blockFormat();
        clearBackgroundPicture(format);
        cursor.setBlockFormat(format);
    }
    for (const Change& change : changes) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    sealFrame(*document.rootFrame());
}

}  // namespace

MessageBody::MessageBody(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
}

void MessageBody::showText(const QString& text, bool html) {
    auto* next = new SealedDocument(this);
    next->setDefaultFont(font());
    if (html) {
        next->setHtml(text);
        sealPictures(*next);
    } else {
        next->setPlainText(text);
    }
    setDocument(next);
    delete shown_;
    shown_ = next;
}

}  // namespace mq
