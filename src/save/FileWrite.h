#pragma once

#include <string>
#include <string_view>

namespace mq {

// Creates the file at `path` (UTF-8) and writes `content`; an existing file of that name is
// left alone and counts as a failure. A file that could not be written completely is removed,
// so no truncated file remains. True when the file holds the whole content.
bool writeNewFile(const std::string& path, std::string_view content);

// Puts `content` at `path` (UTF-8): written completely beside the target first, then renamed
// over it, so a failure leaves an existing target as it was. A target that the user may not
// write, or that is not a plain file, is not replaced. True when the target holds the content.
bool replaceFile(const std::string& path, std::string_view content);

// Every line of a saved file ends in CR LF: appends one unless the text already ends so.
// Nothing else of the text changes, a lone LF inside it included.
void terminateLastLine(std::string& text);

}  // namespace mq
