#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace mq {

class AnsiCodePage;
class LocaleSettings;
class MessageView;
class UserDialogs;

// One message in a window of its own, read from the copy of its stored text that the window
// keeps, so it stays whole whatever happens to the list it was opened from. Saves an
// attachment and shows the stored text.
class TReaderWindow : public QWidget {
    Q_OBJECT

public:
    // `saveFolder` (UTF-8): where Save Attachment... starts.
    TReaderWindow(std::string storedText, const AnsiCodePage& codePage,
                  const LocaleSettings& locale, UserDialogs& dialogs, const QString& saveFolder,
                  QWidget* parent);

    // The folder the message came from, shown with its header fields.
    void setFolder(const QString& name);

    void SaveAttachment1Click();
    void ShowSource1Click();

private:
    const AnsiCodePage& codePage_;
    UserDialogs& dialogs_;
    QString saveFolder_;
    MessageView* view_;
    QPushButton* SaveAttachment1;
    QPushButton* ShowSource1;
    QPointer<QPlainTextEdit> source_;
};

}  // namespace mq
