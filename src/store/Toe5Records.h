#pragma once

#include <cstdint>
#include <string>

namespace mq {

// Header information of the open .dbx file.
struct Toe5_FileHeader {
    std::int32_t ItemCount = 0;  // file offset 196; 0 or less: the file is empty
};

// One decoded record of folders.dbx.
struct Toe5_FolderInfo {
    std::uint32_t Direct80 = 0;
    std::uint32_t Direct81 = 0;
    std::string Name;      // entry 2
    std::string FileName;  // entry 3
};

// One decoded message record of a folder's .dbx file. Texts are the stored 8-bit bytes.
struct Toe5_MessageInfo {
    std::uint32_t MessageNumber = 0;   // 0x80
    std::uint32_t MessageStatus = 0;   // 0x81
    std::string AccountId;             // 27
    std::string Account;               // 26
    std::string MessageId;             // 7
    std::uint64_t SentDate = 0;        // 2, FILETIME
    std::uint64_t ReceivedDate = 0;    // 18, FILETIME
    std::string Subject;               // 8
    std::string From;                  // 13
    std::string OtherFrom;             // 9
    std::string To;                    // 19
    std::string ReplyTo;               // 14
    std::string References;            // 10
    std::string Newsgroup;             // 11
    std::uint32_t MessageSize = 0;     // 0x91
    std::int32_t MessagePosition = 0;  // 4 (indirect) or 0x84 (direct), the later wins
    std::int32_t RecordOffset = 0;     // where the record was read
};

}  // namespace mq
