#pragma once

#include <cstdint>
#include <string>

namespace mq {

// The state a long operation shares with the progress dialog (members of the main window).
struct ProgressState {
    std::int32_t ProgressTotal = 0;
    std::int32_t ProgressDone = 0;
    std::string ProgressItem;    // 8-bit text: a file name, a subject or the target path
    std::string ProgressPrefix;  // "Saving Message: ", "Adding Message: ", "Scanning Message: "
    std::int32_t PendingOperation = 0;  // 1 individual files, 2 single file, 3 body addresses
    bool Cancelled = false;
};

}  // namespace mq
