#pragma once

#include "store/RecoveryScan.h"
#include "store/Toe5Records.h"

#include <nlohmann/json.hpp>
#include <string>

namespace mq {

// Records as JSON objects with the field names of the decoded model; texts widened from the
// ANSI code page, FILETIMEs as integers.
nlohmann::ordered_json toJson(const Toe5_FolderInfo& folder);
nlohmann::ordered_json toJson(const Toe5_MessageInfo& message);
// A message the recovery scan found, with the Subject of its text's header.
nlohmann::ordered_json toJson(const RecoveredMessage& message, const std::string& subject);

// One "Name: value" line per member, for people rather than programs.
std::string toText(const nlohmann::ordered_json& object);

}  // namespace mq
