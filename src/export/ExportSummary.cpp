#include "export/ExportSummary.h"

#include "platform/CountText.h"

#include <cstdio>

namespace mq {

namespace {

std::string size(std::uint64_t bytes) {
    if (bytes < 1000) return counted(bytes, "byte", "bytes");
    char text[32];
    const bool mega = bytes >= 1'000'000;
    std::snprintf(text, sizeof text, "%.1f %s", double(bytes) / (mega ? 1e6 : 1e3),
                  mega ? "MB" : "KB");
    return text;
}

}  // namespace

std::string exportSummaryText(const ExportSummary& summary, const std::string& target) {
    std::string text = summary.cancelled ? "Export cancelled. " : "";
    text += counted(summary.messages, "message", "messages") + " of " +
            counted(summary.folders, "folder", "folders") + " exported to " + target + " (" +
            size(summary.bytes) + ").";
    if (const auto& cut = summary.cutShort)
        text += "\n" + cut->folder + " was cut short: it holds " + std::to_string(cut->written) +
                " of its " + counted(cut->messages, "message", "messages") + ".";
    if (summary.failures.empty()) return text;
    // A damaged folder list can name thousands of missing files; a box shows a screenful.
    constexpr std::size_t MaxListed = 20;
    text += "\n\nNot exported:";
    for (std::size_t i = 0; i < summary.failures.size() && i < MaxListed; ++i) {
        const ExportFailure& failure = summary.failures[i];
        text += "\n";
        if (!failure.folder.empty()) text += failure.folder + ": ";
        if (failure.wholeFolder && failure.messages > 0)
            text += counted(failure.messages, "message", "messages") + ": ";
        else if (failure.messages > 1)
            text += counted(failure.messages, "message", "messages") + ", the first: ";
        text += failure.reason;
    }
    if (summary.failures.size() > MaxListed)
        text += "\n... and " + counted(summary.failures.size() - MaxListed, "folder", "folders") +
                " more.";
    return text;
}

}  // namespace mq
