#include "ui/CenteredMessageDlg.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace mq;

namespace {

struct SeenBox {
    bool shown = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QRect frame;
};

// Shows the box as the program does and, from a timer, notes what the user sees and
// presses its OK button.
SeenBox showAndAnswer(const QString& caption, const QString& text, QMessageBox::Icon icon) {
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seen.shown = true;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.frame = box->frameGeometry();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    CenteredMessageDlg(caption, text, icon);
    return seen;
}

void activate(QWidget& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

}  // namespace

class CenteredMessageDlgTest : public QObject {
    Q_OBJECT

private slots:
    void centringArithmeticDropsHalfPixels() {
        QCOMPARE(centeredPosition(QRect(10, 20, 301, 201), QSize(100, 51)), QPoint(110, 95));
        QCOMPARE(centeredPosition(QRect(-7, -9, 3, 5), QSize(9, 7)), QPoint(-10, -10));
        // A box larger than the window sticks out on both sides.
        QCOMPARE(centeredPosition(QRect(0, 0, 100, 100), QSize(300, 200)), QPoint(-100, -50));
    }

    void boxSitsOverTheActiveWindowOrDialog() {
        QMainWindow main;
        main.setGeometry(100, 80, 900, 600);
        activate(main);
        SeenBox overMain =
            showAndAnswer("Error", "DBX File x.dbx cannot be accessed", QMessageBox::Critical);
        QVERIFY(overMain.shown);
        QCOMPARE(overMain.caption, QString("Error"));
        QCOMPARE(overMain.text, QString("DBX File x.dbx cannot be accessed"));
        QCOMPARE(overMain.icon, QMessageBox::Critical);
        QCOMPARE(overMain.frame.topLeft(),
                 centeredPosition(main.frameGeometry(), overMain.frame.size()));

        // Raised while a dialog is active, the box centres over the dialog.
        QDialog dialog(&main);
        dialog.setGeometry(600, 400, 300, 120);
        SeenBox overDialog;
        QTimer::singleShot(0, [&] {
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog)) qWarning("the dialog did not become active");
            overDialog = showAndAnswer("Information", "Default Filename Corrected",
                                       QMessageBox::Information);
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(overDialog.shown);
        QCOMPARE(overDialog.caption, QString("Information"));
        QCOMPARE(overDialog.icon, QMessageBox::Information);
        QCOMPARE(overDialog.frame.topLeft(),
                 centeredPosition(dialog.frameGeometry(), overDialog.frame.size()));
        QVERIFY(overDialog.frame.topLeft() != overMain.frame.topLeft());
    }

    void boxWithoutActiveWindowStillShows() {
        QVERIFY(QApplication::activeWindow() == nullptr);
        SeenBox seen = showAndAnswer("Error", "Cannot access", QMessageBox::Critical);
        QVERIFY(seen.shown);
        QCOMPARE(seen.caption, QString("Error"));
    }
};

QTEST_MAIN(CenteredMessageDlgTest)
#include "CenteredMessageDlgTest.moc"
