#pragma once

#include "store/Toe5Records.h"

#include <nlohmann/json.hpp>
#include <string>

namespace mq {

// Records as JSON objects with the field names of the decoded model; texts widened from the
// ANSI code page, FILETIMEs as integers.
nlohmann::ordered_json toJson(const Toe5_FolderInfo& folder);
nlohmann::ordered_json toJson(const Toe5_MessageInfo& message);

// One "Name: value" line per member, for people rather than programs.
std::string toText(const nlohmann::ordered_json& object);

}  // namespace mq
