#pragma once

#include "message/DecodedMessage.h"

#include <QTextBrowser>

#include <vector>

class QTextDocument;

namespace mq {

// The text of a message, plain or HTML, showing nothing from outside the message: the
// pictures, background pictures and style sheets an HTML text names are never looked for,
// on the web or in files. A picture of the message itself ("cid:") is shown, a grey box
// stands where any other picture would be, and no background picture is drawn. Links do
// not open.
class MessageBody : public QTextBrowser {
    Q_OBJECT

public:
    explicit MessageBody(QWidget* parent = nullptr);

    void showText(const QString& text, bool html,
                  const std::vector<MessagePicture>& pictures = {});

private:
    QTextDocument* shown_ = nullptr;  // ours; the first document is the browser's own
    std::vector<MessagePicture> pictures_;  // of the shown text
};

}  // namespace mq
