// Writes the fuzzer's first inputs into the folder given: small sound files of both kinds,
// from which the fuzzer's changes reach every part of the reader.
#include "support/DbxWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    mq::DbxWriter messages;
    messages.setFanOut(2);  // a tree of several nodes, not one
    for (int i = 0; i < 4; ++i) {
        mq::DbxMessage m;
        m.number = static_cast<std::uint32_t>(i + 1);
        m.sent = m.received = 126632176770000000ull;
        m.subject = "Subject " + std::to_string(i);
        m.from = "sender@example.com";
        m.replyTo = "reply@example.com";
        m.to = "you@example.com";
        m.text = "Subject: " + m.subject + "\r\n\r\n" + std::string(600, 'a') + "\r\n";
        messages.addMessage(m);
    }
    messages.write(folder / "messages.dbx");

    mq::DbxWriter folders(mq::DbxWriter::Kind::Folders);
    folders.addFolder({1, 0, "Inbox", "Inbox.dbx"});
    folders.addFolder({2, 1, "Local", ""});
    folders.write(folder / "folders.dbx");
    return 0;
}
