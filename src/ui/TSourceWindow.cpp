#include "ui/TSourceWindow.h"

#include "ui/CloseKeys.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace mq {

TSourceWindow::TSourceWindow(const QString& source, const QString& subject, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("SourceWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle((subject.isEmpty() ? QStringLiteral("No Subject") : subject) +
                   QStringLiteral(" - Source"));
    SourceView = new QPlainTextEdit(this);
    // Read-only before anything can ask how a screen reader is to see it: the answer is kept.
    SourceView->setReadOnly(true);
    SourceView->setObjectName(QStringLiteral("SourceView"));
    SourceView->setAccessibleName(QStringLiteral("Message source"));
    SourceView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    SourceView->setLineWrapMode(QPlainTextEdit::NoWrap);
    SourceView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A NUL would end the text shown; it shows as U+FFFD, the rest as stored.
    SourceView->setPlainText(QString(source).replace(QChar(u'\0'), QChar(QChar::ReplacementCharacter)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SourceView);
    addCloseKeys(*this);
    resize(800, 600);
}

}  // namespace mq
