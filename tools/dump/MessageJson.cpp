#include "MessageJson.h"

namespace mq {

nlohmann::ordered_json toJson(const DecodedMessage& message) {
    auto attachments = nlohmann::ordered_json::array();
    for (const MessageAttachment& a : message.attachments) {
        attachments.push_back({{"Name", a.name}, {"ContentType", a.contentType}, {"Size", a.size}});
    }
    return {{"From", message.from},
            {"To", message.to},
            {"Cc", message.cc},
            {"ReplyTo", message.replyTo},
            {"Subject", message.subject},
            {"Date", message.date},
            {"Body", message.body},
            {"BodyIsHtml", message.bodyIsHtml},
            {"BodyTruncated", message.bodyTruncated},
            {"BodyIsRaw", message.bodyIsRaw},
            {"Attachments", attachments},
            {"PartsLeftOut", message.partsLeftOut}};
}

}  // namespace mq
