#include "recover/RecoveredFolder.h"

#include "message/MessageDate.h"
#include "store/RawHeaderField.h"

#include <algorithm>
#include <limits>

namespace mq {

namespace {

// A header longer than this is no mail client's: its fields past it are not looked for.
constexpr std::uint32_t HeaderBlocks = 128;

// The header reads of a scan: nothing to show per block, only the scan's stop request.
class HeaderRead : public MessageReadObserver {
public:
    explicit HeaderRead(const RecoveryScanObserver& scan) : scan_(scan) {}
    bool cancelled() const override { return scan_.cancelled(); }
    void blockRead() override {}

private:
    const RecoveryScanObserver& scan_;
};

std::string field(std::string_view text, std::string_view name) {
    return rawHeaderField(text, name).value_or(std::string());
}

std::uint64_t date(std::string_view value) {
    return parseMessageDate(value).value_or(0);
}

}  // namespace

std::size_t RecoveredFolder::incomplete() const {
    return static_cast<std::size_t>(std::count_if(
        messages.begin(), messages.end(), [](const RecoveredMessage& m) { return !m.complete; }));
}

Toe5_MessageInfo recoveredRecord(std::string_view text, std::uint64_t length) {
    Toe5_MessageInfo info;
    info.From = field(text, "From");
    info.To = field(text, "To");
    info.ReplyTo = field(text, "Reply-To");
    info.Subject = field(text, "Subject");
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
                              RecoveryScanObserver& observer) {
    RecoveredFolder folder;
    reader.readFile(fileName, [&](ByteSource& file) {
        HeaderRead headerRead(observer);
        std::string head;
        for (const RecoveredMessage& message : dbx::recoverMessages(file, observer)) {
            if (message.indexed) continue;
            head.clear();
            dbx::readBlockChain(file, message.position, std::min(message.blocks, HeaderBlocks),
                                head, headerRead);
            if (observer.cancelled()) break;
            folder.messages.push_back(message);
            folder.infos.push_back(recoveredRecord(head, message.length));
        }
    });
    if (observer.cancelled()) return {};
    return folder;
}

}  // namespace mq
