#pragma once

#include "store/RecoveryScan.h"
#include "store/RecoveryScanObserver.h"
#include "store/StoreReader.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// What a recovery scan gets back of a folder file: the messages that its index no longer
// reaches, with a record for each made from its header, so that they show, sort, save and
// export like the messages of a folder.
struct RecoveredFolder {
    RecoveredMessageList messages;  // in file order
    MessageInfoList infos;          // record i describes message i

    std::size_t incomplete() const;
};

// Scans the folder file `fileName` of the store and reads the header of every message found
// that no record of the folder points at; `observer` sees both on one scale and can stop
// either. A stop request gives an empty folder. Raises what the store reader raises.
RecoveredFolder recoverFolder(StoreReader& reader, const std::string& fileName,
                              RecoveryScanObserver& observer, const AnsiCodePage& page);

// The record of a recovered message, from the header at the start of its text: From, To and
// Subject with their encoded words decoded into `page`, the store's texts' code page;
// Reply-To and Message-ID as stored; the Date as the sent date, and the date of the first
// Received line as the received date (the sent date without one).
Toe5_MessageInfo recoveredRecord(std::string_view text, std::uint64_t length,
                                 const AnsiCodePage& page);

}  // namespace mq
