#pragma once

#include "store/Toe5Records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mq {

// One message of the current folder as the rest of the program sees it.
struct TMessHead {
    std::string From;
    std::string ReplyTo;
    std::string Subject;
    std::string To;
    double Received = 0.0;  // local date-time: days since 1899-12-30, time as the fraction
    std::int32_t Position = 0;
    std::int32_t Size = 0;
    std::int32_t InfoIndex = 0;  // index into MessageInfoList, kept however the list is sorted
};

// One TMessHead per record, in load order, InfoIndex = record index.
std::vector<TMessHead> buildMessageList(const std::vector<Toe5_MessageInfo>& infos);

}  // namespace mq
