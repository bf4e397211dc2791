#pragma once

#include "message/DecodedMessage.h"

#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace mq {

class AnsiCodePage;
class LocaleSettings;
class MessageBody;
class PlainTextView;

// A stored message as a person reads it: the header fields, the body and the list of
// attachments, decoded. Keeps its own copy of the stored text. A long message shows its
// first part, and the whole of it when the user asks: as plain text in a view whose cost
// grows with the text's length alone (the body then lives in that view, not in message()).
class MessageView : public QWidget {
    Q_OBJECT

public:
    MessageView(const AnsiCodePage& codePage, const LocaleSettings& locale,
                QWidget* parent = nullptr);

    void setMessage(std::string storedText);
    // The folder the message came from, shown above its header fields while not empty.
    void setFolder(const QString& name);
    // Shows `line` in place of a message.
    void showProblem(const QString& line);
    void clear();
    // Empty, saying in grey that no message is selected.
    void showNoMessage();

    const std::string& storedText() const { return stored_; }
    const DecodedMessage& message() const { return decoded_; }
    // The attachment selected in the list; -1 when none is.
    int currentAttachment() const;

signals:
    void currentAttachmentChanged(int index);
    void attachmentActivated(int index);

private:
    void decode(const DecodeLimits& limits);
    void showNotice(const QString& text, bool wholeMessageButton);
    void showBody(bool whole);
    void showWholeMessage();

    const AnsiCodePage& codePage_;
    const LocaleSettings& locale_;
    std::string stored_;
    DecodedMessage decoded_;

    QWidget* noticeBar_;
    QLabel* notice_;
    QPushButton* wholeMessage_;
    QWidget* headerFields_;
    QLineEdit* folder_;
    QLineEdit* from_;
    QLineEdit* to_;
    QLineEdit* cc_;
    QLineEdit* replyTo_;
    QLineEdit* subject_;
    QLineEdit* date_;
    MessageBody* body_;
    PlainTextView* wholeBody_;
    QListWidget* attachments_;
};

}  // namespace mq
