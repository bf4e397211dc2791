#include "ScriptedDialogs.h"
#include "WindowFixture.h"

#include "ui/TForm5.h"
#include "ui/TForm2.h"
#include "ui/HelpViewer.h"
#include "ui/TAboutBox.h"
#include "ui/TExportDialog.h"
#include "ui/TForm3.h"
#include "ui/TForm6.h"
#include "ui/TLongLabel.h"
#include "ui/TReaderWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyleOptionButton>
#include <QTemporaryFile>
#include <QTest>

using namespace mq;

namespace {

// The text as drawn: "&&" shows "&", a single "&" only marks the mnemonic.
QString shown(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

QString where(const QWidget* control) {
    return control->window()->objectName() + "." + control->objectName();
}

// The text room of a push button or check box, inside its frame and beside its indicator.
QRect textRoom(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
    return button->style()->subElementRect(
        check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, button);
}

// Every control of the window whose text is cut off, measured with its own font.
QStringList cutTexts(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->pixmap().isNull() == false) continue;
        const bool ellipsis = qobject_cast<TLongLabel*>(label) != nullptr;
        const QSize need = label->text().isEmpty() || ellipsis
                               ? QSize(0, label->fontMetrics().height())
                           : label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                               : label->sizeHint();
        if (need.width() > label->width() || need.height() > label->height()) cut << where(label);
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty()) continue;
        const QRect room = textRoom(button);
        const QFontMetrics metrics = button->fontMetrics();
        if (metrics.horizontalAdvance(shown(button->text())) > room.width() ||
            metrics.height() > room.height())
            cut << where(button);
    }
    for (QLineEdit* edit : window->findChildren<QLineEdit*>())
        if (edit->isVisibleTo(window) && edit->sizeHint().height() > edit->height())
            cut << where(edit);
    for (QComboBox* box : window->findChildren<QComboBox*>())
        if (box->sizeHint().width() > box->width() || box->sizeHint().height() > box->height())
            cut << where(box);
    return cut;
}

// Controls that show an icon alone and are not named by their hint for a screen reader.
QStringList unnamedIcons(QWidget* window) {
    QStringList unnamed;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(window) && button->text().isEmpty() && !button->icon().isNull() &&
            (button->accessibleName().isEmpty() || button->accessibleName() != button->toolTip()))
            unnamed << where(button);
    return unnamed;
}

// Controls a screen reader cannot name, or names by a role that misleads: every control the
// user can reach or move (focus, buttons, splitters), and the window itself.
QStringList unnamedControls(QWidget* window) {
    QStringList unnamed;
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    controls.prepend(window);
    for (QWidget* control : controls) {
        if (!control->isVisibleTo(window) && control != window) continue;
        const bool interactive = control == window || control->focusPolicy() != Qt::NoFocus ||
                                 qobject_cast<QAbstractButton*>(control) != nullptr ||
                                 qobject_cast<QSplitter*>(control) != nullptr ||
                                 qobject_cast<QSplitterHandle*>(control) != nullptr;
        if (!interactive) continue;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        const QAccessible::Role role = face->role();
        if (face->text(QAccessible::Name).trimmed().isEmpty() || role == QAccessible::Client ||
            role == QAccessible::Grip ||
            (role == QAccessible::StaticText && face->textInterface() != nullptr))
            unnamed << where(control) + "(" + QString::number(role, 16) + ")";
    }
    return unnamed;
}

}  // namespace

class WindowTextsTest : public QObject {
    Q_OBJECT

private slots:
    void everyTextShowsWholeAndEveryControlHasAName() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        form.findChild<QAction*>("PreviewPane1")->trigger();
        f.clickFolder("Inbox");
        QStringList cut = cutTexts(&form);
        QStringList unnamed = unnamedIcons(&form) + unnamedControls(&form);
        // Every part of the reader shown: the notice of a long message with its button, all
        // six header fields, the attachments.
        std::string longMessage =
            "From: a@example.com\r\nTo: b@example.com\r\nCc: c@example.com\r\n"
            "Reply-To: d@example.com\r\nSubject: Long\r\n"
            "Date: Fri, 14 May 2004 16:45:12 +0200\r\n"
            "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\n";
        longMessage.append(2 << 20, 'x')
            .append(
                "\r\n--b\r\nContent-Type: image/png; name=a.png"
                "\r\n\r\nx\r\n--b--\r\n");
        TReaderWindow reader(longMessage, f.codePage, f.locale, f.dialogs, QString(), &form);
        reader.show();
        cut << cutTexts(&reader);
        unnamed << unnamedIcons(&reader) << unnamedControls(&reader);
        reader.findChild<QPushButton*>("ShowSource1")->click();
        unnamed << unnamedControls(reader.findChild<QPlainTextEdit*>("SourceView")->window());

        QTemporaryFile help;
        QVERIFY(help.open());
        help.write("<h1><a name=\"Topic1\"></a>Help</h1>");
        help.close();
        showHelpTopic(&form, f.dialogs, help.fileName(), "Topic1");
        unnamed << unnamedControls(form.findChild<QDialog*>("HelpViewer"));
        TExportDialog exportDialog(f.dialogs, f.codePage, FolderList(), &form);
        exportDialog.show();
        unnamed << unnamedControls(&exportDialog);
        exportDialog.hide();

        TForm2 preferences(
            f.dialogs, f.codePage, [](const QString&) {}, &form);
        TForm3 progress(form, &form);
        progress.findChild<QLabel*>("Label2")->setText("Item(s) Remaining...100000");
        TForm5 results(f.dialogs, f.codePage, &form);
        TForm6 identities(&form);
        TAboutBox about(&form);
        for (QDialog* dialog : std::initializer_list<QDialog*>{&preferences, &progress, &results,
                                                               &identities, &about}) {
            dialog->show();
            cut << cutTexts(dialog);
            unnamed << unnamedIcons(dialog) << unnamedControls(dialog);
            dialog->hide();
        }
        QCOMPARE(cut.join(", "), QString());
        QCOMPARE(unnamed.join(", "), QString());
    }
};

QTEST_MAIN(WindowTextsTest)
#include "WindowTextsTest.moc"
