#pragma once

#include <gmime/gmime.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mq {

// Hands a part's content to `sink` chunk by chunk, as long as the sink returns true.
// `decode`: with its transfer encoding undone; false: as stored. Returns false when the
// content claims base64 but holds bytes that are no base64 (in what was read).
using ContentSink = std::function<bool(std::string_view chunk)>;
bool readContent(GMimeObject* part, bool decode, const ContentSink& sink);

// The whole content of a part as a file of it would hold it: transfer encoding undone; an
// attached message as its text.
std::string partData(GMimeObject* part);
// The size of partData, quicker than making it; for base64 counted from its letters.
std::uint64_t partDataSize(GMimeObject* part);

}  // namespace mq
