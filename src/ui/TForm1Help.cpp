#include "ui/TForm1.h"

#include "ui/HelpViewer.h"
#include "ui/TAboutBox.h"
#include "ui/TForm6.h"

#include <QApplication>

namespace mq {

void TForm1::About1Click() {
    TAboutBox box(this);
    box.exec();
}

void TForm1::Contents1Click() {
    showHelp(QStringLiteral("Topic1"));
}

void TForm1::Identities1Click() {
    TForm6 notice(this);
    notice.exec();
}

void TForm1::showHelp(const QString& topic) {
    // The help window belongs to the modal dialog that asks for it, if any, so that it can
    // be used while that dialog is open.
    QWidget* owner = QApplication::activeModalWidget();
    showHelpTopic(owner ? owner : this, dialogs_, HelpFile, topic);
}

}  // namespace mq
