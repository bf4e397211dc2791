#pragma once

#include <string_view>

namespace mq {

// The registry editor's file: its first line, and the one root this program keeps keys under.
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

}  // namespace mq
