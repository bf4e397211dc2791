#include "ui/MessageView.h"

#include "message/MessageDate.h"
#include "platform/LocaleSettings.h"
#include "platform/TextDirection.h"
#include "store/DateTime.h"
#include "ui/MessageBody.h"
#include "ui/PlainTextView.h"
#include "view/ReceivedText.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace mq {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A text from the sender, which cannot turn what is shown after it.
QString isolated(const std::string& text) {
    return fromUtf8(isolatedDirection(text));
}

// A field that reads like a label but can be selected and copied, and keeps one line however
// long the text.
QLineEdit* headerField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    // Tab goes from the list straight to the text; a click still selects in the field.
    field->setFocusPolicy(Qt::ClickFocus);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
    return field;
}

QString attachmentText(const MessageAttachment& attachment) {
    const QString name = fromUtf8(attachment.name);
    return QStringLiteral("%1 (%2, %3)")
        // Shown as the file name it would be saved under: without characters that turn
        // its direction, so that "gpj.exe" does not read "exe.jpg".
        .arg(name.isEmpty() ? QStringLiteral("Unnamed")
                            : isolated(withoutDirectionControls(attachment.name)),
             isolated(attachment.contentType),
             QLocale().formattedDataSize(qint64(attachment.size), 1,
                                         QLocale::DataSizeTraditionalFormat));
}

}  // namespace

MessageView::MessageView(const AnsiCodePage& codePage, const LocaleSettings& locale,
                         QWidget* parent)
    : QWidget(parent), codePage_(codePage), locale_(locale) {
    noticeBar_ = new QWidget(this);
    noticeBar_->setObjectName(QStringLiteral("NoticeBar"));
    notice_ = new QLabel(noticeBar_);
    notice_->setObjectName(QStringLiteral("Notice"));
    notice_->setWordWrap(true);
    wholeMessage_ = new QPushButton(QStringLiteral("Show the whole message"), noticeBar_);
    wholeMessage_->setObjectName(QStringLiteral("WholeMessage"));
    auto* noticeLayout = new QHBoxLayout(noticeBar_);
    noticeLayout->setContentsMargins(0, 0, 0, 0);
    noticeLayout->addWidget(notice_, 1);
    noticeLayout->addWidget(wholeMessage_);
    noticeBar_->hide();

    headerFields_ = new QWidget(this);
    headerFields_->setObjectName(QStringLiteral("HeaderFields"));
    folder_ = headerField("Folder", headerFields_);
    from_ = headerField("From", headerFields_);
    to_ = headerField("To", headerFields_);
    cc_ = headerField("Cc", headerFields_);
    replyTo_ = headerField("ReplyTo", headerFields_);
    subject_ = headerField("Subject", headerFields_);
    date_ = headerField("Date", headerFields_);
    QFont bold = subject_->font();
    bold.setBold(true);
    subject_->setFont(bold);
    auto* fields = new QFormLayout(headerFields_);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setVerticalSpacing(0);
    fields->addRow(QStringLiteral("Folder:"), folder_);
    fields->setRowVisible(folder_, false);
    fields->addRow(QStringLiteral("From:"), from_);
    fields->addRow(QStringLiteral("To:"), to_);
    fields->addRow(QStringLiteral("Cc:"), cc_);
    fields->addRow(QStringLiteral("Reply-To:"), replyTo_);
    fields->addRow(QStringLiteral("Subject:"), subject_);
    fields->addRow(QStringLiteral("Date:"), date_);

    body_ = new MessageBody(this);
    body_->setObjectName(QStringLiteral("MessageText"));
    body_->setAccessibleName(QStringLiteral("Message text"));
    wholeBody_ = new PlainTextView(this);
    wholeBody_->setObjectName(QStringLiteral("WholeMessageText"));
    wholeBody_->setAccessibleName(QStringLiteral("Message text"));
    wholeBody_->hide();

    attachments_ = new QListWidget(this);
    attachments_->setObjectName(QStringLiteral("Attachments"));
    attachments_->setAccessibleName(QStringLiteral("Attachments"));
    attachments_->setMaximumHeight(attachments_->fontMetrics().height() * 5);
    attachments_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(noticeBar_);
    layout->addWidget(headerFields_);
    layout->addWidget(body_, 1);
    layout->addWidget(wholeBody_, 1);
    layout->addWidget(attachments_);

    connect(wholeMessage_, &QPushButton::clicked, this, &MessageView::showWholeMessage);
    connect(attachments_, &QListWidget::currentRowChanged, this,
            &MessageView::currentAttachmentChanged);
    connect(attachments_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit attachmentActivated(attachments_->row(item)); });
    clear();
}

