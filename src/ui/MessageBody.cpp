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

// Qt lays a paragraph out in time that grows with the square of its length, and a message
// may hold a line of a megabyte: no paragraph shown is longer than this.
constexpr qsizetype LongestParagraph = 2000;

// `text` with a line end put into every line longer than LongestParagraph: after its last
// blank near the limit, or at the limit when there is none.
QString withShortParagraphs(const QString& text) {
    QString shown;
    shown.reserve(text.size() + text.size() / LongestParagraph);
    qsizetype start = 0;  // of the line `shown` ends in
    for (const QChar c : text) {
        shown += c;
        if (c == QLatin1Char('\n')) {
            start = shown.size();
        } else if (shown.size() - start == LongestParagraph) {
            qsizetype cut = shown.size();
            for (qsizetype i = shown.size() - 1; i > shown.size() - LongestParagraph / 10; --i) {
                if (shown[i].isSpace()) {
                    cut = i + 1;
                    break;
                }
            }
            shown.insert(cut, QLatin1Char('\n'));
            start = cut + 1;
        }
    }
    return shown;
}

bool hasLongParagraph(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.length() > LongestParagraph) return true;
    return false;
}

}  // namespace

MessageBody::MessageBody(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    // A caret the keyboard moves, for reading and selecting; Tab leaves for the next control.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
}

void MessageBody::showText(const QString& text, bool html) {
    auto* next = new SealedDocument(this);
    next->setDefaultFont(font());
    if (html) {
        next->setHtml(text);
        sealPictures(*next);
    }
    // An HTML text whose paragraphs are too long to lay out is shown as plain text.
    const bool asPlainText = !html || hasLongParagraph(*next);
    if (asPlainText) {
        const QString plain =
            html ? next->toPlainText().remove(QChar::ObjectReplacementCharacter) : text;
        next->clear();
        next->setPlainText(withShortParagraphs(plain));
    }
    // A word is never broken into letters: a table too narrow for it grows instead.
    setWordWrapMode(asPlainText ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                : QTextOption::WordWrap);
    setDocument(next);
    delete shown_;
    shown_ = next;
}

}  // namespace mq
