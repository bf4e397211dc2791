#include "ui/MessageBody.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <vector>

namespace mq {

namespace {

// The names the pictures of a shown text are given: the layout asks for them by these
// names, which are no address and no path the sender chose. A picture of the message is
// the prefix and its number in the message's list.
const QString PictureNotLoaded = QStringLiteral("mailquarry-picture-not-loaded");
const QString PictureOfMessage = QStringLiteral("mailquarry-picture-");

QImage placeholder() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xe8, 0xe8, 0xe8));
    QPainter painter(&image);
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    painter.drawRect(0, 0, 15, 15);
    return image;
}

// A document that loads nothing: every resource it asks for is answered here, so neither
// Qt's file loading nor a resource provider is ever reached. Background pictures, asked for
// while the HTML is read, get nothing, so that none is drawn.
class SealedDocument : public QTextDocument {
public:
    SealedDocument(const std::vector<MessagePicture>& pictures, QObject* parent)
        : QTextDocument(parent), pictures_(pictures) {}

    // The name a "cid:" address is shown by; PictureNotLoaded when the message has no
    // such picture.
    QString pictureName(const QString& address) const {
        const QString id = QUrl::fromPercentEncoding(address.mid(4).toUtf8());
        for (std::size_t i = 0; i < pictures_.size(); ++i) {
            if (QString::fromStdString(pictures_[i].contentId) == id)
                return PictureOfMessage + QString::number(i);
        }
        return PictureNotLoaded;
    }

protected:
    QVariant loadResource(int type, const QUrl& url) override {
        static const QImage picture = placeholder();
        if (type != QTextDocument::ImageResource) return QString();
        const QString name = url.toString();
        if (name == PictureNotLoaded) return picture;
        if (!name.startsWith(PictureOfMessage)) return {};
        bool number = false;
        const std::size_t index = name.mid(PictureOfMessage.size()).toULongLong(&number);
        if (!number || index >= pictures_.size()) return picture;
        // The layout asks at every paint; a picture is read once.
        images_.resize(pictures_.size());
        if (images_[index].isNull()) {
            const std::string& data = pictures_[index].data;
            images_[index] = QImage::fromData(
                QByteArrayView(data.data(), static_cast<qsizetype>(data.size())));
            if (images_[index].isNull()) images_[index] = picture;
        }
        return images_[index];
    }

private:
    const std::vector<MessagePicture>& pictures_;
    std::vector<QImage> images_;
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
void sealPictures(SealedDocument& document) {
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
            if (picture) {
                const QString name = format.toImageFormat().name();
                format.setProperty(QTextFormat::ImageName,
                                   name.startsWith(QLatin1String("cid:"), Qt::CaseInsensitive)
                                       ? document.pictureName(name)
                                       : PictureNotLoaded);
            }
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

void MessageBody::showText(const QString& text, bool html,
                           const std::vector<MessagePicture>& pictures) {
    pictures_ = pictures;
    auto* next = new SealedDocument(pictures_, this);
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
