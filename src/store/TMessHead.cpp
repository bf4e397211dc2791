#include "store/TMessHead.h"

#include "store/DateTime.h"

namespace mq {

std::vector<TMessHead> buildMessageList(const MessageInfoList& infos) {
    std::vector<TMessHead> list;
    list.reserve(infos.size());
    // One zone for the whole folder, as it stands when the folder is loaded.
    const TimeZoneNow zone = timeZoneNow();
    for (std::size_t i = 0; i < infos.size(); ++i) {
        const Toe5_MessageInfo& info = infos[i];
        TMessHead head;
        head.From = info.From;
        head.ReplyTo = info.ReplyTo;
        head.Subject = info.Subject;
        head.To = info.To;
        head.Received = FiletimeToDatetime(info.ReceivedDate, zone);
        head.Position = info.MessagePosition;
        head.Size = static_cast<std::int32_t>(info.MessageSize);
        head.InfoIndex = static_cast<std::int32_t>(i);
        list.push_back(std::move(head));
    }
    return list;
}

}  // namespace mq
