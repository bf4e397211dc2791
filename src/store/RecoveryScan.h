#pragma once

#include "platform/ByteSource.h"
#include "store/MessageReadObserver.h"
#include "store/RecoveryScanObserver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mq {

// A message text that the recovery scan found in a folder file: a chain of data blocks that
// no other block continues, as far as its blocks are its own.
struct RecoveredMessage {
    // The first block. Unsigned: files past 2 GB hold blocks that a signed position misses.
    std::uint32_t position = 0;
    std::uint32_t blocks = 0;  // of its own, in the chain as the scan joined it
    std::uint64_t length = 0;  // bytes of text
    // The chain ends where its last block says the text ends, and no other chain runs into
    // it. False when a block was overwritten, the file ends early, the chain loops, or it
    // runs into blocks that another message took.
    bool complete = false;
    // A message record of the folder points at the first block: the folder shows it anyway.
    bool indexed = false;
};

using RecoveredMessageList = std::vector<RecoveredMessage>;

namespace dbx {

// Reads the whole folder file as a sequence of possible data blocks and returns, in file
// order, every chain that no other block continues, that the index starts, or that loops
// without a way in, except those without any text. Each block belongs to one message at
// most, so the messages' lengths add up to less than the file's size. Memory stays within
// the file's size. Once cancelled, returns nothing.
RecoveredMessageList recoverMessages(ByteSource& file, RecoveryScanObserver& observer);

// The text of a recovered message: the blocks of its chain read by readMessageText's rules,
// `message.length` bytes when the file is unchanged. Clears `text` first.
void readRecoveredText(ByteSource& file, const RecoveredMessage& message, std::string& text,
                       MessageReadObserver& observer);

}  // namespace dbx

}  // namespace mq
