#include "RecordJson.h"

#include "platform/AnsiCodePage.h"

namespace mq {

namespace {

std::string widened(const std::string& text) {
    return AnsiCodePage::store().toUtf8(text);
}

}  // namespace

nlohmann::ordered_json toJson(const Toe5_FolderInfo& f) {
    return {{"Direct80", f.Direct80},
            {"Direct81", f.Direct81},
            {"Name", widened(f.Name)},
            {"FileName", widened(f.FileName)}};
}

nlohmann::ordered_json toJson(const Toe5_MessageInfo& m) {
    return {{"MessageNumber", m.MessageNumber},
            {"MessageStatus", m.MessageStatus},
            {"AccountId", widened(m.AccountId)},
            {"Account", widened(m.Account)},
            {"MessageId", widened(m.MessageId)},
            {"SentDate", m.SentDate},
            {"ReceivedDate", m.ReceivedDate},
            {"Subject", widened(m.Subject)},
            {"From", widened(m.From)},
            {"OtherFrom", widened(m.OtherFrom)},
            {"To", widened(m.To)},
            {"ReplyTo", widened(m.ReplyTo)},
            {"References", widened(m.References)},
            {"Newsgroup", widened(m.Newsgroup)},
            {"MessageSize", m.MessageSize},
            {"MessagePosition", m.MessagePosition},
            {"RecordOffset", m.RecordOffset}};
}

nlohmann::ordered_json toJson(const RecoveredMessage& m, const std::string& subject) {
    return {{"Offset", m.position},
            {"Length", m.length},
            {"Complete", m.complete},
            {"Indexed", m.indexed},
            {"Subject", widened(subject)}};
}

std::string toText(const nlohmann::ordered_json& object) {
    std::string out;
    for (const auto& [name, value] : object.items()) {
        out += name + ": " + (value.is_string() ? value.get<std::string>() : value.dump()) + "\n";
    }
    return out;
}

}  // namespace mq
