#pragma once

#include "platform/CountText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace mq {

// A count with its word, as the windows show it.
inline QString countedText(std::size_t count, const char* one, const char* many) {
    return QString::fromStdString(counted(count, one, many));
}

// The status line after a save: how many of `total` messages went to `place` (a folder or a
// file, as the user names it), or when the run stopped, because the user cancelled it or a
// failure that was shown ended it.
QString savedText(std::int32_t saved, std::int32_t total, const QString& place, bool cancelled,
                  bool failed);

// The status line after an address command; `scanned` of `total` messages when a body scan
// was cancelled.
QString addressesFoundText(std::size_t found, bool cancelled, std::int32_t scanned,
                           std::int32_t total);

// What the status bar says of a folder whose index lists `listed` of the `claimed` messages
// its file's header counts; empty unless so many are missing that the index must be damaged.
QString indexHintText(std::size_t listed, std::int32_t claimed);

}  // namespace mq