void MessageView::setMessage(std::string storedText) {
    body_->setPlaceholderText(QString());
    stored_ = std::move(storedText);
    decode({});
}

void MessageView::showNoMessage() {
    clear();
    body_->setPlaceholderText(QStringLiteral("No message selected"));
}

void MessageView::setFolder(const QString& name) {
    folder_->setText(name);
    folder_->setCursorPosition(0);
    static_cast<QFormLayout*>(headerFields_->layout())->setRowVisible(folder_, !name.isEmpty());
}

void MessageView::showProblem(const QString& line) {
    clear();
    body_->setPlaceholderText(QString());
    showNotice(line, false);
}

void MessageView::clear() {
    std::string().swap(stored_);
    decoded_ = {};
    noticeBar_->hide();
    headerFields_->hide();
    body_->showText(QString(), false);
    wholeBody_->showText({});
    showBody(false);
    attachments_->clear();
    attachments_->hide();
}

int MessageView::currentAttachment() const {
    return attachments_->currentRow();
}

void MessageView::decode(const DecodeLimits& limits) {
    try {
        decoded_ = decodeMessage(stored_, codePage_, limits);
    } catch (const std::exception&) {
        // Only memory can run out here: a text too big to convert as a whole.
        showProblem(QStringLiteral("This message is too large to show."));
        return;
    }
    const auto field = [this](QLineEdit* edit, const std::string& text) {
        edit->setText(isolated(text));
        edit->setCursorPosition(0);
        static_cast<QFormLayout*>(headerFields_->layout())->setRowVisible(edit, !text.empty());
    };
    field(from_, decoded_.from);
    field(to_, decoded_.to);
    field(cc_, decoded_.cc);
    field(replyTo_, decoded_.replyTo);
    field(subject_, decoded_.subject);
    // Shown like the list's dates, in the user's zone and format, when it names one.
    const std::optional<std::uint64_t> sent = parseMessageDate(decoded_.date);
    field(date_, sent ? receivedText(FiletimeToDatetime(*sent), locale_) : decoded_.date);
    headerFields_->show();

    // The whole of a long text goes to the plain view; an HTML text of a few megabytes still
    // lays out in seconds, and is shown as HTML.
    const bool whole = limits.bodyBytes == DecodeLimits::unlimited().bodyBytes &&
                       (!decoded_.bodyIsHtml || decoded_.body.size() > 4 * DecodeLimits().bodyBytes);
    if (whole) {
        wholeBody_->showText(std::move(decoded_.body));
        decoded_.body.clear();
        body_->showText(QString(), false);
    } else {
        body_->showText(fromUtf8(decoded_.body), decoded_.bodyIsHtml, decoded_.pictures);
        wholeBody_->showText({});  // the whole of the message shown before goes
    }
    showBody(whole);

    attachments_->clear();
    for (const MessageAttachment& attachment : decoded_.attachments)
        attachments_->addItem(attachmentText(attachment));
    attachments_->setVisible(!decoded_.attachments.empty());

    QString notice;
    if (stored_.empty())
        notice = QStringLiteral("The store holds no text for this message.");
    else if (decoded_.bodyTruncated)
        notice = QStringLiteral("Only the first part of this long message is shown.");
    else if (decoded_.bodyIsRaw)
        notice = QStringLiteral("Part of this message could not be decoded and is shown as stored.");
    if (decoded_.partsLeftOut > 0) {
        if (!notice.isEmpty()) notice += QLatin1Char(' ');
        notice += QStringLiteral("%1 more parts of this message are not listed.")
                      .arg(QLocale().toString(qulonglong(decoded_.partsLeftOut)));
    }
    if (notice.isEmpty())
        noticeBar_->hide();
    else
        showNotice(notice, decoded_.bodyTruncated);
}

void MessageView::showBody(bool whole) {
    body_->setVisible(!whole);
    wholeBody_->setVisible(whole);
}

void MessageView::showNotice(const QString& text, bool wholeMessageButton) {
    notice_->setText(text);
    wholeMessage_->setVisible(wholeMessageButton);
    noticeBar_->show();
}

void MessageView::showWholeMessage() {
    // Decoding tens of megabytes takes a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    decode(DecodeLimits::unlimited());
    QApplication::restoreOverrideCursor();
}

}  // namespace mq
