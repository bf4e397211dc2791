#include "support/GeneratedFolder.h"

#include "support/DbxWriter.h"
#include "support/MailDate.h"
#include "support/SeededRandom.h"
#include "support/StoreBuilder.h"

#include <cstdint>

namespace mq {

namespace {

std::uint64_t mix(std::uint64_t x) {
    return SeededRandom(x).next();
}

const char* const firstNames[] = {"Ann", "Bert", "Carla", "Dirk", "Eva", "Farid", "Greta", "Hugo"};
const char* const domains[] = {"example.com", "example.org", "example.net", "mail.example.com"};

std::string person(std::uint64_t seed) {
    return std::string(firstNames[seed % 8]) + std::to_string(seed % 97);
}

std::string address(std::uint64_t seed) {
    std::string name = person(seed);
    for (auto& ch : name) {
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    }
    return name + "@" + domains[(seed >> 8) % 4];
}

// Every generated message was received some hours after the one before, from 2001 on.
std::uint64_t receivedOf(std::size_t index) {
    static const std::uint64_t start = filetimeOf(2001, 1, 1, 8);
    constexpr std::uint64_t hour = 3600ull * 10'000'000;
    return start + index * 7 * hour + mix(index) % hour;
}

}  // namespace

std::string generatedText(std::size_t index, std::size_t textSize) {
    const std::uint64_t seed = mix(index);
    const std::uint64_t received = receivedOf(index);
    std::string text;
    text.reserve(textSize + 600);
    text += "Return-Path: <" + address(seed) + ">\r\n";
    text += "From: " + person(seed) + " <" + address(seed) + ">\r\n";
    text += "To: " + person(seed >> 16) + " <" + address(seed >> 16) + ">\r\n";
    text += "Subject: Generated message " + std::to_string(index) + "\r\n";
    text += "Date: " + mailDate(received - 600ull * 10'000'000, 60) + "\r\n";
    text += "Message-ID: <" + std::to_string(index) + ".generated@example.com>\r\n";
    text += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n";
    for (std::uint64_t line = 0; text.size() < textSize; ++line) {
        const std::uint64_t s = mix(seed + line);
        switch (s % 4) {
            case 0:
                text += "Please write to " + address(s) + " about line " + std::to_string(line) +
                        ".\r\n";
                break;
            case 1:
                text += "The quick brown fox jumps over the lazy dog, line " +
                        std::to_string(line) + ".\r\n";
                break;
            case 2:
                text += "> " + person(s) + " wrote: see <mailto:" + address(s >> 3) + ">\r\n";
                break;
            default:
                text += "Lorem ipsum dolor sit amet, consectetur adipiscing elit.\r\n";
                break;
        }
    }
    text.resize(textSize);
    if (textSize >= 2) {
        text[textSize - 2] = '\r';
        text[textSize - 1] = '\n';
    }
    return text;
}

DbxMessage generatedMessage(std::size_t index, std::size_t textSize) {
    const std::uint64_t seed = mix(index);
    DbxMessage m;
    m.number = static_cast<std::uint32_t>(index + 1);
    m.status = 0x80;
    m.received = receivedOf(index);
    m.sent = m.received - 600ull * 10'000'000;
    m.messageId = "<" + std::to_string(index) + ".generated@example.com>";
    m.subject = "Generated message " + std::to_string(index);
    m.from = person(seed);
    m.otherFrom = address(seed);
    m.to = person(seed >> 16);
    if (seed % 3 == 0) {
        m.replyTo = address(seed >> 24);
    }
    m.account = "mail.example.com";
    m.accountId = "00000001";
    m.textSize = textSize;
    m.makeText = [index, textSize] { return generatedText(index, textSize); };
    return m;
}

void writeGeneratedFolder(const std::filesystem::path& file, std::size_t count,
                          std::size_t textSize) {
    DbxWriter w;
    for (std::size_t i = 0; i < count; ++i) {
        w.addMessage(generatedMessage(i, textSize));
    }
    w.write(file);
}

GeneratedStore writeGeneratedStore(const std::filesystem::path& dir, std::size_t count,
                                   std::size_t textSize) {
    GeneratedStore store{dir / "store", dir / "config", "Generated.dbx"};
    std::filesystem::create_directories(store.storeDir);
    DbxWriter list(DbxWriter::Kind::Folders);
    list.addFolder({1, 0, "Generated", store.folderFile});
    list.write(store.storeDir / "folders.dbx");
    writeGeneratedFolder(store.storeDir / store.folderFile, count, textSize);
    writeStoreRegistry(registryFileIn(store.configHome), store.storeDir.string());
    return store;
}

}  // namespace mq
