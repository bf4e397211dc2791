#include "recover/RecoveredFolder.h"

#include "message/MessageDate.h"
#include "recover/EncodedWords.h"
#include "store/RawHeaderField.h"

#include <algorithm>
#include <limits>

namespace mq {

namespace {

// A header longer than this is no mail client's: its fields past it are not looked for.
constexpr std::uint32_t HeaderBlocks = 128;

// Messages whose headers are read between two reports of progress.
constexpr std::size_t HeadersPerReport = 64;

// One bar for both phases of a recovery: the scan takes its first half, reading the headers
// (as long again on a page-cached file) the second.
class TwoPhases : public RecoveryScanObserver, public MessageReadObserver {
public:
    explicit TwoPhases(RecoveryScanObserver& outer) : outer_(outer) {}
    bool cancelled() const override { return outer_.cancelled(); }
    void scanned(std::uint64_t done, std::uint64_t total) override {
        outer_.scanned(done, 2 * total);
    }
    void headersRead(std::size_t done, std::size_t total) {
        outer_.scanned(total + done, 2 * std::uint64_t{total});
    }
    // Nothing to show per block of a header.
    void blockRead() override {}

private:
    RecoveryScanObserver& outer_;
};

std::string field(std::string_view text, std::string_view name) {
    return rawHeaderField(text, name).value_or(std::string());
}

std::string decodedField(std::string_view text, std::string_view name, const AnsiCodePage& page) {
    return decodeEncodedWords(field(text, name), page);
}

std::uint64_t date(std::string_view value) {
    return parseMessageDate(value).value_or(0);
}

}  // namespace

std::size_t RecoveredFolder::incomplete() const {
    return static_cast<std::size_t>(std::count_if(
        messages.begin(), messages.end(), [](const RecoveredMessage& m) { return !m.complete; }));
}

Toe5_MessageInfo recoveredRecord(std::string_view text, std::uint64_t length,
                                 const AnsiCodePage& page) {
    Toe5_MessageInfo info;
    info.From = decodedField(text, "From", page);
    info.To = decodedField(text, "To", page);
    info.ReplyTo = field(text, "Reply-To");
    info.Subject = decodedField(text, "Subject", page);
    info.MessageId = field(text, "Message-ID");
    info.SentDate = date(field(text, "Date"));
    // "Received: from ... by ...; Tue, 4 Mar 2003 10:00:00 +0100": the date follows the last
    // semicolon of the topmost line, the one the receiving server wrote.
    if (const auto received = rawHeaderField(text, "Received")) {
        const auto semicolon = received->rfind(';');
        if (semicolon != std::string::npos)
            info.ReceivedDate = date(std::string_view(*received).substr(semicolon + 1));
    }
    if (info.ReceivedDate == 0) info.ReceivedDate = info.SentDate;
    info.MessageSize = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(length, std::numeric_limits<std::uint32_t>::max()));
    return info;
}

RecoveredFolder recoverFolder(StoreReader& reader, const std::string& fileName,
                              RecoveryScanObserver& observer, const AnsiCodePage& page) {
    RecoveredFolder folder;
    TwoPhases phases(observer);
    reader.readFile(fileName, [&](ByteSource& file) {
        const RecoveredMessageList found = dbx::recoverMessages(file, phases);
        std::string head;
        for (std::size_t i = 0; i < found.size() && !observer.cancelled(); ++i) {
            if (i % HeadersPerReport == 0) phases.headersRead(i, found.size());
            const RecoveredMessage& message = found[i];
            if (message.indexed) continue;
            head.clear();
            dbx::readBlockChain(file, message.position, std::min(message.blocks, HeaderBlocks),
                                head, phases);
            folder.messages.push_back(message);
            folder.infos.push_back(recoveredRecord(head, message.length, page));
        }
        phases.headersRead(found.size(), found.size());
    });
    if (observer.cancelled()) return {};
    return folder;
}

}  // namespace mq
