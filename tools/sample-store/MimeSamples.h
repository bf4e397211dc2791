#pragma once

#include "platform/AnsiCodePage.h"
#include "support/DbxParts.h"

#include <cstdint>
#include <vector>

namespace mq {

// Messages that show what the reader decodes: subjects and names in encoded words of
// several charsets, bodies in quoted-printable and base64, a multipart message with
// attachments and an HTML-only newsletter. Numbered from `firstNumber`; their index texts in
// `page`, as the mail client of a machine with that page wrote them.
std::vector<DbxMessage> mimeSampleMessages(std::uint32_t firstNumber,
                                           const AnsiCodePage& page = AnsiCodePage(1252));

}  // namespace mq
