#pragma once

#include <filesystem>

namespace mq {

// Writes a store of several folders and a few hundred messages into dir/store, named as
// the mail client names its files, and a registry file dir/config/mailquarry/user.reg whose
// "Store Root" names it. The same dir always gives the same bytes.
void writeSampleStore(const std::filesystem::path& dir);

}  // namespace mq
