#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace mq {

// The state a long operation shares with the progress dialog (members of the main window).
struct ProgressState {
    std::int32_t ProgressTotal = 0;
    std::int32_t ProgressDone = 0;
    // UTF-8, like the prefix: a file name, a subject, or before a single-file save the target
    // path
    std::string ProgressItem;
    std::string ProgressPrefix;  // "Saving Message: ", "Adding Message: ", "Scanning Message: "
    // 1 individual files, 2 single file, 3 body addresses, 4 export of whole folders,
    // 5 recovery scan of the current folder, 6 finding messages
    std::int32_t PendingOperation = 0;
    bool Cancelled = false;

    // An operation over `rows` messages starts: nothing done yet, no stop request.
    void begin(std::size_t rows) {
        ProgressTotal = static_cast<std::int32_t>(
            std::min<std::size_t>(rows, std::numeric_limits<std::int32_t>::max()));
        ProgressDone = 0;
        Cancelled = false;
    }
};

}  // namespace mq
