#pragma once

#include "store/StoreReader.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace mq {

// One message of the current folder as the rest of the program sees it. The texts are those
// of its record in MessageInfoList, which must outlive it: rows of one record share them.
struct TMessHead {
    std::string_view From;
    std::string_view ReplyTo;
    std::string_view Subject;
    std::string_view To;
    double Received = 0.0;  // local date-time: days since 1899-12-30, time as the fraction
    std::int32_t Position = 0;
    std::int32_t Size = 0;
    std::int32_t InfoIndex = 0;  // index into MessageInfoList, kept however the list is sorted
};

// One TMessHead per row, in load order, InfoIndex = row.
std::vector<TMessHead> buildMessageList(const MessageInfoList& infos);

}  // namespace mq
