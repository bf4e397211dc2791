#pragma once

#include <filesystem>

namespace mq {

// Writes a store of several folders and a few hundred messages into dir/store, named as
// the mail client names its files, and a registry file whose "Store Root" names it; returns
// that file. The same dir always gives the same bytes. The registry file is the one the
// program reads with XDG_CONFIG_HOME=dir/config (dir/config/mailquarry/user.reg); on Windows,
// where the program reads the real registry, it is dir/mailquarry-sample.reg to import, in
// UTF-16 as the registry editor writes them.
// `codePage` is the ANSI page of the machine the store imitates: its index texts are in that
// page and its own messages declare it.
std::filesystem::path writeSampleStore(const std::filesystem::path& dir, int codePage = 1252);

}  // namespace mq
