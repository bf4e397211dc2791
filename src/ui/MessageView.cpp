#include "ui/MessageView.h"

#include "message/MessageDate.h"
#include "platform/LocaleSettings.h"
#include "store/DateTime.h"
#include "ui/MessageBody.h"
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

// A field that reads like a label but can be selected and copied, and keeps one line however
// long the text.
QLineEdit* headerField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
    return field;
}

QString attachmentText(const MessageAttachment& attachment) {
    const QString name = fromUtf8(attachment.name);
    return QStringLiteral("%1 (%2, %3)")
        .arg(name.isEmpty() ? QStringLiteral("Unnamed") : name, fromUtf8(attachment.contentType),
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
    layout->addWidget(attachments_);

    connect(wholeMessage_, &QPushButton::clicked, this, &MessageView::showWholeMessage);
    connect(attachments_, &QListWidget::currentRowChanged, this,
            &MessageView::currentAttachmentChanged);
    connect(attachments_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit attachmentActivated(attachments_->row(item)); });
    clear();
}

void MessageView::setMessage(std::string storedText) {
    stored_ = std::move(storedText);
    decode({});
}

void MessageView::setFolder(const QString& name) {
    folder_->setText(name);
    folder_->setCursorPosition(0);
    static_cast<QFormLayout*>(headerFields_->layout())->setRowVisible(folder_, !name.isEmpty());
}

void MessageView::showProblem(const QString& line) {
    clear();
    showNotice(line, false);
}

void MessageView::clear() {
    std::string().swap(stored_);
    decoded_ = {};
    noticeBar_->hide();
    headerFields_->hide();
    body_->showText(QString(), false);
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
        edit->setText(fromUtf8(text));
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

    body_->showText(fromUtf8(decoded_.body), decoded_.bodyIsHtml);

    attachments_->clear();
    for (const MessageAttachment& attachment : decoded_.attachments)
        attachments_->addItem(attachmentText(attachment));
    attachments_->setVisible(!decoded_.attachments.empty());

    if (stored_.empty())
        showNotice(QStringLiteral("The store holds no text for this message."), false);
    else if (decoded_.bodyTruncated)
        showNotice(QStringLiteral("Only the first part of this long message is shown."), true);
    else if (decoded_.bodyIsRaw)
        showNotice(
            QStringLiteral("Part of this message could not be decoded and is shown as stored."),
            false);
    else
        noticeBar_->hide();
}

void MessageView::showNotice(const QString& text, bool wholeMessageButton) {
    notice_->setText(text);
    wholeMessage_->setVisible(wholeMessageButton);
    noticeBar_->show();
}

void MessageView::showWholeMessage() {
    // Laying out tens of megabytes takes seconds that cannot be cut short.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    decode(DecodeLimits::unlimited());
    QApplication::restoreOverrideCursor();
}

}  // namespace mq
