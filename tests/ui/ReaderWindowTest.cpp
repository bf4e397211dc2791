#include "WindowFixture.h"

#include "sample-store/MimeSamples.h"
#include "support/FileLock.h"
#include "support/TempDir.h"
#include "ui/AnsiText.h"
#include "ui/MessageView.h"
#include "ui/PlainTextView.h"
#include "ui/TReaderWindow.h"

#include <QAction>
#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTest>
#include <QTextBrowser>

#include <fstream>

namespace mq {

namespace {

// The sample store's decoded messages, oldest first: Latin-1, KOI8-R, ..., the multipart
// message with its attachments last.
void writeSampleStore(WindowFixture& f) {
    StoreBuilder store;
    store.addFolder("Inbox", "Inbox.dbx", mimeSampleMessages(1));
    store.addFolder("Empty", "Empty.dbx");
    f.writeStore(store);
}

// A header field's text, which is shown isolated (between U+2068 and U+2069) so that it
// cannot turn the direction of what follows.
QString field(QWidget* view, const char* name) {
    const QString shown = view->findChild<QLineEdit*>(name)->text();
    const bool isolated = shown.startsWith(QChar(0x2068)) && shown.endsWith(QChar(0x2069));
    return isolated ? shown.mid(1, shown.size() - 2) : QStringLiteral("not isolated: ") + shown;
}

QTextBrowser* body(QWidget* view) {
    return view->findChild<QTextBrowser*>("MessageText");
}

}  // namespace

class ReaderWindowTest : public QObject {
    Q_OBJECT

private slots:
    void previewPaneFollowsTheCurrentRowAndSurvivesARestart() {
        WindowFixture f;
        writeSampleStore(f);
        TForm1& form = f.start();
        auto* pane = form.findChild<MessageView*>("PreviewPane");
        QVERIFY(pane->isHidden());
        form.findChild<QAction*>("PreviewPane1")->trigger();
        QVERIFY(pane->isVisible());

        f.clickFolder("Inbox");
        f.clickRow(0);
        QTRY_COMPARE(field(pane, "Subject"), QStringLiteral("Grüße aus Köln"));
        QCOMPARE(field(pane, "From"), QStringLiteral("Jürgen Müller <juergen.mueller@example.de>"));
        QVERIFY(body(pane)->toPlainText().contains(
            QStringLiteral("Das Wetter ist schön, und der Dom ist so groß wie immer.")));
        QTest::keyClick(f.list(), Qt::Key_Down);
        QTRY_COMPARE(field(pane, "Subject"), QStringLiteral("Привет из Москвы"));

        // The mail client holds the folder's file: a line in the pane, and no box.
        {
            const test::FileLock mailClient(f.storeDir() / "Inbox.dbx");
            QTest::keyClick(f.list(), Qt::Key_Down);
            QTRY_VERIFY(pane->findChild<QLabel*>("Notice")->isVisible());
        }
        QVERIFY(pane->findChild<QLabel*>("Notice")->text().contains("cannot be accessed"));
        QVERIFY(f.dialogs.messages.empty());

        f.closeWindow();
        QCOMPARE(f.storedPref("View", "PreviewPane"), std::optional<std::string>("1"));
        TForm1& again = f.start();
        QVERIFY(again.findChild<QAction*>("PreviewPane1")->isChecked());
        QVERIFY(again.findChild<MessageView*>("PreviewPane")->isVisible());
    }

