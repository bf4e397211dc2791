#pragma once

#include <QString>

class QWidget;

namespace mq {

class UserDialogs;

// Opens the help file (an HTML page with anchors for its topics) at `topic` in the help
// window of `owner`, which it creates on first use and raises afterwards. A help file that
// cannot be read gives the viewer's own complaint, and nothing else happens.
void showHelpTopic(QWidget* owner, UserDialogs& dialogs, const QString& helpFile,
                   const QString& topic);

}  // namespace mq
