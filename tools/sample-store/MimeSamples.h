#pragma once

#include "support/DbxParts.h"

#include <cstdint>
#include <vector>

namespace mq {

// Messages that show what the reader decodes: subjects and names in encoded words of
// several charsets, bodies in quoted-printable and base64, a multipart message with
// attachments and an HTML-only newsletter. Numbered from `firstNumber`.
std::vector<DbxMessage> mimeSampleMessages(std::uint32_t firstNumber);

}  // namespace mq