    void anHtmlMessageLoadsNothingFromOutside() {
        QTcpServer web;
        QVERIFY(web.listen(QHostAddress::LocalHost));
        WindowFixture f;
        const std::string picture = (f.root() / "banner.png").string();
        QImage red(300, 300, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(QString::fromStdString(picture)));
        const std::string remote = "http://127.0.0.1:" + std::to_string(web.serverPort());
        // A picture of the message itself is shown.
        QImage green(40, 40, QImage::Format_RGB32);
        green.fill(Qt::green);
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(green.save(&buffer, "PNG"));
        DbxMessage m;
        m.subject = "Spring offers";
        m.text =
            "Subject: Spring offers\r\nContent-Type: multipart/related; boundary=r\r\n\r\n"
            "--r\r\nContent-Type: image/png\r\nContent-ID: <green@x>\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n" +
            png.toBase64().toStdString() +
            "\r\n--r\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
            "<html><body style=\"background-image: url(" +
            picture +
            ")\">"
            "<img src=\"" +
            picture + "\"><img src=\"file://" + picture +
            "\">"
            "<img src=\"" +
            remote + "/banner.jpg\"><table background=\"" + picture +
            "\"><tr><td>Spring offers</td></tr></table>"
            "<img src=\"cid:green@x\"><img src=\"" +
            remote + "/open?id=1\" width=\"1\" height=\"1\"></body></html>\r\n--r--\r\n";
        StoreBuilder store;
        store.addFolder("Inbox", "Inbox.dbx", {m});
        f.writeStore(store);
        TForm1& form = f.start();
        form.findChild<QAction*>("PreviewPane1")->trigger();
        f.clickFolder("Inbox");
        f.clickRow(0);
        QTextBrowser* text = body(form.findChild<MessageView*>("PreviewPane"));
        QTRY_VERIFY(text->toPlainText().contains("Spring offers"));

        QVERIFY(!web.waitForNewConnection(200));
        // Neither as a picture nor as a background: no red anywhere, and no room made for it;
        // no background of tiled boxes either, only the boxes of the pictures not loaded.
        QVERIFY(text->document()->size().height() < 300);
        const QImage shown = text->viewport()->grab().toImage();
        int greens = 0;
        int boxes = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                QVERIFY(shown.pixelColor(x, y) != QColor(Qt::red));
                greens += shown.pixelColor(x, y) == QColor(Qt::green);
                boxes += shown.pixelColor(x, y) == QColor(0xe8, 0xe8, 0xe8);
            }
        }
        QCOMPARE(greens, 40 * 40);
        QVERIFY(boxes <= 4 * 16 * 16);
    }

    void readerWindowSavesAnAttachmentAndShowsTheSource() {
        WindowFixture f;
        writeSampleStore(f);
        TForm1& form = f.start();
        f.clickFolder("Inbox");
        const int last = f.list()->model()->rowCount() - 1;
        const QRect row = f.list()->visualRect(f.list()->model()->index(last, 2));
        QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(form.findChildren<TReaderWindow*>().size(), 1);
        f.clickRow(0);
        QTest::keyClick(f.list(), Qt::Key_Return);
        QTRY_COMPARE(form.findChildren<TReaderWindow*>().size(), 2);
        QPointer<TReaderWindow> first = form.findChildren<TReaderWindow*>()[1];
        first->close();
        QTRY_VERIFY(!first);

        // The window keeps its own copy: another folder changes nothing in it.
        f.clickFolder("Empty");
        auto* reader = form.findChild<TReaderWindow*>();
        QCOMPARE(reader->windowTitle(), QStringLiteral("\u2068“Nordlicht” report – final\u2069"));
        auto* attachments = reader->findChild<QListWidget*>("Attachments");
        auto* save = reader->findChild<QPushButton*>("SaveAttachment1");
        QCOMPARE(attachments->count(), 2);
        QVERIFY(!save->isEnabled());
        attachments->setCurrentRow(0);

        const std::filesystem::path target = f.root() / "report.pdf";
        std::ofstream(target) << "mine";
        save->click();  // the dialog is cancelled
        QCOMPARE(test::readFile(target), std::string("mine"));
        QVERIFY(f.dialogs.saveRequests.back()[2].endsWith(
            QStringLiteral("/Grüße – Bericht Nordlicht.pdf")));
        f.dialogs.saveAnswers << QString::fromStdString(target.string());
        save->click();  // the dialog asked before naming the existing file
        const std::string stored = mimeSampleMessages(1).back().text;
        const std::size_t from = stored.find("JVBERi0");
        const QByteArray pdf = QByteArray::fromBase64(
            QByteArray::fromStdString(stored.substr(from, stored.find("==", from) + 2 - from)));
        QCOMPARE(test::readFile(target), pdf.toStdString());
        QVERIFY(f.dialogs.messages.empty());

        // Save All Attachments... puts both into a folder, replacing nothing there.
        const std::filesystem::path all = f.root() / "all";
        std::filesystem::create_directories(all);
        std::ofstream(all / "chart.png") << "mine";
        f.dialogs.folderAnswers << QString::fromStdString(all.string());
        reader->findChild<QPushButton*>("SaveAllAttachments1")->click();
        QCOMPARE(test::readFile(all / "Grüße – Bericht Nordlicht.pdf"), pdf.toStdString());
        QCOMPARE(test::readFile(all / "chart.png"), std::string("mine"));
        QVERIFY(std::filesystem::file_size(all / "chart(2).png") > 0);
        QVERIFY(f.dialogs.messages.empty());

        reader->findChild<QPushButton*>("ShowSource1")->click();
        auto* source = reader->findChild<QPlainTextEdit*>("SourceView");
        QVERIFY(source->isVisible());
        QCOMPARE(
            source->toPlainText(),
            widenAnsi(f.codePage, stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

        // The whole of a long message is shown in a view whose cost grows with its length.
        auto* view = reader->findChild<MessageView*>("ReaderView");
        std::string longText = "Subject: Long\r\n\r\n";
        for (int i = 0; i < 100000; ++i) longText += "Line " + std::to_string(i) + "\r\n";
        view->setMessage(longText);
        view->findChild<QPushButton*>("WholeMessage")->click();
        QVERIFY(view->findChild<PlainTextView*>("WholeMessageText")->isVisible());
        QCOMPARE(view->findChild<PlainTextView*>("WholeMessageText")->lineCount(), 100000u);
        QVERIFY(view->findChild<QWidget*>("NoticeBar")->isHidden());

        // The reader and its source go with the main window.
        const QPointer<QPlainTextEdit> shown = source;
        form.close();
        QTRY_VERIFY(!shown);
    }

    void keysMoveAndCloseTheReader() {
        WindowFixture f;
        f.writeStandardStore();
        TForm1& form = f.start();
        f.clickFolder("Inbox");
        f.clickRow(0);
        QTest::keyClick(f.list(), Qt::Key_Return);
        QPointer<TReaderWindow> reader = form.findChild<TReaderWindow*>();
        QVERIFY(reader);
        QTRY_COMPARE(QApplication::activeWindow(), reader.data());
        QCOMPARE(reader->windowTitle(), QStringLiteral("\u2068Re: a\u2069"));
        // Next and Previous go through the list, which follows; nothing lies before the first.
        QTest::keyClick(reader, Qt::Key_Period, Qt::ControlModifier);
        QTRY_COMPARE(reader->windowTitle(), QStringLiteral("\u2068Re: ab\u2069"));
        QCOMPARE(f.list()->currentIndex().row(), 1);
        QTest::keyClick(reader, Qt::Key_Comma, Qt::ControlModifier);
        QTRY_COMPARE(reader->windowTitle(), QStringLiteral("\u2068Re: a\u2069"));
        QTest::keyClick(reader, Qt::Key_Comma, Qt::ControlModifier);
        QTest::qWait(300);
        QCOMPARE(reader->windowTitle(), QStringLiteral("\u2068Re: a\u2069"));

        // Ctrl+W closes the Source window, Escape the reader.
        reader->findChild<QPushButton*>("ShowSource1")->click();
        QPointer<QWidget> source = reader->findChild<QPlainTextEdit*>("SourceView")->window();
        QTRY_COMPARE(QApplication::activeWindow(), source.data());
        QTest::keyClick(source, Qt::Key_W, Qt::ControlModifier);
        QTRY_VERIFY(!source);
        reader->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), reader.data());
        QTest::keyClick(reader, Qt::Key_Escape);
        QTRY_VERIFY(!reader);
    }
};

}  // namespace mq

QTEST_MAIN(mq::ReaderWindowTest)
#include "ReaderWindowTest.moc"
