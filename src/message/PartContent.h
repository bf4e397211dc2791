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
// content claims base64 but is no base64 as encoders write it (in what was read).
using ContentSink = std::function<bool(std::string_view chunk)>;
bool readContent(GMimeObject* part, bool decode, const ContentSink& sink);

// Hands the content to `sink` as a file of it would hold it: transfer encoding undone, or as
// stored when it claims base64 but holds none (`restart` is called first, to drop what the
// sink was given before that showed); an attached message as its text.
void readData(GMimeObject* part, const ContentSink& sink, const std::function<void()>& restart);

// The size of a leaf part's content as stored, which decoding makes no larger; 0 for others.
std::size_t storedContentSize(GMimeObject* part);

// What readData hands over, whole; and its size, which is what saving the part writes.
std::string partData(GMimeObject* part);
std::uint64_t partDataSize(GMimeObject* part);

}  // namespace mq
