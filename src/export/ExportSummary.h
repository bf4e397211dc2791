#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq {

// What could not be exported of one folder. Texts are UTF-8.
struct ExportFailure {
    std::string folder;        // its place in the store, "Projects/Nordlicht"; empty: every folder
    std::string reason;        // the first failure
    std::size_t messages = 0;  // messages not written; 0 when not known
    // Nothing of the folder was written: `messages` are all of its messages.
    bool wholeFolder = false;
};

// The folder an export stopped in: its file or folder holds the messages written before.
struct CutShortFolder {
    std::string folder;  // UTF-8, as in ExportFailure
    std::size_t written = 0;
    std::size_t messages = 0;  // the folder's
};

// How an export ended. Every chosen folder is among the folders written, the cut-short one or
// the failures, and every message among the messages written or a failure's.
struct ExportSummary {
    std::size_t folders = 0;  // folders written
    std::size_t messages = 0;
    std::uint64_t bytes = 0;
    bool cancelled = false;
    std::optional<CutShortFolder> cutShort;
    std::vector<ExportFailure> failures;

    bool complete() const { return !cancelled && failures.empty(); }
};

// The summary as the window's box and the command line show it: what was written where,
// the folder cut short, then each failure on a line of its own.
std::string exportSummaryText(const ExportSummary& summary, const std::string& target);

}  // namespace mq
