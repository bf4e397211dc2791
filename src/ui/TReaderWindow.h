#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QPushButton;

namespace mq {

class AnsiCodePage;
class LocaleSettings;
class MessageView;
class TSourceWindow;
class UserDialogs;

// One message in a window of its own, read from the copy of its stored text that the window
// keeps, so it stays whole whatever happens to the list it was opened from. Moves to the
// message before or after it in that list, saves attachments and shows the stored text.
class TReaderWindow : public QWidget {
    Q_OBJECT

public:
    // A message of the list the window was opened from, and the folder it came from when
    // the list is not one folder's.
    struct ListedMessage {
        std::string storedText;
        QString folder;
    };
    // The message `step` rows away from the one shown (-1: the one before), which then is
    // the one shown; none past either end of the list, or when the list shows another
    // folder now.
    using Navigation = std::function<std::optional<ListedMessage>(int step)>;

    // `saveFolder` (UTF-8): where Save Attachment... starts.
    TReaderWindow(std::string storedText, const AnsiCodePage& codePage,
                  const LocaleSettings& locale, UserDialogs& dialogs, const QString& saveFolder,
                  QWidget* parent, Navigation navigation = {});

    // The folder the message came from, shown with its header fields.
    void setFolder(const QString& name);

    void Previous1Click();
    void Next1Click();
    void SaveAttachment1Click();
    void SaveAllAttachments1Click();
    void ShowSource1Click();

private:
    void showMessage(std::string storedText);
    void step(int by);

    const AnsiCodePage& codePage_;
    UserDialogs& dialogs_;
    QString saveFolder_;
    Navigation navigation_;
    MessageView* view_;
    QPushButton* Previous1;
    QPushButton* Next1;
    QPushButton* SaveAttachment1;
    QPushButton* SaveAllAttachments1;
    QPushButton* ShowSource1;
    QPointer<TSourceWindow> source_;
};

}  // namespace mq
