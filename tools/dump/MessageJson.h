#pragma once

#include "message/DecodedMessage.h"

#include <nlohmann/json.hpp>

namespace mq {

// A decoded message as the reader shows it: header fields, body text and attachments.
nlohmann::ordered_json toJson(const DecodedMessage& message);

}  // namespace mq
