// Showing a message as the preview pane does, on the offscreen platform: decoding, the layout
// of the text and the first paint, for the sample store's messages, messages of 1 MB (lines,
// one line of words, one run without a blank, base64 with an attachment, HTML) and the first
// part of a 50 MB message, then the whole of it on request, and a message of 100,000 empty
// parts. Prints the best of five runs. One case alone, with the peak memory it took beyond
// what the process held before it (Linux): "whole" (the 50 MB message whole) or "parts"
// (the many parts).
//
//   MessageViewBench [whole|parts]
#include "platform/AnsiCodePage.h"
#include "platform/LocaleSettings.h"
#include "sample-store/MimeSamples.h"
#include "support/GeneratedFolder.h"
#include "ui/MessageView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr std::size_t MB = 1024 * 1024;

const std::string Header =
    "From: \"Anna Schr=?iso-8859-1?Q?=F6?=der\" <anna@example.org>\r\n"
    "To: martin@example.com\r\nSubject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
    "Date: Fri, 14 May 2004 16:45:12 +0200\r\nMIME-Version: 1.0\r\n";

std::string repeated(const std::string& piece, std::size_t size) {
    std::string text;
    text.reserve(size + piece.size());
    while (text.size() < size) text += piece;
    return text;
}

std::string base64Message(std::size_t size) {
    std::string data(size * 3 / 4, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7919);
    const QByteArray encoded = QByteArray::fromStdString(data).toBase64();
    std::string lines;
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        lines += encoded.mid(at, 76).toStdString() + "\r\n";
    return Header +
           "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
           "Content-Type: text/plain\r\n\r\nThe pictures are attached.\r\n--b\r\n"
           "Content-Type: application/octet-stream; name=pictures.zip\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           lines + "--b--\r\n";
}

// Milliseconds of the best of five runs of `show` with the paint it causes.
double bestOfFive(mq::MessageView& view, const std::function<void()>& show) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        view.clear();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        show();
        QApplication::processEvents();
        view.repaint();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// 100,000 empty parts of about 105 bytes each.
std::string manyPartsMessage() {
    std::string text = Header + "Content-Type: multipart/mixed; boundary=\"part-boundary\"\r\n\r\n";
    for (int i = 0; i < 100000; ++i)
        text +=
            "--part-boundary\r\nContent-Type: text/plain; charset=us-ascii\r\n"
            "Content-Transfer-Encoding: 7bit\r\n\r\n\r\n";
    return text + "--part-boundary--\r\n";
}

// Linux: the process's peak memory in MB, counted afresh from now on by `restart`.
long peakMegabytes(bool restart) {
    if (restart) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::stol(line.substr(6)) / 1024;
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The offscreen platform warns at every window it cannot size.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const mq::AnsiCodePage codePage(1252);
    const mq::LocaleSettings locale;
    mq::MessageView view(codePage, locale);
    view.resize(900, 500);
    view.show();

    const auto report = [&](const std::string& what, const std::string& text) {
        const double ms = bestOfFive(view, [&] { view.setMessage(text); });
        std::printf("%-44s %8.1f ms\n", what.c_str(), ms);
    };
    const auto showWhole = [&](const std::string& text) {
        const double ms = bestOfFive(view, [&] {
            view.setMessage(text);
            view.findChild<QPushButton*>("WholeMessage")->click();
        });
        std::printf("%-44s %8.1f ms\n", "50 MB of text lines, whole on request", ms);
    };
    const std::string only = argc > 1 ? argv[1] : "";
    const auto alone = [](const std::function<void()>& show) {
        const long before = peakMegabytes(true);
        show();
        std::printf("peak memory: %ld MB before, %ld MB while shown\n", before,
                    peakMegabytes(false));
    };
    if (only == "whole") {
        const std::string large = mq::generatedText(1, 50 * MB);
        alone([&] { showWhole(large); });
        return 0;
    }
    const std::string manyParts = manyPartsMessage();
    const std::string manyPartsName =
        "100,000 empty parts (" + std::to_string(manyParts.size() / 1000) + " kB)";
    if (only == "parts") {
        alone([&] { report(manyPartsName, manyParts); });
        return 0;
    }
    int number = 0;
    for (const mq::DbxMessage& m : mq::mimeSampleMessages(1))
        report("sample message " + std::to_string(++number) + " (" + std::to_string(m.text.size()) +
                   " bytes)",
               m.text);
    report("1 MB of text lines", mq::generatedText(1, MB));
    report("1 MB on one line of words", Header + "\r\n" + repeated("word other thing ", MB));
    report("1 MB on one line without a blank", Header + "\r\n" + std::string(MB, 'x'));
    report("1 MB base64 attachment", base64Message(MB));
    report("1 MB HTML", Header + "Content-Type: text/html\r\n\r\n<html><body>" +
                            repeated("<p>A <b>newsletter</b> paragraph of words.</p>\r\n", MB) +
                            "</body></html>\r\n");

    const std::string large = mq::generatedText(1, 50 * MB);
    report("50 MB of text lines, first part", large);
    showWhole(large);
    report(manyPartsName, manyParts);
    return 0;
}
