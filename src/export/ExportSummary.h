#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mq {

// What could not be exported of one folder. Texts are UTF-8.
struct ExportFailure {
    std::string folder;        // its place in the store, "Projects/Nordlicht"; empty: every folder
    std::string reason;        // the first failure
    std::size_t messages = 0;  // messages not written; 0 when the folder failed as a whole
};

// How an export ended.
struct ExportSummary {
    std::size_t folders = 0;  // folders written
    std::size_t messages = 0;
    std::uint64_t bytes = 0;
    bool cancelled = false;
    std::vector<ExportFailure> failures;

    bool complete() const { return !cancelled && failures.empty(); }
};

// The summary as the window's box and the command line show it: what was written where,
// then each failure on a line of its own.
std::string exportSummaryText(const ExportSummary& summary, const std::string& target);

}  // namespace mq
