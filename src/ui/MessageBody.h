#pragma once

#include <QTextBrowser>

class QTextDocument;

namespace mq {

// The text of a message, plain or HTML, showing nothing from outside the message: the
// pictures, background pictures and style sheets an HTML text names are never looked for,
// on the web or in files, and a grey box stands where a picture would be. Links do not open.
class MessageBody : public QTextBrowser {
    Q_OBJECT

public:
    explicit MessageBody(QWidget* parent = nullptr);

    void showText(const QString& text, bool html);

private:
    QTextDocument* shown_ = nullptr;  // ours; the first document is the browser's own
};

}  // namespace mq
